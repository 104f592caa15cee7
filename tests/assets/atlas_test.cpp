#include <png.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

struct DecodedPng {
    int width = 0;
    int height = 0;
    bool rgb_without_alpha = false;
    std::vector<unsigned char> pixels;  // RGB

    bool IsBlack(int x, int y) const {
        const unsigned char* pixel = &pixels[static_cast<std::size_t>((y * width + x) * 3)];
        return pixel[0] == 0 && pixel[1] == 0 && pixel[2] == 0;
    }
    int Brightest(int x, int y) const {
        const unsigned char* pixel = &pixels[static_cast<std::size_t>((y * width + x) * 3)];
        return std::max({pixel[0], pixel[1], pixel[2]});
    }
};

DecodedPng Decode(const std::string& name) {
    const std::string path = std::string(REZARUDEV_SOURCE_DIR) + "/assets/" + name;
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    DecodedPng decoded;
    if (!png_image_begin_read_from_file(&image, path.c_str())) {
        ADD_FAILURE() << "cannot read " << path;
        return decoded;
    }
    decoded.rgb_without_alpha =
        (image.format & PNG_FORMAT_FLAG_COLOR) != 0 && (image.format & PNG_FORMAT_FLAG_ALPHA) == 0;
    image.format = PNG_FORMAT_RGB;
    decoded.width = static_cast<int>(image.width);
    decoded.height = static_cast<int>(image.height);
    decoded.pixels.resize(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, decoded.pixels.data(), 0, nullptr)) {
        ADD_FAILURE() << "cannot decode " << path;
    }
    return decoded;
}

struct Frame {
    std::string name;
    int x;
    int y;
    int width;
    int height;
};

// Where the game cuts each sprite; frame n of a strip sits 16 pixels right of frame n - 1.
std::vector<Frame> SpriteFrames() {
    struct Strip {
        const char* name;
        int width;
        int height;
        int frames;
        int x;
        int y;
    };
    const Strip strips[] = {
        {"ship", 15, 37, 4, 1, 1},        {"shot", 4, 9, 1, 66, 1},         {"particle", 20, 17, 1, 66, 13},
        {"icons", 15, 15, 12, 89, 1},     {"burger", 77, 63, 1, 1, 40},     {"ufo", 53, 53, 1, 81, 40},
        {"fries", 18, 30, 1, 137, 40},    {"flame", 112, 68, 1, 158, 36},   {"ring", 139, 132, 1, 274, 72},
        {"gameover", 203, 24, 1, 1, 106}, {"explosion", 58, 55, 1, 1, 152}, {"title", 321, 104, 1, 1, 209},
    };
    std::vector<Frame> frames;
    for (const Strip& strip : strips) {
        for (int n = 0; n < strip.frames; ++n) {
            frames.push_back({std::string(strip.name) + " " + std::to_string(n), strip.x + 16 * n, strip.y, strip.width,
                              strip.height});
        }
    }
    return frames;
}

bool Contains(const Frame& frame, int x, int y) {
    return x >= frame.x && x < frame.x + frame.width && y >= frame.y && y < frame.y + frame.height;
}

TEST(AtlasTest, IsAnRgbImageOf415By317) {
    const DecodedPng atlas = Decode("burger1_sf1.png");
    EXPECT_EQ(atlas.width, 415);
    EXPECT_EQ(atlas.height, 317);
    EXPECT_TRUE(atlas.rgb_without_alpha);
}

TEST(AtlasTest, SpriteRectanglesFitAndDoNotOverlap) {
    const std::vector<Frame> frames = SpriteFrames();
    for (std::size_t i = 0; i < frames.size(); ++i) {
        const Frame& a = frames[i];
        EXPECT_TRUE(a.x >= 0 && a.y >= 0 && a.x + a.width <= 415 && a.y + a.height <= 317) << a.name;
        for (std::size_t j = i + 1; j < frames.size(); ++j) {
            const Frame& b = frames[j];
            const bool apart =
                a.x + a.width <= b.x || b.x + b.width <= a.x || a.y + a.height <= b.y || b.y + b.height <= a.y;
            EXPECT_TRUE(apart) << a.name << " overlaps " << b.name;
        }
    }
}

TEST(AtlasTest, LitPixelsLieInsideSpritesAndAreNeverNearlyBlack) {
    const DecodedPng atlas = Decode("burger1_sf1.png");
    const std::vector<Frame> frames = SpriteFrames();
    int stray = 0;
    int nearly_black = 0;
    for (int y = 0; y < atlas.height; ++y) {
        for (int x = 0; x < atlas.width; ++x) {
            if (atlas.IsBlack(x, y)) {
                continue;
            }
            bool owned = false;
            for (const Frame& frame : frames) {
                owned = owned || Contains(frame, x, y);
            }
            stray += owned ? 0 : 1;
            // Such pixels would collide while barely showing.
            nearly_black += atlas.Brightest(x, y) <= 12 ? 1 : 0;
        }
    }
    EXPECT_EQ(stray, 0);
    EXPECT_EQ(nearly_black, 0);
}

TEST(AtlasTest, EverySpriteFrameHasLitPixels) {
    const DecodedPng atlas = Decode("burger1_sf1.png");
    for (const Frame& frame : SpriteFrames()) {
        int lit = 0;
        for (int y = frame.y; y < frame.y + frame.height; ++y) {
            for (int x = frame.x; x < frame.x + frame.width; ++x) {
                lit += atlas.IsBlack(x, y) ? 0 : 1;
            }
        }
        EXPECT_GT(lit, 0) << frame.name;
    }
}

// The game tests every pickup ball with frame 5's outline, so all seven must share it.
TEST(AtlasTest, PickupBallsShareOneOutline) {
    const DecodedPng atlas = Decode("burger1_sf1.png");
    const int first = 89 + 16 * 5;
    for (int frame = 6; frame <= 11; ++frame) {
        const int left = 89 + 16 * frame;
        int differing = 0;
        for (int y = 1; y < 16; ++y) {
            for (int x = 0; x < 15; ++x) {
                differing += atlas.IsBlack(first + x, y) != atlas.IsBlack(left + x, y) ? 1 : 0;
            }
        }
        EXPECT_EQ(differing, 0) << "icon frame " << frame;
    }
}

TEST(AtlasTest, BackgroundAndSplashLogoHaveTheirSizes) {
    const DecodedPng background = Decode("burger1_bg.png");
    EXPECT_EQ(background.width, 640);
    EXPECT_EQ(background.height, 640);
    EXPECT_TRUE(background.rgb_without_alpha);
    const DecodedPng logo = Decode("qxlogo.png");
    EXPECT_EQ(logo.width, 420);
    EXPECT_EQ(logo.height, 236);
    EXPECT_TRUE(logo.rgb_without_alpha);
}

}  // namespace
