#include "platform/system/random.hpp"

void Random::SeedRandom(int seed) {
    state_ = seed & 0x7fffffff;
    // Both would make the generator stick at one value.
    if (state_ == 0 || state_ == 0x7fffffff) state_ = kDefaultState;
}

int Random::Step() {
    // Schrage's method: the product never overflows 32 bits.
    state_ = (state_ % 44488) * 48271 - (state_ / 44488) * 3399;
    if (state_ < 0) state_ += 0x7fffffff;
    return state_;
}

double Random::NextRandom() {
    double high = Step() & 0x1ffffffc;
    double low = Step() & 0x1ffffff8;
    return (high + low / 134217728.0) / 536870912.0;
}

double Random::RandomReal(double a, double b) {
    double r = NextRandom();
    if (b > a) return a + r * (b - a);
    return b + r * (a - b);
}

int Random::RandomInt(int a, int b) {
    double r = NextRandom();
    // Done in 64 bits so that bounds far apart cannot overflow the span.
    long long span = static_cast<long long>(b) - a;
    if (span > 0) return static_cast<int>(a + static_cast<long long>(r * static_cast<double>(span + 1)));
    return static_cast<int>(b + static_cast<long long>(r * static_cast<double>(1 - span)));
}
