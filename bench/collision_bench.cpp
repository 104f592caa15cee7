// Pixel collision between the game's own sprites, against a straightforward
// pixel-by-pixel reference, to show what the scanline test saves.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <random>

#include "platform/video/collision.hpp"
#include "platform/video/soft_renderer.hpp"
// Benchmarks do not link the test support library; the sprite cutter and the
// reference test are compiled in directly.
#include "support/sprites.hpp"

namespace {

struct Scene {
    SoftRenderer renderer;
    Graphics graphics{renderer};
    Collision collision{graphics};
    GameSprites sprites;

    Scene() {
        auto cut = CutGameSprites(graphics);
        if (!cut) {
            std::fprintf(stderr, "sprite atlas missing\n");
            std::exit(1);
        }
        sprites = std::move(*cut);
    }

    int Collide(const PlacedFrame& a, const PlacedFrame& b) {
        return collision.ImagesCollide(const_cast<TImage&>(*a.image), a.x, a.y, a.frame, a.rotation, a.scale_x,
                                       a.scale_y, const_cast<TImage&>(*b.image), b.x, b.y, b.frame, b.rotation,
                                       b.scale_x, b.scale_y);
    }
};

struct Pair {
    PlacedFrame first, second;
};

// A shot inside the burger's bounding box but over its transparent corner.
Pair ShotVsBurgerMiss(Scene& scene) {
    PlacedFrame burger{scene.sprites.burger.get(), 320, 240, 0, 0, 1, 1};
    PlacedFrame shot{scene.sprites.shot.get(), 286, 214, 0, 45, 1.2f, 1.2f};
    if (scene.Collide(shot, burger) != 0) std::fprintf(stderr, "ShotVsBurgerMiss hits\n");
    return {shot, burger};
}

// The ship's footprint turned and moved in until it just touches a turned,
// shrunken burger, so the scanline walk runs far before finding the pixel.
Pair ShipVsBurgerHit(Scene& scene) {
    PlacedFrame ship{scene.sprites.ship.get(), 300, 200, 0, 30, 1, 0.6f};
    PlacedFrame burger{scene.sprites.burger.get(), 360, 210, 0, 200, 0.6f, 0.6f};
    while (burger.x > 300 && scene.Collide(ship, burger) == 0) --burger.x;
    return {ship, burger};
}

Pair BoxReject(Scene& scene) {
    return {{scene.sprites.shot.get(), 100, 100, 0, 90, 2, 2}, {scene.sprites.burger.get(), 400, 300, 0, 0, 1, 1}};
}

// One frame of an Armageddon spin: 72 shots fanned out at 15-degree steps
// around the ship, against a level's worth of medium and small burgers.
struct Volley {
    std::vector<PlacedFrame> shots, burgers;
};

Volley SpinVolley(Scene& scene) {
    Volley volley;
    for (int k = 0; k < 72; ++k) {
        float direction = static_cast<float>(k * 15 % 360);
        float travelled = static_cast<float>(8 * (72 - k));
        float scale = 2.0f - 0.03f * static_cast<float>(72 - k) * 0.8f;
        double radians = direction * 3.14159265358979 / 180;
        volley.shots.push_back({scene.sprites.shot.get(), static_cast<int>(320 + std::sin(radians) * travelled * 0.5),
                                static_cast<int>(240 - std::cos(radians) * travelled * 0.5), 0, direction, scale,
                                scale});
    }
    std::mt19937 random(7);
    std::uniform_int_distribution<int> x(0, 639), y(0, 479);
    std::uniform_real_distribution<float> angle(0, 360);
    for (int i = 0; i < 24; ++i)
        volley.burgers.push_back({scene.sprites.burger.get(), x(random), y(random), 0, angle(random), 0.6f, 0.6f});
    for (int i = 0; i < 120; ++i)
        volley.burgers.push_back({scene.sprites.burger.get(), x(random), y(random), 0, angle(random), 0.3f, 0.3f});
    return volley;
}

enum class Case { kShotVsBurgerMiss, kShipVsBurgerHit, kBoxReject, kSpinVolley };

int RunVolley(Scene& scene, const Volley& volley, bool reference) {
    int hits = 0;
    // As the burgers' updates do: each burger tests every shot.
    for (const PlacedFrame& burger : volley.burgers)
        for (const PlacedFrame& shot : volley.shots)
            hits += reference ? ReferenceImagesCollide(shot, burger) : scene.Collide(shot, burger);
    return hits;
}

void Run(benchmark::State& state, Case which, bool reference) {
    Scene scene;
    if (which == Case::kSpinVolley) {
        Volley volley = SpinVolley(scene);
        int hits = 0;
        for (auto _ : state) {
            hits = RunVolley(scene, volley, reference);
            benchmark::DoNotOptimize(hits);
        }
        auto tests = static_cast<double>(volley.burgers.size() * volley.shots.size());
        state.counters["hits_per_frame"] = hits;
        state.counters["ns_per_test"] = benchmark::Counter(tests * static_cast<double>(state.iterations()),
                                                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
        return;
    }
    Pair pair = which == Case::kShotVsBurgerMiss  ? ShotVsBurgerMiss(scene)
                : which == Case::kShipVsBurgerHit ? ShipVsBurgerHit(scene)
                                                  : BoxReject(scene);
    int hit = 0;
    for (auto _ : state) {
        hit = reference ? ReferenceImagesCollide(pair.first, pair.second) : scene.Collide(pair.first, pair.second);
        benchmark::DoNotOptimize(hit);
    }
    state.counters["hit"] = hit;
}

void BM_Collide(benchmark::State& state, Case which) { Run(state, which, false); }
void BM_Reference(benchmark::State& state, Case which) { Run(state, which, true); }

}  // namespace

BENCHMARK_CAPTURE(BM_Collide, ShotVsBurgerMiss, Case::kShotVsBurgerMiss);
BENCHMARK_CAPTURE(BM_Collide, ShipVsBurgerHit, Case::kShipVsBurgerHit);
BENCHMARK_CAPTURE(BM_Collide, BoxReject, Case::kBoxReject);
BENCHMARK_CAPTURE(BM_Collide, SpinVolley, Case::kSpinVolley)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_Reference, ShotVsBurgerMiss, Case::kShotVsBurgerMiss);
BENCHMARK_CAPTURE(BM_Reference, ShipVsBurgerHit, Case::kShipVsBurgerHit);
BENCHMARK_CAPTURE(BM_Reference, BoxReject, Case::kBoxReject);
BENCHMARK_CAPTURE(BM_Reference, SpinVolley, Case::kSpinVolley)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
