#pragma once

class Game;

// The logo over the still background: 250 frames, then a fade, unless a key,
// a click or a button skips it.
void ShowSplash(Game& game);
