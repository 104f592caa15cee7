#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/input/replay.hpp"

class Game;

// Everything a game's course depends on when "Start New Game" is chosen,
// besides the input that follows: the random generator's state, the sound
// settings (the music track "Random" draws from the generator), the best
// score (its fanfare) and the table's size (the trace's `table`), and what
// the game before it left behind. Start-up leaves the last at 0, and a new
// game resets most of the rest, but not the gun's cooldown, the thrust sound,
// the gun satellite's timer and angle, the shield's hits and angle, a
// running Armageddon spin or smart-bomb ring and flash, the UFO's angle, the
// ship's frame or the background's angle, nor where the last UFO and pickup
// were (the trace shows them): so the state lines of a recording hold those
// that are not 0, by these names.
struct GameStart {
    int state = 1;
    Settings settings;
    std::vector<StateLine> carried;
};

// Taken just before a new game draws its first random number.
GameStart CaptureStart(Game& game);

// Checks the state lines of a recording of one game: known names, each with
// a value the game can have. Empty when they are good, else the problem in
// a few words.
std::string CheckStartState(const std::vector<StateLine>& state);

// Puts the recording's start into a game not yet started: the generator, the
// settings, the best score, a table of that many entries, and what the game
// before left behind. The state lines must have passed CheckStartState.
void ApplyStart(Game& game, const ReplayFile& recording);

// A recording read and checked through: a replay file, and of one game also
// its state lines and name. False, with one line in `error`, for anything
// else.
std::optional<ReplayFile> ReadRecording(const std::string& path, std::string& error);
std::optional<ReplayFile> ParseRecording(std::string_view text, const std::string& name, std::string& error);
