#pragma once

#include <string>

class Game;

// Score, best, level, spare ships and the power-up line; only the first
// three with `status_only` (title and pause screens).
void DrawHud(Game& game, int status_only);
// The two lines of the warp-in and the game-over caption, at msg_alpha.
void DrawWarpMessage(Game& game);
void DrawGameOverCaption(Game& game);
void DrawPausedCaption(Game& game);

// The HUD's lines as the player reads them.
std::string ScoreText(const Game& game);
std::string BestText(const Game& game);
std::string LevelText(const Game& game);
std::string PowerUpText(const Game& game);

// A dark shadow first, then the text in its colour on top, up and left.
void ShadowedText(Game& game, const std::string& text, int shadow_x, int shadow_y, int x, int y, int red, int green,
                  int blue);

// A value below 10 gets a leading "0".
std::string TwoDigits(int value);
// x at which `text` is centred on `centre`.
int CentredX(Game& game, const std::string& text, int centre);
// `text` centred on x = 320 at `y`, over its shadow.
void CentredText(Game& game, const std::string& text, int y, int red, int green, int blue);
