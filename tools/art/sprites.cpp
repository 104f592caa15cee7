#include "sprites.hpp"

#include <array>
#include <cmath>
#include <cstdlib>

#include "noise.hpp"
#include "shapes.hpp"

namespace {

constexpr Colour kWhite{255, 255, 255};

std::vector<Point> Mirrored(const std::vector<Point>& left_half, float centre_x) {
    std::vector<Point> mirrored;
    for (auto it = left_half.rbegin(); it != left_half.rend(); ++it) {
        mirrored.push_back({2.0f * centre_x - it->x, it->y});
    }
    return mirrored;
}

// Paints a heat field through the fire ramp, additive over what is there.
void PaintHeat(Canvas& canvas, const std::function<float(float, float)>& heat) {
    for (int y = 0; y < canvas.Height(); ++y) {
        for (int x = 0; x < canvas.Width(); ++x) {
            float sum = 0.0f;
            for (int sy = 0; sy < 3; ++sy) {
                for (int sx = 0; sx < 3; ++sx) {
                    sum += heat(static_cast<float>(x) + (static_cast<float>(sx) + 0.5f) / 3.0f,
                                static_cast<float>(y) + (static_cast<float>(sy) + 0.5f) / 3.0f);
                }
            }
            const float value = sum / 9.0f;
            if (value > 0.0f) {
                canvas.Add(x, y, FireRamp(value));
            }
        }
    }
}

}  // namespace

Canvas DrawShip(int frame) {
    Canvas ship(15, 37);
    const float centre = 7.5f;
    if (frame > 0) {
        struct Exhaust {
            float length;
            float half_width;
            float heat;
        };
        const std::array<Exhaust, 3> exhausts{{{4.5f, 2.2f, 0.95f}, {8.0f, 2.6f, 1.0f}, {6.0f, 2.4f, 0.8f}}};
        const Exhaust exhaust = exhausts[static_cast<std::size_t>(frame - 1)];
        const float start = 28.5f;
        PaintHeat(ship, [&](float x, float y) {
            const float t = (y - start) / exhaust.length;
            if (t < 0.0f || t > 1.0f) {
                return 0.0f;
            }
            const float half = exhaust.half_width * std::pow(1.0f - t, 0.8f);
            const float across = std::abs(x - centre) / std::max(half, 0.01f);
            if (across > 1.0f) {
                return 0.0f;
            }
            return exhaust.heat * (1.0f - 0.55f * t) * (1.0f - 0.45f * across * across) + 0.12f;
        });
    }
    const std::vector<Point> left_wing{{6.0f, 13.0f}, {6.0f, 26.5f}, {0.2f, 29.8f}, {0.2f, 24.5f}};
    const std::vector<Point> right_wing = Mirrored(left_wing, centre);
    const Colour wing{40, 95, 215};
    auto wing_shade = [&](float x, float y) {
        const float edge = std::abs(x - centre) / 7.5f;
        const float leading = SmoothStep(3.0f, 0.0f, y - (13.0f + edge * 11.5f));
        return Mix(Lit(wing, 0.85f + 0.3f * (1.0f - edge)), {140, 190, 255}, 0.7f * leading);
    };
    ship.Fill([&](float x, float y) { return InPolygon(x, y, left_wing) || InPolygon(x, y, right_wing); }, wing_shade);
    ship.Fill([&](float x, float y) { return y > 27.0f && y < 30.0f && std::abs(x - centre) < 2.0f; },
              FromBytes(110, 110, 125));
    const std::vector<Point> hull{{7.5f, 3.5f},  {9.4f, 9.0f},  {10.0f, 15.0f}, {9.8f, 27.0f}, {9.0f, 28.5f},
                                  {6.0f, 28.5f}, {5.2f, 27.0f}, {5.0f, 15.0f},  {5.6f, 9.0f}};
    ship.Fill([&](float x, float y) { return InPolygon(x, y, hull); },
              [&](float x, float y) {
                  const float side = (x - centre) / 2.5f;
                  const float light = 1.05f - 0.35f * side - 0.1f * (y / 37.0f);
                  return Lit({205, 210, 225}, light);
              });
    ship.Fill(
        [&](float x, float y) { return InEllipse(x, y, centre, 12.5f, 1.4f, 3.2f); },
        [&](float x, float y) {
            return Mix({90, 230, 255}, {10, 70, 140}, std::clamp((y - 10.0f) / 6.0f + (x - centre) * 0.2f, 0.0f, 1.0f));
        });
    ship.Fill([&](float x, float y) { return std::abs(x - centre) < 0.6f && y > 18.0f && y < 26.0f; },
              FromBytes(220, 60, 50));
    ship.SnapNearBlack();
    return ship;
}

