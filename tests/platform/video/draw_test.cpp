#include <gtest/gtest.h>

#include <vector>

#include "platform/video/draw.hpp"
#include "platform/video/soft_renderer.hpp"

namespace {

TPixmap Checker(int width, int height) {
    TPixmap pixmap = TPixmap::Create(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) pixmap.WriteRGBA(x, y, PackRGBA(x * 10, y * 10, 7, 255));
    return pixmap;
}

}  // namespace

TEST(DrawStateTest, ColourAndAlphaAreClampedOnlyOnTheWayOut) {
    SoftRenderer renderer;
    Graphics graphics(renderer);
    graphics.SetColor(300, -5, 128);
    EXPECT_EQ(graphics.state().color_red, 300);
    EXPECT_EQ(graphics.state().color_green, -5);
    EXPECT_EQ((std::vector<int>{renderer.red(), renderer.green(), renderer.blue()}), (std::vector<int>{255, 0, 128}));
    graphics.SetAlpha(0.999f);
    EXPECT_EQ(renderer.alpha(), 254);
    graphics.SetAlpha(2);
    EXPECT_EQ(renderer.alpha(), 255);
    EXPECT_EQ(graphics.state().color_alpha, 2.0f);
}

TEST(DrawStateTest, RepeatedBlendModeSendsNothingAndUnknownModesAreSolid) {
    SoftRenderer renderer;
    Graphics graphics(renderer);
    graphics.ApplyState();
    int sent = renderer.blend_changes();
    graphics.SetBlend(BLEND_MASK);
    EXPECT_EQ(renderer.blend_changes(), sent);
    graphics.SetBlend(BLEND_ALPHA);
    graphics.SetBlend(BLEND_ALPHA);
    EXPECT_EQ(renderer.blend_changes(), sent + 1);

    // Mode 7 draws like BLEND_SOLID: a transparent texel still covers.
    graphics.SetBlend(7);
    TPixmap clear = TPixmap::Create(1, 1);
    clear.WriteRGBA(0, 0, PackRGBA(200, 10, 10, 0));
    auto image = graphics.LoadImage(clear, 0);
    graphics.DrawImage(*image, 5, 5, 0);
    EXPECT_EQ(RedOf(renderer.back_buffer().ReadRGBA(5, 5)), 200);
}

TEST(TextureTest, OddSizesAreRoundedUpWithTheirEdgesRepeated) {
    TextureSize size = ChooseTextureSize(15, 37, [](int, int) { return true; });
    EXPECT_EQ(size.width, 16);
    EXPECT_EQ(size.height, 64);
    TPixmap texels = BuildTexturePixmap(Checker(15, 37), size);
    EXPECT_EQ(texels.ReadRGBA(15, 3), texels.ReadRGBA(14, 3));
    EXPECT_EQ(texels.ReadRGBA(4, 37), texels.ReadRGBA(4, 36));
    EXPECT_EQ(texels.ReadRGBA(15, 37), texels.ReadRGBA(14, 36));
    EXPECT_EQ(texels.ReadRGBA(15, 38), 0u);

    // A device that refuses big textures gets a halved one and a shrunk picture.
    size = ChooseTextureSize(640, 640, [](int w, int h) { return w <= 256 && h <= 256; });
    EXPECT_EQ(size.width, 256);
    EXPECT_EQ(ChooseTextureSize(4, 4, [](int, int) { return false; }).width, 0);
}

TEST(PixmapTest, MaskedPixelsTakeTheAverageOfTheirUnmaskedNeighbours) {
    TPixmap pixmap = TPixmap::Create(3, 1, kFormatRGB888);
    std::uint8_t* p = pixmap.PixelPtr(0, 0);
    p[0] = 100, p[1] = 50, p[2] = 0;  // left
    p[6] = 201, p[7] = 0, p[8] = 30;  // right; the middle stays black
    TPixmap masked = MaskPixmap(pixmap, 0, 0, 0);
    EXPECT_EQ(masked.ReadRGBA(1, 0), PackRGBA(150, 25, 15, 0));
    EXPECT_EQ(AlphaOf(masked.ReadRGBA(0, 0)), 255);
    TPixmap lonely = MaskPixmap(TPixmap::Create(1, 1, kFormatRGB888), 0, 0, 0);
    EXPECT_EQ(lonely.ReadRGBA(0, 0), 0u);
}

TEST(PixmapTest, ResizingKeepsFlatColoursAndSamplesCentres) {
    TPixmap flat = TPixmap::Create(4, 4);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x) flat.WriteRGBA(x, y, PackRGBA(90, 90, 90, 255));
    TPixmap half = ResizePixmap(flat, 2, 2);
    EXPECT_EQ(half.ReadRGBA(1, 1), PackRGBA(90, 90, 90, 255));
    TPixmap ramp = TPixmap::Create(2, 1);
    ramp.WriteRGBA(0, 0, PackRGBA(0, 0, 0, 255));
    ramp.WriteRGBA(1, 0, PackRGBA(200, 0, 0, 255));
    TPixmap wide = ResizePixmap(ramp, 4, 1);
    EXPECT_EQ(RedOf(wide.ReadRGBA(0, 0)), 0);    // before the first centre: clamped
    EXPECT_EQ(RedOf(wide.ReadRGBA(1, 0)), 50);   // a quarter of the way
    EXPECT_EQ(RedOf(wide.ReadRGBA(3, 0)), 200);  // past the last centre: clamped
}

TEST(ImageTest, GrabbedBlackBecomesTransparentAndMidHandleIsTheCentre) {
    SoftRenderer renderer;
    Graphics graphics(renderer);
    graphics.ApplyState();
    graphics.SetAutoImageFlags(kImageMasked | kImageDynamic);
    auto source = graphics.LoadImage(Checker(4, 4), 0);
    graphics.Cls();
    graphics.DrawImage(*source, 10, 10, 0);
    graphics.SetAutoMidHandle(true);
    auto grabbed = graphics.CreateImage(4, 4, 1);
    graphics.SetAutoMidHandle(false);
    EXPECT_EQ(grabbed->flags, kImageMasked | kImageDynamic);
    EXPECT_FLOAT_EQ(grabbed->handle_x, 2.0f);
    graphics.GrabImage(*grabbed, 9, 10, 0);
    const TPixmap& pixels = *grabbed->pixmaps[0];
    EXPECT_EQ(AlphaOf(pixels.ReadRGBA(0, 0)), 0);    // the cleared column left of the picture
    EXPECT_EQ(AlphaOf(pixels.ReadRGBA(2, 1)), 255);  // (10, 10) on the back buffer
    EXPECT_EQ(GreenOf(pixels.ReadRGBA(2, 1)), 10);
}
