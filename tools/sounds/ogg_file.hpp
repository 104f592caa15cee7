#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "synth.hpp"

struct SoundStats {
    bool ok = false;
    int rate = 0;
    int channels = 0;
    double seconds = 0.0;
    double peak_db = -200.0;
    double rms_db = -200.0;
};

// The serial number is fixed by the caller: libogg would otherwise take none, and the
// usual choice (a random one) would change every file on every run.
bool WriteOggVorbis(const std::string& path, const std::vector<Samples>& channels, float quality, int serial);

// Decodes the written file again, because the encoder can overshoot the peaks it was given.
SoundStats MeasureOggVorbis(const std::string& path);
