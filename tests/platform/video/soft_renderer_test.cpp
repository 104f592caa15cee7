#include "platform/video/soft_renderer.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <initializer_list>
#include <set>
#include <utility>

#include "platform/video/draw.hpp"

namespace {

constexpr std::uint32_t kRed = PackRGBA(255, 0, 0, 255);
constexpr std::uint32_t kGreen = PackRGBA(0, 255, 0, 255);
constexpr std::uint32_t kBlue = PackRGBA(0, 0, 255, 255);
constexpr std::uint32_t kWhite = PackRGBA(255, 255, 255, 255);
constexpr std::uint32_t kBlack = PackRGBA(0, 0, 0, 255);

TPixmap MakePixmap(int width, int height, std::initializer_list<std::uint32_t> rgba) {
    TPixmap pixmap = TPixmap::Create(width, height);
    int i = 0;
    for (std::uint32_t colour : rgba) {
        pixmap.WriteRGBA(i % width, i / width, colour);
        ++i;
    }
    return pixmap;
}

std::uint32_t At(const SoftRenderer& renderer, int x, int y) { return renderer.back_buffer().ReadRGBA(x, y); }

// Draws the frame's whole picture over the screen rectangle (x0, y0)-(x1, y1).
void Draw(SoftRenderer& renderer, TRenderFrame& frame, float x0, float y0, float x1, float y1) {
    renderer.DrawFrame(frame, 0, 0, x1 - x0, y1 - y0, x0, y0);
}

TEST(SoftRendererTest, TexturedQuadLandsOnExactlyItsPixels) {
    SoftRenderer renderer(32, 32);
    renderer.SetBlend(BLEND_SOLID);
    auto frame = renderer.CreateFrameFromPixmap(MakePixmap(2, 2, {kRed, kGreen, kBlue, kWhite}), 0);
    Draw(renderer, *frame, 10, 20, 12, 22);

    EXPECT_EQ(At(renderer, 10, 20), kRed);
    EXPECT_EQ(At(renderer, 11, 20), kGreen);
    EXPECT_EQ(At(renderer, 10, 21), kBlue);
    EXPECT_EQ(At(renderer, 11, 21), kWhite);
    for (int x = 8; x < 14; ++x) {
        EXPECT_EQ(At(renderer, x, 19), kBlack) << x;
        EXPECT_EQ(At(renderer, x, 22), kBlack) << x;
    }
    for (int y = 20; y < 22; ++y) {
        EXPECT_EQ(At(renderer, 9, y), kBlack) << y;
        EXPECT_EQ(At(renderer, 12, y), kBlack) << y;
    }
}

TEST(SoftRendererTest, EdgesThroughPixelCentresDrawThosePixelsOnce) {
    SoftRenderer renderer(32, 32);
    renderer.SetBlend(BLEND_ALPHA);
    renderer.SetAlpha(0.5f);
    // Each quad's diagonal runs through pixel centres, and the two quads meet
    // on the column of centres x = 10.5.
    renderer.DrawRect(0, 0, 5, 5, 5.5f, 2.5f);
    renderer.DrawRect(0, 0, 5, 5, 10.5f, 2.5f);

    for (int y = 0; y < 12; ++y) {
        for (int x = 0; x < 20; ++x) {
            bool inside = x >= 5 && x < 15 && y >= 2 && y < 7;
            EXPECT_EQ(RedOf(At(renderer, x, y)), inside ? 127 : 0) << x << "," << y;
        }
    }
}

TEST(SoftRendererTest, RotatedScaledPictureCoversScreenWithoutHolesOrOverlaps) {
    SoftRenderer renderer;
    // The background as the game turns it: 1.2 times, about its centre.
    Graphics graphics(renderer);
    graphics.SetBlend(BLEND_ALPHA);
    graphics.SetColor(255, 255, 255);
    graphics.SetAlpha(0.5f);
    TPixmap white = TPixmap::Create(640, 640);
    std::fill(white.pixels.begin(), white.pixels.end(), std::uint8_t{255});
    TImage background(640, 640, 1, 0);
    background.SetPixmap(0, std::move(white));
    graphics.SetImageMidHandle(background);
    graphics.SetTransform(10.0f, 1.2f, 1.2f);
    graphics.DrawImage(background, 320, 240, 0);

    std::set<std::uint32_t> colours;
    for (int y = 0; y < 480; ++y)
        for (int x = 0; x < 640; ++x) colours.insert(At(renderer, x, y));
    EXPECT_EQ(colours, std::set<std::uint32_t>{PackRGBA(127, 127, 127, 255)});
}

TEST(SoftRendererTest, MaskModeDropsFragmentsBelowHalfAlpha) {
    SoftRenderer renderer(16, 16);
    renderer.SetClsColor(0, 0, 255);
    renderer.Cls();
    renderer.SetBlend(BLEND_MASK);
    auto frame = renderer.CreateFrameFromPixmap(
        MakePixmap(4, 1, {PackRGBA(255, 0, 0, 0), PackRGBA(255, 0, 0, 127), PackRGBA(255, 0, 0, 128), kRed}), 0);
    Draw(renderer, *frame, 0, 0, 4, 1);

    EXPECT_EQ(At(renderer, 0, 0), kBlue);
    EXPECT_EQ(At(renderer, 1, 0), kBlue);
    // Drawn texels replace the colour outright and the display keeps no alpha.
    EXPECT_EQ(At(renderer, 2, 0), kRed);
    EXPECT_EQ(At(renderer, 3, 0), kRed);

    // SetAlpha(0.5) sends byte 127, which the alpha test rejects even on an
    // opaque texel.
    renderer.SetAlpha(0.5f);
    Draw(renderer, *frame, 0, 1, 4, 2);
    EXPECT_EQ(At(renderer, 3, 1), kBlue);
    renderer.SetAlpha(0.51f);
    Draw(renderer, *frame, 0, 1, 4, 2);
    EXPECT_EQ(At(renderer, 3, 1), kRed);
    EXPECT_EQ(At(renderer, 1, 1), kBlue);
}

TEST(SoftRendererTest, BlendModesCombineWithWhatIsBelow) {
    SoftRenderer renderer(8, 8);
    renderer.SetClsColor(200, 100, 0);
    renderer.Cls();
    renderer.SetColor(255, 255, 255);
    renderer.SetAlpha(0.5f);

    renderer.SetBlend(BLEND_ALPHA);
    renderer.DrawRect(0, 0, 1, 1, 0, 0);
    EXPECT_EQ(At(renderer, 0, 0), PackRGBA(227, 177, 127, 255));

    renderer.SetBlend(BLEND_LIGHT);
    renderer.DrawRect(0, 0, 1, 1, 1, 0);
    EXPECT_EQ(At(renderer, 1, 0), PackRGBA(255, 227, 127, 255));

    renderer.SetBlend(BLEND_SHADE);
    renderer.SetColor(128, 255, 0);
    renderer.DrawRect(0, 0, 1, 1, 2, 0);
    EXPECT_EQ(At(renderer, 2, 0), PackRGBA(100, 100, 0, 255));

    // Unknown modes draw solid.
    renderer.SetBlend(7);
    renderer.DrawRect(0, 0, 1, 1, 3, 0);
    EXPECT_EQ(At(renderer, 3, 0), PackRGBA(128, 255, 0, 255));
}

TEST(SoftRendererTest, TexelsAreModulatedByColourAndAlpha) {
    SoftRenderer renderer(8, 8);
    auto frame = renderer.CreateFrameFromPixmap(MakePixmap(1, 1, {PackRGBA(200, 100, 50, 255)}), 0);
    renderer.SetBlend(BLEND_SOLID);
    renderer.SetColor(128, 255, 0);
    Draw(renderer, *frame, 0, 0, 1, 1);
    EXPECT_EQ(At(renderer, 0, 0), PackRGBA(100, 100, 0, 255));

    // Alpha from texel times alpha from SetAlpha: 255 * 0.5 -> 127.
    renderer.SetColor(255, 255, 255);
    renderer.SetAlpha(0.5f);
    renderer.SetBlend(BLEND_ALPHA);
    Draw(renderer, *frame, 1, 0, 2, 1);
    EXPECT_EQ(At(renderer, 1, 0), PackRGBA(100, 50, 25, 255));
}

TEST(SoftRendererTest, QuarterTurnAboutMidHandleTurnsPictureClockwise) {
    SoftRenderer renderer(200, 200);
    Graphics graphics(renderer);
    graphics.SetBlend(BLEND_SOLID);
    auto image = graphics.LoadImage(MakePixmap(2, 2, {kRed, kGreen, kBlue, kWhite}), 0);
    graphics.SetImageMidHandle(*image);
    graphics.SetRotation(90);
    graphics.DrawImage(*image, 100, 100, 0);

    // Top row red, green becomes the right column, red on top.
    EXPECT_EQ(At(renderer, 100, 99), kRed);
    EXPECT_EQ(At(renderer, 100, 100), kGreen);
    EXPECT_EQ(At(renderer, 99, 100), kWhite);
    EXPECT_EQ(At(renderer, 99, 99), kBlue);
    EXPECT_EQ(At(renderer, 101, 99), kBlack);
    EXPECT_EQ(At(renderer, 98, 100), kBlack);
}

TEST(SoftRendererTest, FilteredImagesBlendNeighbouringTexels) {
    SoftRenderer renderer(8, 8);
    renderer.SetBlend(BLEND_SOLID);
    TPixmap ramp = MakePixmap(2, 1, {kBlack, kWhite});
    auto nearest = renderer.CreateFrameFromPixmap(ramp, 0);
    auto filtered = renderer.CreateFrameFromPixmap(ramp, kImageFiltered);
    Draw(renderer, *nearest, 0, 0, 4, 1);
    Draw(renderer, *filtered, 0, 1, 4, 2);

    int expected_nearest[4] = {0, 0, 255, 255};
    // Beyond the outer texel centres the edge texel is used alone.
    int expected_filtered[4] = {0, 64, 191, 255};
    for (int x = 0; x < 4; ++x) {
        EXPECT_EQ(RedOf(At(renderer, x, 0)), expected_nearest[x]) << x;
        EXPECT_NEAR(RedOf(At(renderer, x, 1)), expected_filtered[x], 1) << x;
    }
}

TEST(SoftRendererTest, TextureSizesAndCoverage) {
    SoftRenderer renderer(8, 8);
    auto odd = renderer.CreateFrameFromPixmap(TPixmap::Create(15, 37), 0);
    EXPECT_FLOAT_EQ(odd->u1, 15.0f / 16.0f);
    EXPECT_FLOAT_EQ(odd->v1, 37.0f / 64.0f);

    auto background = renderer.CreateFrameFromPixmap(TPixmap::Create(640, 640), 0);
    EXPECT_FLOAT_EQ(background->u1, 0.625f);
    EXPECT_FLOAT_EQ(background->v1, 0.625f);

    // Wider than any texture: shrunk to fill it.
    auto wide = renderer.CreateFrameFromPixmap(TPixmap::Create(5000, 3), 0);
    EXPECT_FLOAT_EQ(wide->u1, 1.0f);

    auto empty = renderer.CreateFrameFromPixmap(TPixmap::Create(0, 0), 0);
    ASSERT_NE(empty, nullptr);
    renderer.DrawFrame(*empty, 0, 0, 4, 4, 0, 0);
}

TEST(SoftRendererTest, ScissorLimitsClearsAndDrawing) {
    SoftRenderer renderer(16, 16);
    renderer.SetBlend(BLEND_SOLID);
    renderer.SetViewport(4, 5, 3, 2);
    renderer.SetClsColor(255, 0, 0);
    renderer.Cls();
    renderer.SetColor(0, 255, 0);
    renderer.DrawRect(0, 0, 16, 16, 0, 0);
    renderer.Plot(0.5f, 0.5f);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            bool inside = x >= 4 && x < 7 && y >= 5 && y < 7;
            EXPECT_EQ(At(renderer, x, y), inside ? kGreen : kBlack) << x << "," << y;
        }