Canvas DrawShot() {
    Canvas shot(4, 9);
    shot.Fill(
        [](float x, float y) {
            return DistanceToSegment(x, y, {2.0f, 2.0f}, {2.0f, 7.0f}) < 2.0f;
        },
        [](float x, float y) {
            const float across = std::abs(x - 2.0f);
            const float along = y / 9.0f;
            return Mix({255, 255, 240}, Mix({255, 230, 60}, {255, 140, 20}, along), SmoothStep(0.4f, 1.6f, across));
        });
    shot.SnapNearBlack();
    return shot;
}

Canvas DrawParticle() {
    Canvas spark(20, 17);
    const float cx = 10.0f;
    const float cy = 8.5f;
    PaintHeat(spark, [&](float x, float y) {
        const float dx = x - cx;
        const float dy = y - cy;
        const float distance = std::sqrt(dx * dx + dy * dy);
        const float core = std::max(0.0f, 1.0f - distance / 4.5f);
        const float horizontal =
            std::max(0.0f, 1.0f - std::abs(dy) / 1.1f) * std::max(0.0f, 1.0f - std::abs(dx) / 10.0f);
        const float vertical = std::max(0.0f, 1.0f - std::abs(dx) / 1.1f) * std::max(0.0f, 1.0f - std::abs(dy) / 8.5f);
        const float diagonal_a =
            std::max(0.0f, 1.0f - std::abs(dx - dy) / 1.3f) * std::max(0.0f, 1.0f - distance / 6.0f);
        const float diagonal_b =
            std::max(0.0f, 1.0f - std::abs(dx + dy) / 1.3f) * std::max(0.0f, 1.0f - distance / 6.0f);
        return std::min(
            1.0f, core * 1.2f + 0.9f * std::max({horizontal, vertical}) + 0.6f * std::max(diagonal_a, diagonal_b));
    });
    spark.SnapNearBlack();
    return spark;
}

