#pragma once

// Positions on the 640x480 playfield, which wraps at its edges.

// Off one edge of the playfield and back in at the other: below low the value
// becomes high, above high it becomes low. The margins are each object's own.
inline void WrapAround(float& value, float low, float high) {
    if (value < low) {
        value = high;
    } else if (value > high) {
        value = low;
    }
}

// Collisions place images at whole pixels, truncated toward zero.
inline int Pixel(float coordinate) { return static_cast<int>(coordinate); }
