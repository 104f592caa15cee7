#include <algorithm>
#include <cmath>

#include "noise.hpp"
#include "pictures.hpp"
#include "shapes.hpp"
#include "sprites.hpp"

namespace {

constexpr Point kPlanet{210.0f, 82.0f};
constexpr float kPlanetRadius = 54.0f;

// Position in the tilted ring's own frame, scaled so the ring's outer edge is at 1.
Point RingFrame(float x, float y) {
    const float tilt = DegreesToRadians(-14.0f);
    const float dx = x - kPlanet.x;
    const float dy = y - kPlanet.y;
    const float u = dx * std::cos(tilt) + dy * std::sin(tilt);
    const float v = -dx * std::sin(tilt) + dy * std::cos(tilt);
    return {u / 118.0f, v / 30.0f};
}

bool InRing(float x, float y, bool front) {
    const Point p = RingFrame(x, y);
    const float r = std::hypot(p.x, p.y);
    return r > 0.78f && r < 1.0f && (p.y >= 0.0f) == front;
}

Colour RingShade(float x, float y) {
    const Point p = RingFrame(x, y);
    const float r = std::hypot(p.x, p.y);
    const float stripe = 0.5f + 0.5f * std::cos((r - 0.78f) * 60.0f);
    return Mix({120, 210, 255}, {235, 250, 255}, 0.35f + 0.5f * stripe - 0.25f * p.x);
}

}  // namespace

Canvas DrawSplashLogo(const FontRasteriser& font) {
    Canvas logo(420, 236);
    logo.Fill([](float x, float y) { return InRing(x, y, false); },
              [](float x, float y) { return Scaled(RingShade(x, y), 0.7f); });
    logo.Fill(
        [](float x, float y) { return InEllipse(x, y, kPlanet.x, kPlanet.y, kPlanetRadius, kPlanetRadius); },
        [](float x, float y) {
            const float nx = (x - kPlanet.x) / kPlanetRadius;
            const float ny = (y - kPlanet.y) / kPlanetRadius;
            const float nz = std::sqrt(std::max(0.0f, 1.0f - nx * nx - ny * ny));
            const float light = std::clamp(-0.5f * nx - 0.6f * ny + 0.65f * nz, 0.0f, 1.0f);
            const float band = Fractal(ny * 6.0f, nx * 0.7f + 3.0f, 17u, 3);
            const Colour surface = Mix({215, 40, 110}, {255, 170, 50}, std::clamp(band * 1.3f - 0.15f, 0.0f, 1.0f));
            return Mix(Scaled(surface, 0.25f), Lit(surface, 1.0f + 0.35f * light * light), light);
        });
    logo.Fill([](float x, float y) { return InRing(x, y, true); }, RingShade);
    TextStyle style;
    style.outline = 2.5f;
    style.outline_colour = {30, 70, 190};
    style.drop_x = 3;
    style.drop_y = 3;
    style.drop_colour = {20, 30, 90};
    style.stretch = 0.8f;
    style.spacing = 3;
    DrawStyledText(logo, font, "REZARUDEV", 8, 152, 404, 80, style, [](float, float y, float top, float bottom, int) {
        const float t = std::clamp((y - top) / (bottom - top), 0.0f, 1.0f);
        if (t < 0.5f) {
            return Mix({255, 255, 255}, {150, 225, 255}, t / 0.5f);
        }
        return Mix({70, 150, 240}, {180, 235, 255}, (t - 0.5f) / 0.5f);
    });
    logo.SnapNearBlack();
    return logo;
}
