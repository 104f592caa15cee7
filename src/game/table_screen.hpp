#pragma once

#include <string>

class Game;

// The score table shown in the title's menu place: after a name is kept,
// with the new entry lit, and whenever the title is left alone
// (title_idle.hpp), for `limit` frames without input. An entry is chosen
// with the pointer (the mouse, or the stick moving it), the Up and Down
// keys, and watched with a click on it, Enter or button 0; any other key,
// click or button gives the menu back, and does nothing else.
struct TableScreen {
    int limit = 10 * 60;
    int frames = 0;
    int highlight = -1;
    // The entry chosen, -1: none.
    int chosen = -1;
    // Where the pointer was the frame before: choosing follows it only when
    // it moves.
    int pointer_x = -1, pointer_y = -1;
    // The recording the page offers to save (browser), empty: none.
    std::string offered;
};

// The table takes the menu's place, with entry `highlight` lit and chosen
// (-1: none).
void ShowTable(Game& game, int highlight);
// One frame of the table on the title: false once it gives the menu back.
bool TableFrame(Game& game);
void DrawTable(Game& game);