namespace {

void DrawGunSatellite(Canvas& icon) {
    const Colour panel{50, 90, 200};
    icon.Fill(
        [](float x, float y) { return (x < 3.2f || x > 11.8f) && x > 0.3f && x < 14.7f && y > 6.0f && y < 12.0f; },
        [&](float x, float y) {
            const bool seam =
                std::fmod(y - 6.0f, 2.0f) < 0.45f || std::abs(x - 1.75f) < 0.25f || std::abs(x - 13.25f) < 0.25f;
            return seam ? Colour{150, 180, 240} : panel;
        });
    icon.Fill([](float x, float y) { return y > 8.4f && y < 9.6f && x > 2.0f && x < 13.0f; }, FromBytes(160, 160, 170));
    icon.Fill([](float x, float y) { return x > 6.3f && x < 8.7f && y > 0.4f && y < 6.0f; },
              [](float x, float) {
                  return Lit({190, 190, 200}, 1.1f - 0.25f * (x - 6.3f));
              });
    icon.Fill([](float x, float y) { return InEllipse(x, y, 7.5f, 9.0f, 4.2f, 4.2f); },
              [](float x, float y) {
                  const float light = 1.15f - 0.08f * (x - 5.0f) - 0.08f * (y - 6.0f);
                  return Lit({170, 175, 190}, light);
              });
    icon.Fill([](float x, float y) { return InEllipse(x, y, 7.5f, 9.0f, 1.7f, 1.7f); }, FromBytes(255, 70, 60));
}

void DrawShieldSegment(Canvas& icon) {
    // Part of a circle of radius 18 about the ship, which sits below the segment.
    const float cx = 7.5f;
    const float cy = 25.8f;
    icon.Fill(
        [&](float x, float y) {
            const float dx = x - cx;
            const float dy = y - cy;
            const float radius = std::sqrt(dx * dx + dy * dy);
            const float angle = std::abs(std::atan2(dx, -dy));
            return std::abs(radius - 18.0f) < 2.3f && angle < DegreesToRadians(21.0f);
        },
        [&](float x, float y) {
            const float dx = x - cx;
            const float dy = y - cy;
            const float offset = std::abs(std::sqrt(dx * dx + dy * dy) - 18.0f);
            return Mix({255, 255, 255}, {170, 175, 200}, SmoothStep(0.3f, 2.3f, offset));
        });
}

void DrawMine(Canvas& icon) {
    const float cx = 7.5f;
    const float cy = 7.5f;
    icon.Fill(
        [&](float x, float y) {
            for (int spike = 0; spike < 8; ++spike) {
                const float angle = DegreesToRadians(22.5f + 45.0f * static_cast<float>(spike));
                const Point tip{cx + std::sin(angle) * 7.2f, cy - std::cos(angle) * 7.2f};
                if (DistanceToSegment(x, y, {cx, cy}, tip) < 0.85f) {
                    return true;
                }
            }
            return false;
        },
        FromBytes(185, 185, 195));
    icon.Fill([&](float x, float y) { return InEllipse(x, y, cx, cy, 4.6f, 4.6f); },
              [&](float x, float y) {
                  return Lit({175, 25, 25}, 1.2f - 0.07f * (x - 4.0f) - 0.07f * (y - 4.0f));
              });
    icon.Fill([&](float x, float y) { return InEllipse(x, y, cx, cy, 1.6f, 1.6f); }, FromBytes(255, 235, 90));
}

void DrawRocket(Canvas& icon) {
    const float cx = 7.5f;
    icon.Fill(
        [&](float x, float y) {
            return InPolygon(x, y, {{cx, 11.0f}, {cx - 1.8f, 14.8f}, {cx + 1.8f, 14.8f}});
        },
        [&](float, float y) {
            return Mix({255, 240, 120}, {255, 90, 10}, (y - 11.0f) / 3.8f);
        });
    const std::vector<Point> left_fin{{cx - 1.5f, 7.5f}, {cx - 1.5f, 11.5f}, {cx - 4.3f, 12.8f}, {cx - 4.3f, 10.5f}};
    const std::vector<Point> right_fin = Mirrored(left_fin, cx);
    icon.Fill([&](float x, float y) { return InPolygon(x, y, left_fin) || InPolygon(x, y, right_fin); },
              FromBytes(215, 35, 35));
    icon.Fill([&](float x, float y) { return x > cx - 1.7f && x < cx + 1.7f && y > 3.5f && y < 11.8f; },
              [&](float x, float) {
                  return Lit({225, 225, 235}, 1.1f - 0.12f * (x - cx + 1.7f));
              });
    icon.Fill(
        [&](float x, float y) {
            return InPolygon(x, y, {{cx, 0.3f}, {cx + 1.7f, 3.8f}, {cx - 1.7f, 3.8f}});
        },
        FromBytes(230, 40, 40));
}

void DrawSmokePuff(Canvas& icon) {
    // A lumpy cloud, kept pale so the game's blue-grey tint shows.
    const std::array<std::array<float, 3>, 7> puffs{{{7.5f, 7.5f, 4.2f},
                                                     {4.3f, 8.8f, 3.0f},
                                                     {10.7f, 8.6f, 3.0f},
                                                     {5.6f, 4.9f, 2.9f},
                                                     {9.6f, 4.6f, 2.8f},
                                                     {7.2f, 11.2f, 3.0f},
                                                     {11.2f, 11.0f, 2.2f}}};
    icon.Fill(
        [&](float x, float y) {
            for (const auto& puff : puffs) {
                if (InEllipse(x, y, puff[0], puff[1], puff[2], puff[2])) {
                    return true;
                }
            }
            return false;
        },
        [&](float x, float y) {
            float light = 0.0f;
            for (const auto& puff : puffs) {
                const float dx = (x - puff[0]) / puff[2];
                const float dy = (y - puff[1]) / puff[2];
                const float d2 = dx * dx + dy * dy;
                if (d2 <= 1.0f) {
                    light = std::max(light, 0.95f - 0.25f * (dx * 0.6f + dy) - 0.25f * d2);
                }
            }
            return Lit({215, 215, 220}, std::clamp(light, 0.6f, 1.3f));
        });
}

// 5x7 letters for the pickup balls.
const char* LetterRows(char letter) {
    switch (letter) {
    case 'S':
        return ".###.#...##.....###.....##...#.###.";
    case 'G':
        return ".###.#...##....#.####...##...#.###.";
    case 'M':
        return "#...###.###.#.##.#.##...##...##...#";
    case 'H':
        return "#...##...##...#######...##...##...#";
    case 'R':
        return "####.#...##...#####.#.#..#..#.#...#";
    case 'A':
        return ".###.#...##...#######...##...##...#";
    default:
        return "####.#...##...#####.#...##...#####.";
    }
}

void DrawPickupBall(Canvas& icon, Colour base, char letter) {
    // Pixel-centre coverage keeps the outline identical on every ball, since the game tests them all as frame 5.
    for (int y = 0; y < 15; ++y) {
        for (int x = 0; x < 15; ++x) {
            const float dx = (static_cast<float>(x) + 0.5f - 7.5f) / 7.3f;
            const float dy = (static_cast<float>(y) + 0.5f - 7.5f) / 7.3f;
            const float distance_squared = dx * dx + dy * dy;
            if (distance_squared > 1.0f) {
                continue;
            }
            const float nz = std::sqrt(1.0f - distance_squared);
            const float diffuse = std::max(0.0f, -0.45f * dx - 0.55f * dy + 0.7f * nz);
            Colour colour = Lit(base, 0.45f + 0.75f * diffuse);
            const float hx = dx + 0.4f;
            const float hy = dy + 0.45f;
            colour = Mix(colour, kWhite, std::max(0.0f, 0.8f - 4.0f * (hx * hx + hy * hy)));
            icon.Set(x, y, colour);
        }
    }
    const char* rows = LetterRows(letter);
    const Colour shadow = Scaled(base, 0.35f);
    for (int pass = 0; pass < 2; ++pass) {
        for (int row = 0; row < 7; ++row) {
            for (int column = 0; column < 5; ++column) {
                if (rows[row * 5 + column] == '#') {
                    icon.Set(5 + column + (pass == 0 ? 1 : 0), 4 + row + (pass == 0 ? 1 : 0),
                             pass == 0 ? shadow : kWhite);
                }
            }
        }
    }
}

}  // namespace

