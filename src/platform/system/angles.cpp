#include "platform/system/angles.hpp"

#include <cmath>

namespace {
constexpr double kRadiansPerDegree = 0.017453292519943295;
}

namespace {

// Sine and cosine from additions and multiplications alone, which every
// IEEE machine rounds alike: the C libraries of the desktop and of the
// browser differ in the last bit of some results, and a replay must give the
// same game on both.
struct Reduced {
    double high, low;  // the angle minus quadrant * pi/2, |high| <= pi/4 or so
    long long quadrant;
};

Reduced ReduceAngle(double x) {
    // pi/2 in three parts; the first two have 33 bits, so that their
    // products with a quadrant number are exact.
    constexpr double kPart1 = 1.57079632673412561417e+00;
    constexpr double kPart2 = 6.07710050630396597660e-11;
    constexpr double kPart3 = 2.02226624879595063154e-21;
    constexpr double kTwoOverPi = 6.36619772367581382433e-01;
    if (std::fabs(x) <= 0.78539816339744830962) return {x, 0.0, 0};
    double n = std::nearbyint(x * kTwoOverPi);
    double t = x - n * kPart1;
    double w = n * kPart2;
    double y = t - w;
    double error = (t - y) - w;
    double tail = error - n * kPart3;
    double high = y + tail;
    return {high, (y - high) + tail, static_cast<long long>(n)};
}

// |x| <= pi/4 or so, with y the low part of the angle.
double SinKernel(double x, double y) {
    constexpr double kS1 = -1.66666666666666324348e-01, kS2 = 8.33333333332248946124e-03,
                     kS3 = -1.98412698298579493134e-04, kS4 = 2.75573137070700676789e-06,
                     kS5 = -2.50507602534068634195e-08, kS6 = 1.58969099521155010221e-10;
    double z = x * x;
    double v = z * x;
    double r = kS2 + z * (kS3 + z * (kS4 + z * (kS5 + z * kS6)));
    return x - ((z * (0.5 * y - v * r) - y) - v * kS1);
}

double CosKernel(double x, double y) {
    constexpr double kC1 = 4.16666666666666019037e-02, kC2 = -1.38888888888741095749e-03,
                     kC3 = 2.48015872894767294178e-05, kC4 = -2.75573143513906633035e-07,
                     kC5 = 2.08757232129817482790e-09, kC6 = -1.13596475577881948265e-11;
    double z = x * x;
    double r = z * (kC1 + z * (kC2 + z * (kC3 + z * (kC4 + z * (kC5 + z * kC6)))));
    double half = 0.5 * z;
    double w = 1.0 - half;
    return w + (((1.0 - w) - half) + (z * r - x * y));
}

// The sine of the reduced angle turned on by `quarters` quarter turns: the
// cosine is the sine a quarter turn on.
double SinQuarters(const Reduced& a, long long quarters) {
    switch (((a.quadrant & 3) + quarters) & 3) {
    case 0:
        return SinKernel(a.high, a.low);
    case 1:
        return CosKernel(a.high, a.low);
    case 2:
        return -SinKernel(a.high, a.low);
    default:
        return -CosKernel(a.high, a.low);
    }
}

double SinRadians(double x) { return SinQuarters(ReduceAngle(x), 0); }

double CosRadians(double x) { return SinQuarters(ReduceAngle(x), 1); }

}  // namespace

double SinDeg(double degrees) { return SinRadians(degrees * kRadiansPerDegree); }
double CosDeg(double degrees) { return CosRadians(degrees * kRadiansPerDegree); }

void MoveAlong(float& x, float& y, double degrees, double distance) {
    x = static_cast<float>(x + SinDeg(degrees) * distance);
    y = static_cast<float>(y - CosDeg(degrees) * distance);
}
