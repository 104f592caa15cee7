#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

// Encodes interleaved 16-bit frames as an OGG Vorbis file, so tests can make
// the sounds they load.
std::vector<unsigned char> EncodeOggVorbis(std::span<const std::int16_t> samples, int channels, int hertz,
                                           float quality = 0.4f);

// A sine of the given frequency and peak, the same on every channel.
std::vector<std::int16_t> MakeSine(int frames, int channels, int hertz, double frequency, int peak);

bool WriteFile(const std::string& path, std::span<const unsigned char> bytes);
