#pragma once

class Game;

// The title left alone: after `limit` frames without input on its menu, the
// score table takes the menu's place for a while (table_screen.hpp).
struct TitleIdle {
    int limit = 15 * 60;
    int frames = 0;
    // The input activity count last looked at.
    int seen_activity = -1;
    int last_title_frame = -2;
};

// Anything the player did since the last look; with `held_stick_counts`, a
// stick held over, which moves the menu's pointer, counts too.
bool PlayerActed(Game& game, bool held_stick_counts);
// Called on every frame of the title: true when the one before was not a
// title frame, so that coming back from a game starts the idle time afresh.
bool TitleStartsAfresh(Game& game);
// One frame of the menu on the title: true when it has been left alone long
// enough, and a table with entries now shows in its place.
bool IdleRunsOut(Game& game, bool fresh);
