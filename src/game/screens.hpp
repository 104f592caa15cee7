#pragma once

class Game;

// The three screens a frame of the main loop shows exactly one of.
void TitleScreen(Game& game);
void PauseScreen(Game& game);
void PlayingScreen(Game& game);
// The ship and everything that follows it, run only while the ship is in
// play (neither warping in nor game over).
void ShipStep(Game& game);
void DrawBackground(Game& game, int animate);