    // Partly off the buffer, and with a negative size: clipped, never wrapped.
    renderer.SetViewport(14, -3, 10, 5);
    renderer.Cls();
    EXPECT_EQ(At(renderer, 15, 1), kRed);
    EXPECT_EQ(At(renderer, 13, 1), kBlack);
    EXPECT_EQ(At(renderer, 15, 2), kBlack);
    renderer.SetViewport(8, 8, -4, 4);
    renderer.Cls();
    EXPECT_EQ(At(renderer, 5, 9), kBlack);

    renderer.SetViewport(0, 0, 16, 16);
    renderer.Cls();
    EXPECT_EQ(At(renderer, 0, 0), kRed);
    EXPECT_EQ(At(renderer, 15, 15), kRed);
}

TEST(SoftRendererTest, PointsAndLines) {
    SoftRenderer renderer(16, 16);
    renderer.SetBlend(BLEND_SOLID);
    renderer.Plot(3.7f, 4.2f);
    EXPECT_EQ(At(renderer, 3, 4), kWhite);
    EXPECT_EQ(At(renderer, 4, 4), kBlack);

    // The end pixel is left to the next line, as in GL.
    renderer.DrawLine(0, 0, 5, 0, 0, 8);
    for (int x = 0; x < 5; ++x) EXPECT_EQ(At(renderer, x, 8), kWhite) << x;
    EXPECT_EQ(At(renderer, 5, 8), kBlack);

    renderer.Plot(-1.0f, 3.0f);
    renderer.Plot(1e30f, 3.0f);
    renderer.DrawLine(-100, -100, 100, 100, 0, 0);
    EXPECT_EQ(At(renderer, 10, 10), kWhite);
}

