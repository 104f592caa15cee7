#pragma once

#include <cstddef>
#include <cstdint>
#include <istream>
#include <string>
#include <vector>

// A replay of random play, the same for the same seed everywhere: `frames`
// frames from the first frame of the splash, the last of them ending the run
// with a close request. It turns, thrusts, fires, uses the trigger, pauses and
// works the menu (never its "Exit" row), moves the joystick and loses and
// regains the focus.
std::string MakeSoakReplay(std::uint64_t seed, int frames);

// What a checked trace went through, for the log.
struct TraceSummary {
    int frames = 0;
    int games = 0;
    int levels_completed = 0;
    int deaths = 0;
    int extra_lives = 0;
    int pauses = 0;
    int warps_completed = 0;
    int max_level = 0;
    int max_score = 0;
};

// Checks a frame trace (one JSON object a line) against the rules that hold
// in every game, frame by frame. Returns the breaches found, one line each,
// starting "frame N:", at most `limit` of them.
std::vector<std::string> CheckTrace(std::istream& trace, TraceSummary& summary, std::size_t limit = 20);
