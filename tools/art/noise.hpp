#pragma once

#include <cmath>
#include <cstdint>

// Our own generator and noise, so the pictures never depend on a library's choice of algorithm.
class Random {
public:
    explicit Random(std::uint64_t seed) : state_(seed) {}

    std::uint64_t Next() {
        state_ += 0x9E3779B97F4A7C15ull;
        std::uint64_t z = state_;
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }

    // Uniform in [low, high).
    float Real(float low, float high) {
        const double unit = static_cast<double>(Next() >> 11) / 9007199254740992.0;
        return static_cast<float>(low + (high - low) * unit);
    }

private:
    std::uint64_t state_;
};

inline float Hash2(int x, int y, std::uint32_t seed) {
    std::uint32_t h =
        static_cast<std::uint32_t>(x) * 0x8DA6B343u ^ static_cast<std::uint32_t>(y) * 0xD8163841u ^ seed * 0xCB1AB31Fu;
    h ^= h >> 13;
    h *= 0x5BD1E995u;
    h ^= h >> 15;
    return static_cast<float>(h & 0xFFFFFFu) / 16777215.0f;
}

inline float SmoothStep(float edge0, float edge1, float x) {
    float t = (x - edge0) / (edge1 - edge0);
    t = t < 0.0f ? 0.0f : (t > 1.0f ? 1.0f : t);
    return t * t * (3.0f - 2.0f * t);
}

// Value noise in [0, 1].
inline float ValueNoise(float x, float y, std::uint32_t seed) {
    const float fx = std::floor(x);
    const float fy = std::floor(y);
    const int ix = static_cast<int>(fx);
    const int iy = static_cast<int>(fy);
    const float tx = SmoothStep(0.0f, 1.0f, x - fx);
    const float ty = SmoothStep(0.0f, 1.0f, y - fy);
    const float top = Hash2(ix, iy, seed) + (Hash2(ix + 1, iy, seed) - Hash2(ix, iy, seed)) * tx;
    const float bottom = Hash2(ix, iy + 1, seed) + (Hash2(ix + 1, iy + 1, seed) - Hash2(ix, iy + 1, seed)) * tx;
    return top + (bottom - top) * ty;
}

inline float Fractal(float x, float y, std::uint32_t seed, int octaves) {
    float sum = 0.0f;
    float amplitude = 0.5f;
    float total = 0.0f;
    for (int octave = 0; octave < octaves; ++octave) {
        sum += ValueNoise(x, y, seed + static_cast<std::uint32_t>(octave) * 101u) * amplitude;
        total += amplitude;
        x *= 2.03f;
        y *= 2.03f;
        amplitude *= 0.5f;
    }
    return sum / total;
}
