#pragma once

#include <algorithm>
#include <cmath>
#include <vector>

#include "canvas.hpp"

struct Point {
    float x;
    float y;
};

inline bool InEllipse(float x, float y, float cx, float cy, float rx, float ry) {
    const float dx = (x - cx) / rx;
    const float dy = (y - cy) / ry;
    return dx * dx + dy * dy <= 1.0f;
}

inline bool InPolygon(float x, float y, const std::vector<Point>& corners) {
    bool inside = false;
    for (std::size_t i = 0, j = corners.size() - 1; i < corners.size(); j = i++) {
        const Point& a = corners[i];
        const Point& b = corners[j];
        if ((a.y > y) != (b.y > y) && x < (b.x - a.x) * (y - a.y) / (b.y - a.y) + a.x) {
            inside = !inside;
        }
    }
    return inside;
}

inline float DistanceToSegment(float x, float y, Point a, Point b) {
    const float abx = b.x - a.x;
    const float aby = b.y - a.y;
    const float length_squared = abx * abx + aby * aby;
    float t = length_squared > 0.0f ? ((x - a.x) * abx + (y - a.y) * aby) / length_squared : 0.0f;
    t = std::clamp(t, 0.0f, 1.0f);
    const float dx = x - (a.x + abx * t);
    const float dy = y - (a.y + aby * t);
    return std::sqrt(dx * dx + dy * dy);
}

inline bool InRoundedRect(float x, float y, float left, float top, float right, float bottom, float radius) {
    const float cx = std::clamp(x, left + radius, right - radius);
    const float cy = std::clamp(y, top + radius, bottom - radius);
    const float dx = x - cx;
    const float dy = y - cy;
    return x >= left && x <= right && y >= top && y <= bottom && dx * dx + dy * dy <= radius * radius;
}

// Heat 0..1 to colour: black, deep red, orange, yellow, white.
inline Colour FireRamp(float heat) {
    const float t = std::clamp(heat, 0.0f, 1.0f);
    if (t < 0.25f) {
        return Mix({0, 0, 0}, {170, 20, 0}, t / 0.25f);
    }
    if (t < 0.5f) {
        return Mix({170, 20, 0}, {255, 110, 10}, (t - 0.25f) / 0.25f);
    }
    if (t < 0.75f) {
        return Mix({255, 110, 10}, {255, 220, 60}, (t - 0.5f) / 0.25f);
    }
    return Mix({255, 220, 60}, {255, 255, 235}, (t - 0.75f) / 0.25f);
}

inline float DegreesToRadians(float degrees) { return degrees * 3.14159265f / 180.0f; }
