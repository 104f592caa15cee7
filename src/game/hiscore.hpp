#pragma once

#include <string>

class Game;

// hiscore.dat: the best score as 4 bytes, little-endian.
std::string BestScorePath(const Game& game);
void LoadBest(Game& game);
// Writes the best score, or takes the one in the file when that is higher
// (another game saved meanwhile), unless the file was there at start-up but
// could not be read: then it is left as it is. A save that fails is said on
// one line and marks the run as failed.
void SaveBest(Game& game);

// What reading the file found. A missing file reads as 0 in silence and may
// be written. Anything else that is not a plain file of exactly 4 bytes (no
// permission, a folder, a FIFO, a file of another length) reads as 0 with a
// warning and keeps the file from being written over.
struct BestScoreRead {
    int best = 0;
    bool may_save = true;
    bool exists = false;
};
BestScoreRead ReadBestScore(const std::string& path, bool warn = true);
bool WriteBestScore(const std::string& path, int best);