Canvas DrawIcon(int frame) {
    Canvas icon(15, 15);
    struct Ball {
        Colour colour;
        char letter;
    };
    const std::array<Ball, 7> balls{{{{30, 100, 255}, 'S'},
                                     {{30, 165, 40}, 'G'},
                                     {{215, 30, 30}, 'M'},
                                     {{140, 50, 215}, 'H'},
                                     {{240, 120, 10}, 'R'},
                                     {{225, 40, 150}, 'A'},
                                     {{0, 160, 165}, 'B'}}};
    switch (frame) {
    case 0:
        DrawGunSatellite(icon);
        break;
    case 1:
        DrawShieldSegment(icon);
        break;
    case 2:
        DrawMine(icon);
        break;
    case 3:
        DrawRocket(icon);
        break;
    case 4:
        DrawSmokePuff(icon);
        break;
    default: {
        const Ball& ball = balls[static_cast<std::size_t>(frame - 5)];
        DrawPickupBall(icon, ball.colour, ball.letter);
    }
    }
    icon.SnapNearBlack();
    return icon;
}

Canvas DrawBurger() {
    Canvas burger(77, 63);
    const float cx = 38.5f;
    // Bottom bun.
    burger.Fill([](float x, float y) { return InRoundedRect(x, y, 5.0f, 42.0f, 72.0f, 61.0f, 8.0f); },
                [](float x, float y) {
                    const float depth = (y - 48.0f) / 13.0f;
                    return Lit({215, 130, 45}, 1.1f - 0.35f * depth - 0.2f * std::abs(x - 38.5f) / 34.0f);
                });
    // Patty.
    burger.Fill([](float x, float y) { return InRoundedRect(x, y, 2.5f, 35.5f, 74.5f, 49.0f, 5.5f); },
                [](float x, float y) {
                    const float grain = Fractal(x * 0.45f, y * 0.45f, 11u, 3);
                    const float edge = SmoothStep(45.5f, 49.0f, y) + SmoothStep(38.0f, 35.5f, y) * 0.5f;
                    return Lit({120, 62, 30}, 1.05f + 0.45f * (grain - 0.5f) - 0.3f * edge);
                });
    // Cheese with drips.
    burger.Fill(
        [](float x, float y) {
            if (x < 3.5f || x > 73.5f) {
                return false;
            }
            if (y > 32.0f && y < 37.5f) {
                return true;
            }
            const std::array<float, 4> drips{13.0f, 30.0f, 49.0f, 63.0f};
            for (float drip : drips) {
                if (DistanceToSegment(x, y, {drip, 36.0f}, {drip, 41.0f + std::fmod(drip, 3.0f)}) < 2.2f) {
                    return true;
                }
            }
            return false;
        },
        [](float, float y) {
            return Lit({255, 200, 30}, 1.1f - 0.02f * (y - 32.0f));
        });
    // Lettuce: a wavy band peeking out under the top bun.
    burger.Fill(
        [](float x, float y) {
            const float wave = 33.5f + 1.8f * std::sin(x * 0.75f) + 0.8f * std::sin(x * 1.9f + 1.0f);
            return x > 1.0f && x < 76.0f && y > 24.0f && y < wave;
        },
        [](float x, float y) {
            const float vein = 0.5f + 0.5f * std::sin(x * 0.75f + 1.2f);
            return Mix({55, 165, 35}, {150, 225, 70}, 0.3f + 0.5f * vein - 0.04f * (y - 29.0f));
        });
    // Top bun.
    burger.Fill(
        [&](float x, float y) {
            if (y <= 26.0f) {
                return InEllipse(x, y, cx, 26.0f, 35.5f, 24.5f);
            }
            return InRoundedRect(x, y, 3.0f, 20.0f, 74.0f, 28.5f, 3.0f);
        },
        [&](float x, float y) {
            const float dx = (x - cx) / 35.5f;
            const float dy = (y - 26.0f) / 24.5f;
            const float light = 1.0f - 0.5f * dx - 0.6f * dy;
            const Colour crust = Lit({220, 130, 40}, 0.55f + 0.45f * std::clamp(light, 0.0f, 1.6f));
            const float rim = SmoothStep(24.5f, 28.5f, y);
            return Mix(crust, {245, 190, 110}, rim * 0.8f);
        });
    // Sesame seeds.
    const std::array<Point, 11> seeds{
        {{22, 10}, {35, 6}, {50, 9}, {28, 16}, {43, 14}, {58, 17}, {16, 20}, {36, 21}, {63, 10}, {48, 21}, {12, 13}}};
    for (std::size_t i = 0; i < seeds.size(); ++i) {
        const Point seed = seeds[i];
        const float tilt = (i % 2 == 0) ? 0.35f : -0.35f;
        burger.Fill(
            [&](float x, float y) {
                const float dx = x - seed.x;
                const float dy = y - seed.y;
                const float u = dx * std::cos(tilt) + dy * std::sin(tilt);
                const float v = -dx * std::sin(tilt) + dy * std::cos(tilt);
                return (u * u) / (1.9f * 1.9f) + (v * v) / (1.1f * 1.1f) <= 1.0f;
            },
            [&](float, float y) {
                return Mix({255, 248, 215}, {220, 200, 150}, std::clamp(y - seed.y + 0.5f, 0.0f, 1.0f));
            });
    }
    burger.SnapNearBlack();
    return burger;
}

