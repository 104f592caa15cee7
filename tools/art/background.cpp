#include <algorithm>
#include <cmath>

#include "noise.hpp"
#include "pictures.hpp"
#include "shapes.hpp"

namespace {

constexpr float kCentre = 320.0f;

// The game spins this picture at 1.2x, so beyond this radius only the screen corners ever show it.
constexpr float kSeenRadius = 270.0f;

// The sky is laid out in rings about its centre, so that what lies behind the text does not depend
// on how far the picture has turned. Every menu row on the title screen lies within kCalmRadius of
// the centre; the HUD lines at the top and bottom of the playfield only ever cover the picture beyond
// kHudRadius. The nebula shows at full strength in between and is toned down under the HUD.
constexpr float kCalmRadius = 140.0f;
constexpr float kHudRadius = 178.0f;

// How strongly the nebula shows at a point. The calm disc's edge is ragged but never reaches inwards.
float NebulaStrength(float x, float y, float radius) {
    const float ragged = 34.0f * Fractal(x / 60.0f, y / 60.0f, 5u, 3);
    const float inner = SmoothStep(kCalmRadius - 6.0f + ragged, kCalmRadius + 30.0f + ragged, radius);
    const float outer = 1.0f - 0.65f * SmoothStep(kHudRadius - 16.0f, kHudRadius + 2.0f, radius);
    const float calm = 0.06f + 0.94f * inner;
    return calm * outer * SmoothStep(kSeenRadius + 70.0f, kSeenRadius, radius);
}

// The brightest a star may be at a distance from the centre: inside the calm disc no star outshines
// the dim menu rows, and under the HUD none glares through the letters.
float StarCeiling(float radius) {
    if (radius < kCalmRadius + 6.0f) {
        return 72.0f;
    }
    if (radius > kHudRadius - 6.0f) {
        return radius > kSeenRadius + 60.0f ? 90.0f : 110.0f;
    }
    return 255.0f;
}

// A soft diagonal band of dust and crowded stars through the middle.
float DustBand(float x, float y) {
    const float across =
        ((x - kCentre) * 0.5f - (y - kCentre) * 0.866f) + 40.0f * (Fractal(x / 120.0f, y / 120.0f, 77u, 3) - 0.5f);
    return std::exp(-(across * across) / (2.0f * 95.0f * 95.0f));
}

void DrawNebula(Canvas& sky) {
    for (int y = 0; y < sky.Height(); ++y) {
        for (int x = 0; x < sky.Width(); ++x) {
            const float fx = static_cast<float>(x);
            const float fy = static_cast<float>(y);
            const float radius = std::hypot(fx - kCentre, fy - kCentre);
            Colour colour = Mix({5, 6, 17}, {3, 4, 11}, SmoothStep(0.0f, 380.0f, radius));
            const float fade = NebulaStrength(fx, fy, radius) * (0.45f + 0.55f * DustBand(fx, fy));
            const float cloud = Fractal(fx / 150.0f, fy / 150.0f, 3u, 5);
            const float mist = Fractal(fx / 95.0f + 7.0f, fy / 95.0f, 8u, 5);
            const float purple = std::max(0.0f, cloud - 0.36f) * 2.0f * fade;
            const float teal = std::max(0.0f, mist - 0.45f) * 1.8f * fade;
            const float glow = std::pow(std::max(0.0f, cloud - 0.5f) * 2.0f, 2.0f) * fade;
            colour.r += purple * 120.0f + teal * 20.0f + glow * 90.0f;
            colour.g += purple * 30.0f + teal * 80.0f + glow * 50.0f;
            colour.b += purple * 140.0f + teal * 120.0f + glow * 80.0f;
            sky.Set(x, y, colour);
        }
    }
}

void DrawStars(Canvas& sky) {
    Canvas stars(sky.Width(), sky.Height());
    Random random(0x57A125ull);
    for (int star = 0; star < 3000; ++star) {
        const float x = random.Real(0.0f, 640.0f);
        const float y = random.Real(0.0f, 640.0f);
        const float chance = random.Real(0.0f, 1.0f);
        const float shade = random.Real(0.0f, 1.0f);
        const float size = random.Real(0.0f, 1.0f);
        const float tint = random.Real(0.0f, 1.0f);
        const float radius = std::hypot(x - kCentre, y - kCentre);
        const float crowd = 0.55f + 0.45f * DustBand(x, y);
        const float keep =
            crowd * (radius < kSeenRadius ? 1.0f : std::max(0.15f, 1.0f - (radius - kSeenRadius) / 80.0f));
        if (chance > keep) {
            continue;
        }
        const float brightness = std::min(30.0f + 225.0f * shade * shade * shade, StarCeiling(radius));
        const Colour hue = tint < 0.55f  ? Colour{255, 255, 255}
                           : tint < 0.8f ? Colour{190, 210, 255}
                                         : Colour{255, 225, 180};
        const float spread = 0.45f + 0.35f * size + brightness / 600.0f;
        for (int py = static_cast<int>(y) - 3; py <= static_cast<int>(y) + 3; ++py) {
            for (int px = static_cast<int>(x) - 3; px <= static_cast<int>(x) + 3; ++px) {
                const float dx = static_cast<float>(px) + 0.5f - x;
                const float dy = static_cast<float>(py) + 0.5f - y;
                float light = std::exp(-(dx * dx + dy * dy) / (2.0f * spread * spread));
                if (brightness > 200.0f) {
                    const float spike =
                        std::exp(-std::min(std::abs(dx), std::abs(dy)) * 3.0f) * std::exp(-std::hypot(dx, dy) / 2.0f);
                    light = std::max(light, 0.5f * spike);
                }
                stars.Add(px, py, Scaled(hue, light * brightness / 255.0f));
            }
        }
    }
    // Neighbouring stars add up; no pixel of them may pass the ceiling where it lies.
    for (int y = 0; y < sky.Height(); ++y) {
        for (int x = 0; x < sky.Width(); ++x) {
            const Colour light = stars.At(x, y);
            const float brightest = std::max({light.r, light.g, light.b});
            if (brightest <= 0.0f) {
                continue;
            }
            const float radius =
                std::hypot(static_cast<float>(x) + 0.5f - kCentre, static_cast<float>(y) + 0.5f - kCentre);
            sky.Add(x, y, Scaled(light, std::min(1.0f, StarCeiling(radius) / brightest)));
        }
    }
}

void DrawPlanet(Canvas& sky) {
    // Right of the title menu, on the ring between the calm disc and the HUD.
    const float cx = 474.0f;
    const float cy = 306.0f;
    const float radius = 22.0f;
    // Atmosphere haze first, then the lit disc over it.
    for (int y = 0; y < sky.Height(); ++y) {
        for (int x = 0; x < sky.Width(); ++x) {
            const float dx = static_cast<float>(x) + 0.5f - cx;
            const float dy = static_cast<float>(y) + 0.5f - cy;
            const float distance = std::hypot(dx, dy);
            if (distance > radius && distance < radius + 8.0f) {
                const float lit = std::clamp(0.5f - 0.5f * (dx * 0.8f + dy * 0.6f) / distance, 0.0f, 1.0f);
                const float haze = std::exp(-(distance - radius) / 2.5f) * (0.25f + 0.75f * lit);
                sky.Add(x, y, Scaled({90, 150, 255}, haze * 0.55f));
            }
        }
    }
    sky.Fill([&](float x, float y) { return InEllipse(x, y, cx, cy, radius, radius); },
             [&](float x, float y) {
                 const float nx = (x - cx) / radius;
                 const float ny = (y - cy) / radius;
                 const float nz = std::sqrt(std::max(0.0f, 1.0f - nx * nx - ny * ny));
                 const float light = std::max(0.0f, -0.8f * nx - 0.6f * ny + 0.35f * nz);
                 const float band =
                     Fractal(ny * 7.0f + 0.3f * Fractal(nx * 3.0f, ny * 3.0f, 41u, 2), nx * 0.8f, 40u, 4);
                 const Colour surface = Mix({190, 120, 80}, {235, 205, 160}, band);
                 const Colour night{8, 10, 22};
                 return Mix(night, surface, std::min(1.0f, light * 1.15f));
             });
}

}  // namespace

Canvas DrawBackground() {
    Canvas sky(640, 640);
    DrawNebula(sky);
    DrawStars(sky);
    DrawPlanet(sky);
    return sky;
}
