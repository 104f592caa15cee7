#include "platform/video/collision.hpp"

#include <gtest/gtest.h>

#include <functional>
#include <random>

#include "platform/video/soft_renderer.hpp"
#include "support/sprites.hpp"

namespace {

class CollisionTest : public ::testing::Test {
protected:
    SoftRenderer renderer;
    Graphics graphics{renderer};
    Collision collision{graphics};

    // An RGBA frame, alpha from the function, handle at the centre.
    std::unique_ptr<TImage> Shape(int width, int height, const std::function<int(int, int)>& alpha) {
        TPixmap pixels = TPixmap::Create(width, height);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) pixels.WriteRGBA(x, y, PackRGBA(200, 100, 50, alpha(x, y)));
        auto image = graphics.LoadImage(std::move(pixels), kImageMasked | kImageDynamic);
        graphics.SetImageMidHandle(*image);
        return image;
    }
    std::unique_ptr<TImage> Solid(int width, int height) {
        return Shape(width, height, [](int, int) { return 255; });
    }

    int Collide(TImage& a, int ax, int ay, TImage& b, int bx, int by, float rotation = 0, float scale = 1) {
        return collision.ImagesCollide(a, ax, ay, 0, rotation, scale, scale, b, bx, by, 0, 0, 1, 1);
    }
};

TEST_F(CollisionTest, SinglePixelFramesMeetOnlyAtTheSamePoint) {
    auto dot = Shape(16, 16, [](int x, int y) { return x == 8 && y == 8 ? 255 : 0; });
    EXPECT_EQ(Collide(*dot, 100, 100, *dot, 100, 100), 1);
    EXPECT_EQ(Collide(*dot, 37, 211, *dot, 37, 211), 1);
    for (auto [dx, dy] : {std::pair{1, 0}, {-1, 0}, {0, 1}, {0, -1}, {1, 1}, {-1, -1}})
        EXPECT_EQ(Collide(*dot, 100, 100, *dot, 100 + dx, 100 + dy), 0) << dx << "," << dy;
}

TEST_F(CollisionTest, BoxesThatOnlyTouchDoNotCollide) {
    auto block = Solid(10, 10);
    // Edges meet at x = 105 (and y = 105 below); the spans share no pixel.
    EXPECT_EQ(Collide(*block, 100, 100, *block, 110, 100), 0);
    EXPECT_EQ(Collide(*block, 100, 100, *block, 109, 100), 1);
    EXPECT_EQ(Collide(*block, 100, 100, *block, 100, 110), 0);
    EXPECT_EQ(Collide(*block, 100, 100, *block, 100, 109), 1);
    EXPECT_EQ(Collide(*block, 100, 100, *block, 110, 110), 0);
    EXPECT_EQ(Collide(*block, 100, 100, *block, 109, 109), 1);
}

TEST_F(CollisionTest, FrameWithoutAlphaCollidesAsAFullRectangle) {
    // Unmasked, so the black pixels stay in an RGB buffer with no alpha.
    TPixmap black = TPixmap::Create(10, 10, kFormatRGB888);
    auto rectangle = graphics.LoadImage(std::move(black), 0);
    graphics.SetImageMidHandle(*rectangle);
    auto corner = Shape(10, 10, [](int x, int y) { return x == 0 && y == 0 ? 255 : 0; });
    EXPECT_EQ(Collide(*rectangle, 100, 100, *corner, 109, 109), 1);
    EXPECT_EQ(Collide(*rectangle, 100, 100, *corner, 110, 109), 0);
}

TEST_F(CollisionTest, TransparentFramesNeverCollide) {
    auto clear = Shape(12, 12, [](int, int) { return 0; });
    auto faint = Shape(12, 12, [](int, int) { return 127; });
    auto half = Shape(12, 12, [](int, int) { return 128; });
    auto block = Solid(12, 12);
    for (int offset = -6; offset <= 6; offset += 3) {
        EXPECT_EQ(Collide(*clear, 100, 100, *block, 100 + offset, 100), 0);
        EXPECT_EQ(Collide(*faint, 100, 100, *block, 100, 100 + offset, 45.0f, 2.0f), 0);
        EXPECT_EQ(Collide(*half, 100, 100, *block, 100 + offset, 100), 1);
    }
}

