#pragma once

#include <SDL.h>

// Where the X server really has a window, which is not always where SDL
// believes it is. False where the window is not an X11 one.
bool X11WindowGeometry(SDL_Window* window, SDL_Rect& geometry);
