#pragma once

#include <string>

class Game;

// The title and pause menu, worked with the pointer.
void RunMenu(Game& game, int title_mode);
// The game's pointer: the ship sprite, turned and shrunk, at the mouse.
void DrawMenuPointer(Game& game);
// A fully deflected stick moves the pointer 6 pixels a frame.
void JoyToPointer(Game& game);

extern const char* const kCreditLine;
