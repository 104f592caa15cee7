#pragma once

class Game;

// The screens a frame of the main loop shows exactly one of (splash, title,
// paused, playing with its warp-in and game-over phases), and every change
// from one to another. Each change is written here once and sets the flags
// the rest of the game reads: splash.on, title_on, paused, warp_on and
// game_over.

// Start-up: the logo shows over the still background until a key, a click
// or a button skips it, or after 400 frames.
void OpenSplash(Game& game);
// Whether the splash frame just shown was its last (asked after its flip).
bool SplashEnds(Game& game);
// The splash is over (or was never shown): level 1 for the title's HUD, and
// the picture the pause screen freezes the playfield in.
void CloseSplash(Game& game);
// The title, after the splash or a game: the pointer over the first row.
void EnterTitle(Game& game);
// From the title or the pause menu: the old playfield goes, a new game begins.
void StartGame(Game& game);
// The playfield freezes as drawn so far in this frame, the UFO falls silent.
void Pause(Game& game);
void Resume(Game& game);
// A game quit or over: the title with its music. Input is left for the
// caller to flush, the menu and the game-over caption do it differently.
void ReturnToTitle(Game& game);
// Leaves the warp-in, its bonus line and the game-over caption, so that none
// of them outlives the game it belongs to.
void ClearPhases(Game& game);
// The last ship is lost: the caption fades in its place for 250 frames.
void StartGameOver(Game& game);

// One frame of each screen.
void SplashScreen(Game& game);
void TitleScreen(Game& game);
void PauseScreen(Game& game);
void PlayingScreen(Game& game);
// The ship and everything that follows it, run only while the ship is in
// play (neither warping in nor game over).
void ShipStep(Game& game);
// One frame of the warp-in message and of the game-over caption.
void AdvanceWarp(Game& game);
void AdvanceGameOver(Game& game);
void DrawBackground(Game& game, int animate);
