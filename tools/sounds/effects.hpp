#pragma once

#include <string>
#include <vector>

#include "synth.hpp"

struct Effect {
    std::string file;
    Samples samples;
    bool loops = false;
    // Relative to the common loudness every effect is brought to.
    double level_db = 0.0;
};

std::vector<Effect> RenderEffects();

// The UFO hum: every partial and modulator completes whole cycles in the returned length.
Samples RenderUfoLoop();
