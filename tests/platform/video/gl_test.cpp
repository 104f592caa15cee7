// Drawing through the real OpenGL back end. Needs a display: the test suite
// runs under Xvfb with Mesa's software renderer.

#include <gtest/gtest.h>

#include <SDL.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "platform/system/resources.hpp"
#include "platform/video/display.hpp"
#include "platform/video/draw.hpp"
#include "platform/video/png.hpp"
#include "support/temp_folder.hpp"
#include "support/x11_window.hpp"

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
            for (int x = 0; x < 4; ++x)
                pixmap.WriteRGBA(x, y, x < 2 ? PackRGBA(255, 0, 0, 255) : PackRGBA(0, 255, 0, 255));
        auto image = graphics_->LoadImage(pixmap, 0);
        graphics_->SetImageMidHandle(*image);
        return image;
    }

    // A one-colour picture.
    std::unique_ptr<TImage> Plain(std::uint32_t rgba) {
        TPixmap pixmap = TPixmap::Create(4, 4);
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 4; ++x) pixmap.WriteRGBA(x, y, rgba);
        return graphics_->LoadImage(pixmap, 0);
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

// A grab hanging over the picture's edges (the pause picture is bigger than
// the screen) reads only the picture; the rest is opaque black.
TEST_F(GlDisplayTest, GrabsOverThePictureEdgesAreBlackOutsideIt) {
    auto image = RedGreen();
    graphics_->DrawImage(*image, 639, 479, 0);  // covers (637..640, 478..479)
    graphics_->DrawImage(*image, 2, 1, 0);      // covers (0..3, 0..1)
    constexpr std::uint32_t kRed = PackRGBA(255, 0, 0, 255), kGreen = PackRGBA(0, 255, 0, 255);
    constexpr std::uint32_t kBlack = PackRGBA(0, 0, 0, 255);
    TPixmap pause = display_->renderer().GrabPixmap(600, 400, 1024, 768);
    EXPECT_EQ(pause.ReadRGBA(37, 78), kRed);
    EXPECT_EQ(pause.ReadRGBA(39, 79), kGreen);
    EXPECT_EQ(pause.ReadRGBA(40, 79), kBlack);
    EXPECT_EQ(pause.ReadRGBA(39, 80), kBlack);
    EXPECT_EQ(pause.ReadRGBA(1000, 700), kBlack);
    TPixmap corner = display_->renderer().GrabPixmap(-2, -1, 4, 3);
    EXPECT_EQ(corner.ReadRGBA(0, 0), kBlack);
    EXPECT_EQ(corner.ReadRGBA(1, 2), kBlack);
    EXPECT_EQ(corner.ReadRGBA(2, 1), kRed);
    EXPECT_EQ(corner.ReadRGBA(3, 2), kRed);
    EXPECT_EQ(display_->renderer().GrabPixmap(700, 0, 5, 5).ReadRGBA(4, 4), kBlack);
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

// More quads in one frame than 16-bit indices reach from one vertex, with
// points between them: every one lands where it was drawn, in its colour.
TEST_F(GlDisplayTest, AFrameOfMoreQuadsThanIndicesReachDrawsEachInItsPlace) {
    graphics_->SetClsColor(0, 0, 0);
    graphics_->Cls();
    auto colour = [](int x, int y) { return PackRGBA(x / 4 % 256, y % 256, 1 + (x + y) % 255, 255); };
    for (int y = 0; y < 480; y += 3) {
        for (int x = 0; x < 640; x += 4) {
            std::uint32_t rgba = colour(x, y);
            graphics_->SetColor(RedOf(rgba), GreenOf(rgba), BlueOf(rgba));
            graphics_->DrawRect(static_cast<float>(x), static_cast<float>(y), 2, 2);
            if (x != 320) continue;
            graphics_->SetColor(255, 255, 255);
            graphics_->Plot(static_cast<float>(x + 3), static_cast<float>(y));
        }
    }
    TPixmap picture = graphics_->GrabBackBuffer();
    int wrong = 0;
    for (int y = 0; y < 480; y += 3) {
        for (int x = 0; x < 640; x += 4) wrong += picture.ReadRGBA(x, y) != colour(x, y);
        wrong += picture.ReadRGBA(323, y) != PackRGBA(255, 255, 255, 255);
    }
    EXPECT_EQ(wrong, 0);
}

TEST_F(GlDisplayTest, ATextureOfAClosedDisplayIsRebuiltOnTheNext) {
    const std::uint32_t red = PackRGBA(255, 0, 0, 255), green = PackRGBA(0, 255, 0, 255);
    auto first = Plain(red);
    graphics_->DrawImage(*first, 10, 10, 0);
    graphics_.reset();
    display_.reset();

    std::string error;
    display_ = OpenSdlDisplay("Rezarudev test", 640, 480, true, 60, true, clock_, error);
    ASSERT_TRUE(display_) << error;
    graphics_ = std::make_unique<Graphics>(display_->renderer());
    graphics_->ApplyState();
    // The new display's first texture may well get the name the old one had.
    auto second = Plain(green);
    graphics_->DrawImage(*second, 100, 10, 0);
    graphics_->DrawImage(*first, 10, 10, 0);
    graphics_->DrawImage(*second, 200, 10, 0);
    TPixmap screen = graphics_->GrabBackBuffer();
    EXPECT_EQ(screen.ReadRGBA(11, 11), red);
    EXPECT_EQ(screen.ReadRGBA(101, 11), green);
    EXPECT_EQ(screen.ReadRGBA(201, 11), green) << "rebuilding the stale texture freed a live one";
}

// Old drivers offer OpenGL 1.x without framebuffer objects; the game then
// draws straight into the middle of its window. Its pictures must be the same
// either way.
TEST(GlDriverTest, WithoutFramebufferObjectsThePicturesAreTheSame) {
    if (std::system("command -v xvfb-run >/dev/null 2>&1") != 0) GTEST_SKIP() << "no xvfb-run";
    namespace fs = std::filesystem;
    TempFolder temp;
    const fs::path folder = temp.path();
    fs::create_directories(folder / "data");
    {
        std::FILE* replay = std::fopen((folder / "r.txt").c_str(), "w");
        ASSERT_TRUE(replay);
        // Past the splash, onto the title, then into a game.
        std::fputs("seed 4660\n1 key 32 down\n2 key 32 up\n20 key 32 down\n21 key 32 up\n", replay);
        std::fclose(replay);
    }
    auto run = [&](const std::string& name, const std::string& environment) {
        // A server of its own, so no other window holds the focus; on a screen
        // this big the window is 1280x960, with the picture in its middle.
        std::string server = std::to_string(5200 + getpid() % 3000);
        std::string command = "SDL_AUDIODRIVER=dummy LIBGL_ALWAYS_SOFTWARE=1 " + environment + " xvfb-run -a -n " +
                              server + " -s '-screen 0 1400x1100x24' '" + REZARUDEV_BINARY +
                              "' --windowed --fast --frames 40" + " --data-dir '" + folder.string() + "' --replay '" +
                              (folder / "r.txt").string() + "'";
        for (int frame : {10, 30, 38})
            command += " --screenshot " + std::to_string(frame) + ":'" +
                       (folder / (name + std::to_string(frame) + ".png")).string() + "'";
        command += " 2>'" + (folder / (name + ".err")).string() + "' >/dev/null";
        return std::system(command.c_str());
    };
    ASSERT_EQ(run("fbo", ""), 0);
    ASSERT_EQ(run("old", "MESA_GL_VERSION_OVERRIDE=1.4"), 0);
    ASSERT_EQ(run("window",
                  "MESA_GL_VERSION_OVERRIDE=1.4 MESA_EXTENSION_OVERRIDE='-GL_ARB_framebuffer_object "
                  "-GL_EXT_framebuffer_object'"),
              0);
    for (int frame : {10, 30, 38}) {
        auto fbo = ReadSource((folder / ("fbo" + std::to_string(frame) + ".png")).string());
        ASSERT_TRUE(fbo) << frame;
        auto fbo_picture = DecodePng(*fbo);
        ASSERT_TRUE(fbo_picture);
        for (const char* name : {"old", "window"}) {
            auto other = ReadSource((folder / (name + std::to_string(frame) + ".png")).string());
            ASSERT_TRUE(other) << name << frame;
            auto picture = DecodePng(*other);
            ASSERT_TRUE(picture);
            int differ = 0;
            for (int y = 0; y < 480; ++y)
                for (int x = 0; x < 640; ++x) differ += picture->ReadRGBA(x, y) != fbo_picture->ReadRGBA(x, y);
            // In the middle of the window the GL works from other coordinates
            // and rounds differently where a sprite's texels meet exactly on
            // pixel centres (the title logo, 321 pixels wide, sits on half
            // pixels), moving some texels by one. A picture read from the wrong
            // place would differ almost everywhere.
            EXPECT_LE(differ, std::string(name) == "old" ? 0 : 640 * 480 / 20) << name << " frame " << frame;
        }
    }
}

// Full screen as the X server sees it, not as SDL believes it: the test's
// server has no window manager to act on SDL's request, and the window must
// still cover the screen.
TEST_F(GlDisplayTest, FullScreenAndBackAtTheNextFlipKeepingEverything) {
    SDL_Window* window = SdlDisplayWindow(*display_);
    auto window_is = [&](const SDL_Rect& wanted) {
        SDL_Rect now{};
        // The window system answers in its own time.
        for (int wait = 0; wait < 50; ++wait) {
            SDL_PumpEvents();
            if (!X11WindowGeometry(window, now)) return true;
            if (SDL_RectEquals(&now, &wanted)) return true;
            SDL_Delay(10);
        }
        ADD_FAILURE() << "the window is at " << now.x << "," << now.y << " " << now.w << "x" << now.h;
        return false;
    };
    SDL_Rect windowed{}, screen{};
    ASSERT_EQ(SDL_GetDisplayBounds(0, &screen), 0);
    if (!X11WindowGeometry(window, windowed)) GTEST_SKIP() << "not an X11 window";
    auto image = RedGreen();
    display_->ToggleFullscreen();
    EXPECT_FALSE(display_->fullscreen()) << "not before the flip";
    display_->Flip(-1);
    EXPECT_TRUE(display_->fullscreen());
    EXPECT_TRUE(window_is(screen));

    // Images and the drawing state live on: the same context serves both.
    graphics_->Cls();
    graphics_->DrawImage(*image, 10, 10, 0);
    EXPECT_EQ(graphics_->GrabBackBuffer().ReadRGBA(11, 10), PackRGBA(0, 255, 0, 255));

    display_->ToggleFullscreen();
    display_->Flip(-1);
    EXPECT_FALSE(display_->fullscreen());
    EXPECT_TRUE(window_is(windowed));
}
