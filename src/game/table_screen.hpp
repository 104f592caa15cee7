#pragma once

class Game;

// The score table shown in the title's menu place: after a name is kept,
// with the new entry lit until the player does anything, and whenever the
// title is left alone (title_idle.hpp), for `limit` frames.
struct TableScreen {
    int limit = 10 * 60;
    int frames = 0;
    int highlight = -1;
};

// The table takes the menu's place, with entry `highlight` lit (-1: none).
void ShowTable(Game& game, int highlight);
// One frame of the table on the title: false once it gives the menu back,
// which the player's first input does (and does nothing else).
bool TableFrame(Game& game);
void DrawTable(Game& game);
