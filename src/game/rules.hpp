#pragma once

class Game;

// The rules of a game; the screens it is played on, and the changes between
// them, are in screens.hpp.

void NewGame(Game& game);
void ClearPlayfield(Game& game);
// The playing screen found neither burgers nor sparks this frame.
void CompleteLevel(Game& game);
// The score has passed the best score: it becomes the best, with a fanfare
// the first time in a game.
void UpdateBest(Game& game);
