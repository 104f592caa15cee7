#pragma once

struct SDL_Window;

// Whether something looks after the window's size and place. Full screen
// is a request to a window manager; with none (a bare X server) nobody acts
// on it while SDL believes it done, and the game would draw a screen-sized
// picture into its small window.
bool WindowManagerRuns(SDL_Window* window);
