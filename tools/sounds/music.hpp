#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "synth.hpp"

struct PhraseNote {
    int step = 0;
    int length = 0;
    int midi = 0;
};

// Text like "E5:2 G5:2 -:4 B5" (note or rest, length in sixteenth steps, default 1).
// Returns the notes; total_steps receives the length of the whole phrase.
std::vector<PhraseNote> ParsePhrase(std::string_view text, int& total_steps);

struct Chord {
    int root = 0;  // pitch class, 0 = C
    std::vector<int> intervals;
};

Chord ParseChord(std::string_view name);

struct Track {
    std::string file;
    StereoSamples samples;
};

// Each track is a whole number of bars whose tails wrap around to the start.
std::vector<Track> RenderMusic();