Canvas DrawUfo() {
    Canvas ufo(53, 53);
    const float cx = 26.5f;
    struct Fry {
        float x;
        float top;
        float tilt;
    };
    const std::array<Fry, 9> fries{{{13.0f, 9.0f, -0.28f},
                                    {17.5f, 4.5f, -0.16f},
                                    {22.0f, 7.5f, -0.06f},
                                    {26.5f, 2.0f, 0.02f},
                                    {31.0f, 6.0f, 0.08f},
                                    {35.5f, 3.5f, 0.17f},
                                    {40.0f, 9.5f, 0.27f},
                                    {20.0f, 12.0f, 0.12f},
                                    {33.0f, 12.5f, -0.12f}}};
    for (const Fry& fry : fries) {
        const Point top{fry.x, fry.top};
        const Point bottom{fry.x - std::sin(fry.tilt) * 24.0f, fry.top + std::cos(fry.tilt) * 24.0f};
        ufo.Fill([&](float x, float y) { return DistanceToSegment(x, y, top, bottom) < 2.1f; },
                 [&](float x, float y) {
                     const float across = (x - (top.x + (bottom.x - top.x) * (y - top.y) / (bottom.y - top.y))) / 2.1f;
                     const float tip = SmoothStep(3.0f, 0.0f, y - top.y);
                     const Colour fresh = Lit({250, 205, 60}, 1.15f - 0.3f * across - 0.2f * across * across);
                     return Mix(fresh, {205, 120, 30}, tip * 0.7f);
                 });
    }
    auto carton_top = [&](float x) {
        const float u = (x - cx) / 19.0f;
        return 17.0f + 9.0f * (1.0f - u * u);
    };
    ufo.Fill(
        [&](float x, float y) {
            if (y > 50.5f || y < carton_top(x)) {
                return false;
            }
            const float t = (y - 17.0f) / 33.5f;
            const float half = 19.0f - 5.5f * t;
            return std::abs(x - cx) <= half;
        },
        [&](float x, float y) {
            const float side = (x - cx) / 19.0f;
            const float light = 1.05f - 0.35f * side * side - 0.2f * (y - 20.0f) / 30.0f - 0.15f * side;
            Colour red = Lit({215, 30, 30}, light);
            if (y - carton_top(x) < 1.6f) {
                red = Lit(red, 1.35f);
            }
            return red;
        });
    ufo.Fill(
        [&](float x, float y) {
            const float dx = x - cx;
            const float dy = y - 38.0f;
            const float angle = std::atan2(dx, -dy);
            const float radius = std::sqrt(dx * dx + dy * dy);
            const float points = 0.5f + 0.5f * std::cos(angle * 5.0f);
            return radius < 3.2f + 3.8f * points * points;
        },
        FromBytes(255, 215, 40));
    ufo.SnapNearBlack();
    return ufo;
}

