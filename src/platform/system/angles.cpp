#include "platform/system/angles.hpp"

#include <cmath>

namespace {
constexpr double kRadiansPerDegree = 0.017453292519943295;
}

double SinDeg(double degrees) { return std::sin(degrees * kRadiansPerDegree); }
double CosDeg(double degrees) { return std::cos(degrees * kRadiansPerDegree); }
