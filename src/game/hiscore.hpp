#pragma once

#include <string>

class Game;

// "data/hiscore.dat": the best score as 4 bytes, little-endian.
std::string BestScorePath(const Game& game);
void LoadBest(Game& game);
void SaveBest(Game& game);

// The file itself, apart from the game: a missing, short or unreadable file
// reads as 0 (with a warning unless it is simply missing); writing goes
// through a temporary file renamed over the old one, so the file is never
// left half written. Both report problems as one line on standard error.
int ReadBestScore(const std::string& path);
bool WriteBestScore(const std::string& path, int best);