Canvas DrawFries() {
    Canvas fries(18, 30);
    const Point top{10.0f, 3.0f};
    const Point bottom{8.0f, 27.0f};
    fries.Fill([&](float x, float y) { return DistanceToSegment(x, y, top, bottom) < 3.0f; },
               [&](float x, float y) {
                   const float axis = top.x + (bottom.x - top.x) * (y - top.y) / (bottom.y - top.y);
                   const float across = (x - axis) / 3.0f;
                   const float end = std::max(SmoothStep(4.5f, 0.5f, y), SmoothStep(25.0f, 29.5f, y));
                   const Colour fresh = Lit({250, 205, 60}, 1.2f - 0.35f * across - 0.25f * across * across);
                   return Mix(fresh, {200, 115, 30}, 0.75f * end);
               });
    fries.SnapNearBlack();
    return fries;
}

Canvas DrawFlame() {
    // The game turns this by the burger's heading + 90, so the head on the left faces the burger.
    Canvas flame(112, 68);
    const float axis_y = 34.0f;
    const float head_x = 24.0f;
    const float head_radius = 22.0f;
    PaintHeat(flame, [&](float x, float y) {
        float half;
        if (x < head_x) {
            const float dx = head_x - x;
            if (dx >= head_radius) {
                return 0.0f;
            }
            half = std::sqrt(head_radius * head_radius - dx * dx);
        } else {
            const float t = (x - head_x) / (111.0f - head_x);
            if (t >= 1.0f) {
                return 0.0f;
            }
            half = head_radius * std::pow(1.0f - t, 0.9f);
        }
        const float side = y < axis_y ? 0.0f : 37.0f;
        half *= 0.78f + 0.4f * Fractal(x * 0.07f, side, 5u, 3);
        half = std::min(half, 33.5f);
        const float across = std::abs(y - axis_y) / std::max(half, 0.01f);
        if (across >= 1.0f) {
            return 0.0f;
        }
        const float along = std::clamp((x - 2.0f) / 109.0f, 0.0f, 1.0f);
        const float flicker = 0.85f + 0.3f * Fractal(x * 0.12f, y * 0.12f, 9u, 3);
        return std::pow(1.0f - across, 0.55f) * (1.05f - 0.7f * along) * flicker;
    });
    flame.SnapNearBlack();
    return flame;
}

