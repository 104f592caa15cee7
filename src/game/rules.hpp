#pragma once

class Game;

void NewGame(Game& game);
// From the title or the pause menu: the old playfield goes, a new game begins.
void StartGame(Game& game);
// A game quit or over: the title with its music. Input is left for the
// caller to flush, the menu and the game-over caption do it differently.
void ReturnToTitle(Game& game);
void ClearPlayfield(Game& game);
// Leaves the warp-in, its bonus line and the game-over caption, so that none
// of them outlives the game it belongs to.
void ClearPhases(Game& game);
// The playing screen found neither burgers nor sparks this frame.
void CompleteLevel(Game& game);
// One frame of the warp-in message and of the game-over caption.
void AdvanceWarp(Game& game);
void AdvanceGameOver(Game& game);
// The score has passed the best score: it becomes the best, with a fanfare
// the first time in a game.
void UpdateBest(Game& game);
