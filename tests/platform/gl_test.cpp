// Drawing through the real OpenGL back end. Needs a display: the test suite
// runs under Xvfb with Mesa's software renderer.

#include <gtest/gtest.h>

#include <SDL.h>

#include <cstdlib>
#include <memory>

#include "platform/display.hpp"
#include "platform/draw.hpp"

namespace {

class GlDisplayTest : public testing::Test {
protected:
    void SetUp() override {
        if (!std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY")) GTEST_SKIP() << "no display";
        std::string error;
        display_ = OpenSdlDisplay("Rezarudev test", 640, 480, true, 60, true, clock_, error);
        ASSERT_TRUE(display_) << error;
        graphics_ = std::make_unique<Graphics>(display_->renderer());
        graphics_->ApplyState();
        graphics_->Cls();
    }
    void TearDown() override {
        graphics_.reset();
        display_.reset();
    }

    // A 4x2 picture: red on the left half, green on the right.
    std::unique_ptr<TImage> RedGreen() {
        TPixmap pixmap = TPixmap::Create(4, 2);
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < 4; ++x) pixmap.WriteRGBA(x, y, x < 2 ? PackRGBA(255, 0, 0, 255) : PackRGBA(0, 255, 0, 255));
        auto image = graphics_->LoadImage(pixmap, 0);
        graphics_->SetImageMidHandle(*image);
        return image;
    }

    SystemClock clock_;
    std::unique_ptr<Display> display_;
    std::unique_ptr<Graphics> graphics_;
};

}  // namespace

TEST_F(GlDisplayTest, AQuarterTurnIsClockwiseAboutTheHandle) {
    auto image = RedGreen();
    graphics_->SetRotation(90);
    graphics_->DrawImage(*image, 100, 100, 0);
    graphics_->SetRotation(0);
    TPixmap screen = graphics_->GrabBackBuffer();
    // The picture's right-hand side now points down the screen.
    EXPECT_EQ(screen.ReadRGBA(99, 98), PackRGBA(255, 0, 0, 255));
    EXPECT_EQ(screen.ReadRGBA(100, 99), PackRGBA(255, 0, 0, 255));
    EXPECT_EQ(screen.ReadRGBA(99, 100), PackRGBA(0, 255, 0, 255));
    EXPECT_EQ(screen.ReadRGBA(100, 101), PackRGBA(0, 255, 0, 255));
    EXPECT_EQ(screen.ReadRGBA(98, 100), PackRGBA(0, 0, 0, 255));
    EXPECT_EQ(screen.ReadRGBA(100, 102), PackRGBA(0, 0, 0, 255));
}

TEST_F(GlDisplayTest, GrabbedFramesAreMaskedAndDrawBackTheSame) {
    auto image = RedGreen();
    graphics_->DrawImage(*image, 10, 10, 0);  // covers (8..11, 9..10)
    graphics_->SetAutoImageFlags(kImageMasked | kImageDynamic);
    auto grabbed = graphics_->CreateImage(6, 2, 1);
    graphics_->GrabImage(*grabbed, 7, 9, 0);
    const TPixmap& pixels = *grabbed->pixmaps[0];
    EXPECT_EQ(pixels.ReadRGBA(1, 0), PackRGBA(255, 0, 0, 255));
    EXPECT_EQ(pixels.ReadRGBA(4, 1), PackRGBA(0, 255, 0, 255));
    EXPECT_EQ(AlphaOf(pixels.ReadRGBA(0, 0)), 0);

    // Drawn again in BLEND_MASK, the transparent column leaves what is below.
    graphics_->SetClsColor(0, 0, 200);
    graphics_->Cls();
    graphics_->SetBlend(BLEND_MASK);
    graphics_->DrawImage(*grabbed, 300, 300, 0);
    TPixmap screen = graphics_->GrabBackBuffer();
    EXPECT_EQ(screen.ReadRGBA(300, 300), PackRGBA(0, 0, 200, 255));
    EXPECT_EQ(screen.ReadRGBA(301, 300), PackRGBA(255, 0, 0, 255));
    EXPECT_EQ(screen.ReadRGBA(305, 301), PackRGBA(0, 0, 200, 255));
    EXPECT_EQ(screen.ReadRGBA(304, 301), PackRGBA(0, 255, 0, 255));
}

TEST_F(GlDisplayTest, TexturesCoverOnlyThePicture) {
    TPixmap pixmap = TPixmap::Create(15, 37);
    auto image = graphics_->LoadImage(pixmap, 0);
    TRenderFrame* frame = graphics_->RenderFrame(*image, 0);
    ASSERT_TRUE(frame);
    EXPECT_FLOAT_EQ(frame->u1, 15.0f / 16.0f);
    EXPECT_FLOAT_EQ(frame->v1, 37.0f / 64.0f);
}

TEST_F(GlDisplayTest, AlphaBlendingMixesWithWhatIsBelow) {
    graphics_->SetClsColor(0, 0, 0);
    graphics_->Cls();
    graphics_->SetBlend(BLEND_ALPHA);
    graphics_->SetAlpha(0.5f);
    graphics_->SetColor(255, 255, 255);
    graphics_->DrawRect(0, 0, 10, 10);
    graphics_->SetAlpha(1);
    graphics_->SetBlend(BLEND_MASK);
    int red = RedOf(graphics_->GrabBackBuffer().ReadRGBA(5, 5));
    EXPECT_NEAR(red, 127, 1);
}