Canvas DrawRing() {
    Canvas ring(139, 132);
    const float cx = 69.5f;
    const float cy = 66.0f;
    for (int y = 0; y < ring.Height(); ++y) {
        for (int x = 0; x < ring.Width(); ++x) {
            float glow_sum = 0.0f;
            for (int sample = 0; sample < 4; ++sample) {
                const float px = static_cast<float>(x) + 0.25f + 0.5f * static_cast<float>(sample % 2);
                const float py = static_cast<float>(y) + 0.25f + 0.5f * static_cast<float>(sample / 2);
                const float dx = (px - cx) / 61.5f;
                const float dy = (py - cy) / 58.5f;
                const float offset = (std::sqrt(dx * dx + dy * dy) - 1.0f) * 60.0f;
                const float distance = std::max(0.0f, std::abs(offset) - 1.6f);
                glow_sum += std::exp(-distance / (offset > 0.0f ? 1.8f : 2.8f));
            }
            // The ring is drawn with alpha blending and tinted red as the pickup halo, where any dark pixel
            // would paint a dark rim over the sky. So every pixel it covers is light, red channel included,
            // and the glow ends in a hard cut to black. The cut is where a fading glow would have dropped
            // below the near-black snap: collisions with the ring see the same outline either way.
            const float glow = glow_sum / 4.0f;
            if (glow * 255.0f < 12.5f) {
                continue;
            }
            ring.Set(x, y, Mix({190, 210, 255}, kWhite, SmoothStep(0.25f, 0.95f, glow)));
        }
    }
    return ring;
}

Canvas DrawExplosion() {
    Canvas flash(58, 55);
    const float cx = 29.0f;
    const float cy = 27.5f;
    PaintHeat(flash, [&](float x, float y) {
        const float dx = x - cx;
        const float dy = y - cy;
        const float angle = std::atan2(dy, dx);
        const float wobble = Fractal(std::cos(angle) * 4.0f + 10.0f, std::sin(angle) * 4.0f + 10.0f, 21u, 3);
        const float rays = std::pow(std::abs(std::cos(angle * 4.5f + 0.6f)), 6.0f);
        const float radius = 16.0f + 9.0f * wobble + 6.0f * rays;
        const float t = std::sqrt(dx * dx + dy * dy) / std::min(radius, 27.0f);
        if (t >= 1.0f) {
            return 0.0f;
        }
        const float churn = Fractal(x * 0.15f, y * 0.15f, 23u, 3);
        return std::min(1.0f, (1.0f - t * t) * (0.75f + 0.6f * churn) + 0.05f);
    });
    flash.SnapNearBlack();
    return flash;
}