TEST_F(CollisionTest, MirroredFrameCollidesAsItsMirrorImage) {
    // An L shape and the same L flipped by hand; even sizes keep the edges on
    // whole pixels.
    auto shape = [](int x, int y) { return x < 3 || y >= 13 ? 255 : 0; };
    auto frame = Shape(16, 16, shape);
    auto flipped_x = Shape(16, 16, [&](int x, int y) { return shape(15 - x, y); });
    auto flipped_y = Shape(16, 16, [&](int x, int y) { return shape(x, 15 - y); });
    auto probe = Solid(2, 2);
    int hits = 0;
    for (int y = 88; y <= 112; ++y) {
        for (int x = 88; x <= 112; ++x) {
            int mirrored = collision.ImagesCollide(*frame, 100, 100, 0, 0, -1, 1, *probe, x, y, 0, 0, 1, 1);
            ASSERT_EQ(mirrored, Collide(*flipped_x, 100, 100, *probe, x, y)) << x << "," << y;
            int upside_down = collision.ImagesCollide(*frame, 100, 100, 0, 0, 1, -1, *probe, x, y, 0, 0, 1, 1);
            ASSERT_EQ(upside_down, Collide(*flipped_y, 100, 100, *probe, x, y)) << x << "," << y;
            hits += mirrored;
        }
    }
    EXPECT_GT(hits, 50);
    EXPECT_LT(hits, 400);
}

TEST_F(CollisionTest, FlatQuadNeverCollides) {
    auto block = Solid(20, 20);
    EXPECT_EQ(collision.ImagesCollide(*block, 100, 100, 0, 0, 1, 0, *block, 100, 100, 0, 0, 1, 1), 0);
    EXPECT_EQ(collision.ImagesCollide(*block, 100, 100, 0, 90, 0, 1, *block, 100, 100, 0, 0, 1, 1), 0);
    // Less than a pixel tall and inside one row: every vertex truncates to 100.
    auto hanging = Solid(20, 20);
    graphics.SetImageHandle(*hanging, 10, 0);
    EXPECT_EQ(collision.ImagesCollide(*hanging, 100, 100, 0, 0, 1, 0.02f, *block, 100, 100, 0, 0, 1, 1), 0);
    EXPECT_EQ(collision.ImagesCollide(*block, 100, 100, 0, 0, 1, 1, *hanging, 100, 100, 0, 0, 1, 0.02f), 0);
    // Straddling a row boundary it covers one scanline and does collide.
    EXPECT_EQ(collision.ImagesCollide(*block, 100, 100, 0, 0, 1, 0.02f, *block, 100, 100, 0, 0, 1, 1), 1);
}

TEST_F(CollisionTest, DrawStateRotationAndScaleAreRestored) {
    auto block = Solid(10, 10);
    graphics.SetRotation(33);
    graphics.SetScale(2, 3);
    TDrawState before = graphics.state();
    // The second round repeats rotations already seen, which must not change
    // the outcome or skip the restore.
    for (int round = 0; round < 2; ++round) {
        EXPECT_EQ(collision.ImagesCollide(*block, 100, 100, 0, 10, 1, 1, *block, 104, 100, 0, 80, 0.5f, 0.5f), 1);
        EXPECT_EQ(collision.ImagesCollide(*block, 100, 100, 0, 0, 1, 1, *block, 120, 100, 0, 0, 1, 1), 0);
        EXPECT_EQ(graphics.GetRotation(), 33);
        float sx = 0, sy = 0;
        graphics.GetScale(sx, sy);
        EXPECT_EQ(sx, 2);
        EXPECT_EQ(sy, 3);
        EXPECT_EQ(graphics.state().tform_ix, before.tform_ix);
        EXPECT_EQ(graphics.state().tform_iy, before.tform_iy);
        EXPECT_EQ(graphics.state().tform_jx, before.tform_jx);
        EXPECT_EQ(graphics.state().tform_jy, before.tform_jy);
    }
    // The caller's own transform plays no part in the answer.
    graphics.SetTransform(0, 1, 1);
    EXPECT_EQ(collision.ImagesCollide(*block, 100, 100, 0, 0, 1, 1, *block, 120, 100, 0, 0, 1, 1), 0);
    EXPECT_EQ(collision.ImagesCollide(*block, 100, 100, 0, 10, 1, 1, *block, 104, 100, 0, 80, 0.5f, 0.5f), 1);
}

