#pragma once

#include <string>

class Game;

// The title and pause menu, worked with the pointer. Each frame of a screen
// that shows it draws it (and anything over it), then takes its click.

// Moves the pointer by the stick and draws the rows and the pointer; the row
// under the pointer, which may be none of them.
int DrawMenu(Game& game, int title_mode);
// The version line at the foot of the menu.
void DrawCreditLine(Game& game);
// A click or joystick button 0 acts on `row`.
void ClickMenu(Game& game, int row, int title_mode);
// The game's pointer: the ship sprite, turned and shrunk, at the mouse.
void DrawMenuPointer(Game& game);
// A fully deflected stick moves the pointer 6 pixels a frame.
void JoyToPointer(Game& game);
// -1, 0 or 1 along one axis of a stick: the pointer and the name entry take
// a stick only at full deflection.
int FullDeflection(float axis);

extern const char* const kCreditLine;
