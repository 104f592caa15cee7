#pragma once

#include <string>

#include "platform/input/input.hpp"

class Game;

// The controls screen, in the menu's place on the title and pause screens:
// a row for each action with its two keys and two pad buttons, then "Back"
// and "Defaults". Worked like the menu, with the pointer, the stick and a
// click or button 0, and also with the arrows and Enter; a chosen box takes
// the next key or pad button. The bindings change at once and are saved
// with the other settings.
struct ControlsScreen {
    int open = 0;
    // The action and column (0 and 1 its keys, 2 and 3 its pad buttons)
    // waiting for a key or button, or -1.
    int awaiting_action = -1;
    int awaiting_column = -1;
    // Said under the rows for a moment, such as "That key is in use".
    std::string notice;
    int notice_frames = 0;
};

// From the menu's "Controls" row, the pointer over "Back".
void OpenControls(Game& game);
// One frame: what the player chose, then the rows and the pointer; false when
// "Back" closed the screen, so that the menu is drawn in its place.
bool ControlsFrame(Game& game);
// What keys and pad buttons stand for while the game shows what it shows.
ControlMode ControlModeOf(const Game& game);
// The game's bindings to the live input.
void ApplyBindings(Game& game);