TEST_F(CollisionTest, RotatedFrameFollowsItsShape) {
    // A thin horizontal bar turned a quarter turn stands upright.
    auto bar = Shape(40, 4, [](int, int) { return 255; });
    auto dot = Solid(2, 2);
    EXPECT_EQ(Collide(*bar, 100, 100, *dot, 115, 100), 1);
    EXPECT_EQ(Collide(*bar, 100, 100, *dot, 100, 115), 0);
    EXPECT_EQ(Collide(*bar, 100, 100, *dot, 115, 100, 90), 0);
    EXPECT_EQ(Collide(*bar, 100, 100, *dot, 100, 115, 90), 1);
    // Doubled, it reaches twice as far.
    EXPECT_EQ(Collide(*bar, 100, 100, *dot, 135, 100, 0, 2), 1);
    EXPECT_EQ(Collide(*bar, 100, 100, *dot, 135, 100, 0, 1), 0);
}

TEST_F(CollisionTest, MissingOrInvalidFramesNeverCollide) {
    auto block = Solid(10, 10);
    auto empty = graphics.CreateImage(10, 10, 2);
    EXPECT_EQ(collision.ImagesCollide(*empty, 100, 100, 0, 0, 1, 1, *block, 100, 100, 0, 0, 1, 1), 0);
    EXPECT_EQ(collision.ImagesCollide(*block, 100, 100, 0, 0, 1, 1, *empty, 100, 100, 1, 0, 1, 1), 0);
    EXPECT_EQ(collision.ImagesCollide(*block, 100, 100, 5, 0, 1, 1, *block, 100, 100, 0, 0, 1, 1), 0);
    EXPECT_EQ(collision.ImagesCollide(*block, 100, 100, 0, 0, 1, 1, *block, 100, 100, -1, 0, 1, 1), 0);
    EXPECT_TRUE(collision.CollideImage(*empty, 100, 100, 0, 0, 1, nullptr).empty());
    EXPECT_EQ(collision.QuadsInLayer(0), 0);
}

TEST_F(CollisionTest, LayersReturnIdsByLayerNewestFirst) {
    auto block = Solid(10, 10);
    int a = 0, b = 0, c = 0, far = 0;
    collision.CollideImage(*block, 100, 100, 0, 0, 1u << 3, &a);
    collision.CollideImage(*block, 104, 100, 0, 0, 1u << 0 | 1u << 3, &b);
    collision.CollideImage(*block, 100, 104, 0, 0, 1u << 0, &c);
    collision.CollideImage(*block, 300, 300, 0, 0, 1u << 0, &far);
    EXPECT_EQ(collision.QuadsInLayer(0), 3);
    EXPECT_EQ(collision.QuadsInLayer(3), 2);

    auto hits = collision.CollideImage(*block, 102, 102, 0, 1u << 0 | 1u << 3, 0, nullptr);
    std::vector<void*> got(hits.begin(), hits.end());
    EXPECT_EQ(got, (std::vector<void*>{&c, &b, &b, &a}));
    EXPECT_TRUE(collision.CollideImage(*block, 102, 102, 0, 1u << 5, 0, nullptr).empty());

    collision.ResetCollisionLayers(1u << 3);
    EXPECT_EQ(collision.QuadsInLayer(3), 0);
    EXPECT_EQ(collision.QuadsInLayer(0), 3);
    EXPECT_EQ(collision.QuadsInPool(), 2);
    collision.ResetCollisionLayers(0);
    EXPECT_EQ(collision.QuadsInLayer(0), 0);
    EXPECT_EQ(collision.QuadsInPool(), 5);
    // Recording again takes from the pool instead of growing it.
    collision.CollideImage(*block, 100, 100, 0, 0, 1u << 1, nullptr);
    EXPECT_EQ(collision.QuadsInPool(), 4);
}

TEST_F(CollisionTest, ImagesCollideLeavesTheFirstFrameInLayer31) {
    auto block = Solid(10, 10);
    for (int i = 0; i < 3; ++i) collision.ImagesCollide(*block, 50, 50, 0, 0, 1, 1, *block, 300, 300, 0, 0, 1, 1);
    EXPECT_EQ(collision.QuadsInLayer(31), 1);
    EXPECT_EQ(collision.CollideImage(*block, 55, 55, 0, 1u << 31, 0, nullptr).size(), 1u);
    EXPECT_TRUE(collision.CollideImage(*block, 200, 200, 0, 1u << 31, 0, nullptr).empty());
}