void DrawStyledText(Canvas& canvas, const FontRasteriser& font, const std::string& text, int left, int top, int width,
                    int height, const TextStyle& style, const LetterShader& fill) {
    constexpr int kFine = 4;
    const int margin = static_cast<int>(std::ceil(style.outline));
    const RenderedText rendered =
        font.Fit(text, (width - 2 * margin - style.drop_x) * kFine, (height - 2 * margin - style.drop_y) * kFine,
                 style.stretch, style.spacing * kFine);
    const int text_left = (width * kFine - rendered.mask.Width() - style.drop_x * kFine) / 2;
    const int text_top = (height * kFine - rendered.mask.Height() - style.drop_y * kFine) / 2;
    Mask fine(width * kFine, height * kFine);
    for (int y = 0; y < rendered.mask.Height(); ++y) {
        for (int x = 0; x < rendered.mask.Width(); ++x) {
            fine.Set(text_left + x, text_top + y, rendered.mask.At(x, y));
        }
    }
    const Mask outline = fine.Dilated(style.outline * kFine);
    Mask drop(fine.Width(), fine.Height());
    const int steps = std::max(style.drop_x, style.drop_y) * kFine;
    for (int step = 1; step <= steps; ++step) {
        const Mask shifted = outline.Shifted(style.drop_x * kFine * step / steps, style.drop_y * kFine * step / steps);
        for (int y = 0; y < drop.Height(); ++y) {
            for (int x = 0; x < drop.Width(); ++x) {
                drop.Max(x, y, shifted.At(x, y));
            }
        }
    }
    const float ink_top = static_cast<float>(top) + static_cast<float>(text_top) / kFine;
    const float ink_bottom = ink_top + static_cast<float>(rendered.mask.Height()) / kFine;
    std::vector<float> centres;
    for (int centre : rendered.letter_centres) {
        centres.push_back(static_cast<float>(left) + static_cast<float>(text_left + centre) / kFine);
    }
    auto letter_at = [&](float x) {
        int nearest = 0;
        for (std::size_t i = 1; i < centres.size(); ++i) {
            if (std::abs(centres[i] - x) < std::abs(centres[static_cast<std::size_t>(nearest)] - x)) {
                nearest = static_cast<int>(i);
            }
        }
        return nearest;
    };
    canvas.Paint(
        drop.Downsampled(kFine), [&](float, float) { return style.drop_colour; }, left, top);
    canvas.Paint(
        outline.Downsampled(kFine), [&](float, float) { return style.outline_colour; }, left, top);
    canvas.Paint(
        fine.Downsampled(kFine), [&](float x, float y) { return fill(x, y, ink_top, ink_bottom, letter_at(x)); }, left,
        top);
}

Canvas DrawGameOver(const FontRasteriser& font) {
    Canvas caption(203, 24);
    TextStyle style;
    style.outline = 1.5f;
    style.outline_colour = {120, 15, 10};
    style.stretch = 1.25f;
    style.spacing = 2;
    DrawStyledText(caption, font, "GAME OVER", 0, 0, 203, 24, style, [](float, float y, float top, float bottom, int) {
        const float t = std::clamp((y - top) / (bottom - top), 0.0f, 1.0f);
        return t < 0.5f ? Mix({255, 255, 190}, {255, 190, 40}, t / 0.5f)
                        : Mix({255, 190, 40}, {235, 50, 20}, (t - 0.5f) / 0.5f);
    });
    caption.SnapNearBlack();
    return caption;
}

Canvas DrawTitle(const FontRasteriser& font) {
    Canvas title(321, 104);
    TextStyle style;
    style.outline = 3.0f;
    style.outline_colour = {255, 250, 225};
    style.drop_x = 4;
    style.drop_y = 5;
    style.drop_colour = {150, 30, 60};
    style.stretch = 0.5f;
    style.spacing = 1;
    DrawStyledText(title, font, "REZARUDEV", 0, 0, 321, 104, style,
                   [](float, float y, float top, float bottom, int letter) {
                       const float t = std::clamp((y - top) / (bottom - top), 0.0f, 1.0f);
                       const std::array<Colour, 3> tops{{{255, 235, 70}, {255, 200, 60}, {255, 160, 60}}};
                       const Colour upper = tops[static_cast<std::size_t>(letter % 3)];
                       Colour colour = t < 0.55f ? Mix(upper, {255, 120, 20}, t / 0.55f)
                                                 : Mix({255, 120, 20}, {215, 20, 60}, (t - 0.55f) / 0.45f);
                       if (t > 0.12f && t < 0.2f) {
                           colour = Mix(colour, {255, 255, 255}, 0.55f);
                       }
                       return colour;
                   });
    title.SnapNearBlack();
    return title;
}