TEST(SoftRendererTest, ReadingPixelsOutsideTheBufferGivesOpaqueBlack) {
    SoftRenderer renderer(8, 8);
    renderer.SetClsColor(10, 20, 30);
    renderer.Cls();
    renderer.SetBlend(BLEND_SOLID);
    renderer.SetColor(255, 0, 0);
    renderer.Plot(0, 0);
    // A translucent draw still leaves the stored alpha opaque.
    renderer.SetBlend(BLEND_ALPHA);
    renderer.SetAlpha(0.25f);
    renderer.Plot(7, 7);

    TPixmap grabbed = renderer.GrabPixmap(-2, -1, 4, 3);
    ASSERT_EQ(grabbed.width, 4);
    ASSERT_EQ(grabbed.height, 3);
    EXPECT_EQ(grabbed.ReadRGBA(0, 0), kBlack);
    EXPECT_EQ(grabbed.ReadRGBA(1, 1), kBlack);
    EXPECT_EQ(grabbed.ReadRGBA(2, 1), kRed);
    EXPECT_EQ(grabbed.ReadRGBA(3, 2), PackRGBA(10, 20, 30, 255));

    EXPECT_EQ(AlphaOf(renderer.GrabPixmap(7, 7, 1, 1).ReadRGBA(0, 0)), 255);
    EXPECT_EQ(renderer.GrabPixmap(100, 100, 2, 2).ReadRGBA(1, 1), kBlack);
    EXPECT_EQ(renderer.GrabPixmap(0, 0, -3, 2).width, 0);
}

}  // namespace