// Randomised properties over the game's own sprites.
class CollisionPropertyTest : public CollisionTest {
protected:
    void SetUp() override {
        auto cut = CutGameSprites(graphics);
        ASSERT_TRUE(cut.has_value()) << "sprite atlas missing";
        sprites = std::move(*cut);
        pool = {{sprites.ship.get(), 4}, {sprites.shot.get(), 1},  {sprites.burger.get(), 1},
                {sprites.ufo.get(), 1},  {sprites.fries.get(), 1}, {sprites.icons.get(), 12}};
    }

    PlacedFrame RandomFrame(int center_x, int center_y, int spread, bool transformed) {
        auto [image, frames] = pool[std::uniform_int_distribution<std::size_t>(0, pool.size() - 1)(random)];
        std::uniform_int_distribution<int> offset(-spread, spread);
        std::uniform_real_distribution<float> angle(0, 360), scale(0.3f, 1.2f);
        PlacedFrame placed{image,
                           center_x + offset(random),
                           center_y + offset(random),
                           std::uniform_int_distribution<int>(0, frames - 1)(random),
                           0,
                           1,
                           1};
        if (transformed) {
            placed.rotation = angle(random);
            placed.scale_x = placed.scale_y = scale(random);
        }
        return placed;
    }

    int Collide(const PlacedFrame& a, const PlacedFrame& b) {
        return collision.ImagesCollide(const_cast<TImage&>(*a.image), a.x, a.y, a.frame, a.rotation, a.scale_x,
                                       a.scale_y, const_cast<TImage&>(*b.image), b.x, b.y, b.frame, b.rotation,
                                       b.scale_x, b.scale_y);
    }

    GameSprites sprites;
    std::vector<std::pair<TImage*, int>> pool;
    std::mt19937 random{20240611};
};

TEST_F(CollisionPropertyTest, ArgumentOrderDoesNotMatter) {
    int hits = 0;
    for (int i = 0; i < 400; ++i) {
        PlacedFrame a = RandomFrame(320, 240, 30, true), b = RandomFrame(320, 240, 30, true);
        int forward = Collide(a, b);
        ASSERT_EQ(forward, Collide(b, a)) << "case " << i;
        hits += forward;
    }
    EXPECT_GT(hits, 40);
    EXPECT_LT(hits, 360);
}

TEST_F(CollisionPropertyTest, FarApartNeverCollides) {
    for (int i = 0; i < 200; ++i) {
        PlacedFrame a = RandomFrame(150, 150, 20, true), b = RandomFrame(450, 350, 20, true);
        ASSERT_EQ(Collide(a, b), 0) << "case " << i;
    }
}

TEST_F(CollisionPropertyTest, ShiftingBothByWholePixelsKeepsTheAnswer) {
    // Everything stays between 256 and 512, where float positions step alike,
    // so the shift is exact.
    std::uniform_int_distribution<int> shift(-8, 8);
    for (int i = 0; i < 400; ++i) {
        PlacedFrame a = RandomFrame(380, 380, 25, true), b = RandomFrame(380, 380, 25, true);
        int before = Collide(a, b);
        int dx = shift(random), dy = shift(random);
        a.x += dx, b.x += dx, a.y += dy, b.y += dy;
        ASSERT_EQ(Collide(a, b), before) << "case " << i << " shift " << dx << "," << dy;
    }
}

TEST_F(CollisionPropertyTest, UnrotatedUnscaledAgreesWithPixelByPixelReference) {
    int hits = 0;
    for (int i = 0; i < 500; ++i) {
        PlacedFrame a = RandomFrame(320, 240, 40, false), b = RandomFrame(320, 240, 40, false);
        int fast = Collide(a, b);
        ASSERT_EQ(fast == 1, ReferenceImagesCollide(a, b)) << "case " << i;
        hits += fast;
    }
    EXPECT_GT(hits, 20);
}

TEST_F(CollisionPropertyTest, ShipTouchingTurnedBurger) {
    // The ship's collision footprint is frame 0 at scale (1, 0.6).
    EXPECT_EQ(
        collision.ImagesCollide(*sprites.ship, 300, 200, 0, 30, 1, 0.6f, *sprites.burger, 326, 210, 0, 200, 0.6f, 0.6f),
        1);
    EXPECT_EQ(
        collision.ImagesCollide(*sprites.ship, 300, 200, 0, 30, 1, 0.6f, *sprites.burger, 330, 210, 0, 200, 0.6f, 0.6f),
        0);
}

}  // namespace
