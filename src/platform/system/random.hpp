#pragma once

// The game's one source of random numbers: a minimal-standard multiplicative
// generator (multiplier 48271, modulus 2^31 - 1). Every sequence the game
// produces follows from the seed, which replays rely on.
class Random {
public:
    static constexpr int kDefaultState = 0x1234;

    void SeedRandom(int seed);
    // Uniform in [0, 1); uses exactly two steps of the generator.
    double NextRandom();
    // Between the two bounds, in either order; the smaller one is included.
    double RandomReal(double a, double b);
    // Between the two bounds, in either order, both included.
    int RandomInt(int a, int b);

    int state() const { return state_; }

private:
    int Step();

    int state_ = kDefaultState;
};
