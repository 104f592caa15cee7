#include "platform/video/text.hpp"

#include <gtest/gtest.h>

#include <ft2build.h>
#include FT_FREETYPE_H

#include <cstdio>
#include <fstream>
#include <set>

#include "platform/system/resources.hpp"
#include "platform/video/soft_renderer.hpp"

namespace {

const char* const kGameFont = "incbin::256bytes.ttf";

// Keeps every textured quad it is asked to draw.
class RecordingRenderer final : public Renderer {
public:
    RecordingRenderer() : Renderer(640, 480) {}
    std::vector<std::array<Vertex, 4>> quads;

protected:
    std::unique_ptr<TRenderFrame> BuildFrame(const TPixmap&, int) override { return std::make_unique<TRenderFrame>(); }
    void ApplyBlend(int) override {}
    void ApplyClsColor(std::uint8_t, std::uint8_t, std::uint8_t) override {}
    void ApplyViewport(int, int, int, int, bool) override {}
    void ApplyLineWidth(float) override {}
    void EnableTexturing(bool) override {}
    void BindTexture(TRenderFrame&) override {}
    void Clear() override {}
    void DrawQuad(const Vertex (&corners)[4], bool) override {
        quads.push_back({corners[0], corners[1], corners[2], corners[3]});
    }
    void DrawPoint(float, float) override {}
    void DrawSegment(float, float, float, float) override {}
    TPixmap ReadPixels(int, int, int width, int height) override { return TPixmap::Create(width, height); }
};

// The same questions asked of FreeType directly, to check the font layer
// against.
class DirectFace {
public:
    explicit DirectFace(int size) {
        bytes_ = *ReadSource(kGameFont);
        FT_Init_FreeType(&library_);
        FT_New_Memory_Face(library_, bytes_.data(), static_cast<FT_Long>(bytes_.size()), 0, &face_);
        FT_Set_Pixel_Sizes(face_, 0, static_cast<FT_UInt>(size));
    }
    ~DirectFace() {
        FT_Done_Face(face_);
        FT_Done_FreeType(library_);
    }
    bool Maps(char code) { return FT_Get_Char_Index(face_, static_cast<unsigned char>(code)) != 0; }
    FT_GlyphSlot Render(char code) {
        FT_Load_Glyph(face_, FT_Get_Char_Index(face_, static_cast<unsigned char>(code)), FT_LOAD_RENDER);
        return face_->glyph;
    }
    int Advance(char code) { return static_cast<int>(Render(code)->advance.x >> 6); }
    int Ascender() const { return static_cast<int>(face_->size->metrics.ascender >> 6); }
    int Height() const { return static_cast<int>(face_->size->metrics.height >> 6); }

private:
    std::vector<unsigned char> bytes_;
    FT_Library library_ = nullptr;
    FT_Face face_ = nullptr;
};

class TextTest : public ::testing::Test {
protected:
    RecordingRenderer renderer;
    Graphics graphics{renderer};
    Text text{graphics};

    std::unique_ptr<TImageFont> GameFont(int style = kFontSmooth) {
        auto font = text.LoadFont(kGameFont, 22, style);
        EXPECT_NE(font, nullptr);
        return font;
    }
};

TEST_F(TextTest, BuiltinFontIsCurrentUntilAnotherIsSet) {
    EXPECT_EQ(text.TextHeight(), 16);
    // Only codes 32..127 have glyphs; the others take no room.
    EXPECT_EQ(text.TextWidth("A\tB\xe9"), 16);
    text.DrawText("A\tB", 10, 20);
    ASSERT_EQ(renderer.quads.size(), 2u);
    EXPECT_FLOAT_EQ(renderer.quads[1][0].x, 18);

    auto font = GameFont();
    text.SetFont(font.get());
    EXPECT_NE(text.TextHeight(), 16);
    text.SetFont(nullptr);
    EXPECT_EQ(text.TextHeight(), 16);
}

TEST_F(TextTest, BuiltinGlyphsAreDistinctAndInked) {
    auto bitmap = BuiltinFontBitmap();
    std::set<std::vector<std::uint8_t>> shapes;
    for (int glyph = 0; glyph < kBuiltinGlyphCount; ++glyph) {
        std::vector<std::uint8_t> rows;
        for (int row = 0; row < kBuiltinGlyphHeight; ++row) rows.push_back(bitmap[row * kBuiltinGlyphCount + glyph]);
        bool inked = std::any_of(rows.begin(), rows.end(), [](std::uint8_t bits) { return bits != 0; });
        EXPECT_EQ(inked, glyph != 0) << "code " << glyph + 32;
        shapes.insert(rows);
    }
    EXPECT_EQ(shapes.size(), 96u);
}

TEST_F(TextTest, EmptySpaceAndGameStringWidths) {
    auto font = GameFont();
    text.SetFont(font.get());
    DirectFace face(22);
    ASSERT_GT(face.Advance(' '), 0);
    EXPECT_EQ(text.TextWidth(""), 0);
    EXPECT_EQ(text.TextWidth("  "), 2 * face.Advance(' '));
    text.DrawText("  ", 0, 0);
    EXPECT_TRUE(renderer.quads.empty());

    EXPECT_EQ(text.TextHeight(), face.Height());
    std::string line = "Power-Up: [ Auto: None ]  [ Trigger: Hyper-Space ]";
    int expected = 0;
    for (char code : line)
        if (face.Maps(code)) expected += face.Advance(code);
    EXPECT_EQ(text.TextWidth(line), expected);
}

TEST_F(TextTest, UnmappedCharacterLeavesNoGap) {
    DirectFace face(22);
    ASSERT_FALSE(face.Maps('\x01'));
    auto font = GameFont();
    text.SetFont(font.get());
    text.DrawText("AB", 50, 60);
    auto plain = renderer.quads;
    renderer.quads.clear();
    text.DrawText(
        "A\x01"
        "B",
        50, 60);
    ASSERT_EQ(renderer.quads.size(), plain.size());
    EXPECT_EQ(renderer.quads[1][0].x, plain[1][0].x);
    EXPECT_EQ(text.TextWidth("A\x01"
                             "B"),
              text.TextWidth("AB"));
}

TEST_F(TextTest, SmoothGlyphsGetATransparentBorder) {
    DirectFace face(22);
    FT_GlyphSlot rendered = face.Render('A');
    int left = rendered->bitmap_left, top = face.Ascender() - rendered->bitmap_top;
    auto hard = GameFont(0);
    auto smooth = GameFont(kFontSmooth);
    text.SetFont(hard.get());
    text.DrawText("A", 100, 100);
    text.SetFont(smooth.get());
    text.DrawText("A", 100, 100);
    ASSERT_EQ(renderer.quads.size(), 2u);
    const auto& h = renderer.quads[0];
    const auto& s = renderer.quads[1];
    EXPECT_EQ(h[0].x, static_cast<float>(100 + left));
    EXPECT_EQ(h[0].y, static_cast<float>(100 + top));
    EXPECT_FLOAT_EQ(s[0].x, h[0].x - 1);
    EXPECT_FLOAT_EQ(s[0].y, h[0].y - 1);
    EXPECT_FLOAT_EQ(s[2].x, h[2].x + 1);
    EXPECT_FLOAT_EQ(s[2].y, h[2].y + 1);

    // The border is clear and the inside is FreeType's coverage as alpha on white.
    TImageGlyph* glyph = smooth->LoadGlyph(smooth->CharToGlyph('A'));
    const TPixmap& pixels = *glyph->_image->pixmaps[0];
    rendered = face.Render('A');
    ASSERT_EQ(pixels.width, static_cast<int>(rendered->bitmap.width) + 2);
    ASSERT_EQ(pixels.height, static_cast<int>(rendered->bitmap.rows) + 2);
    for (int y = 0; y < pixels.height; ++y)
        for (int x = 0; x < pixels.width; ++x) {
            bool border = x == 0 || y == 0 || x == pixels.width - 1 || y == pixels.height - 1;
            int coverage = border ? 0 : rendered->bitmap.buffer[(y - 1) * rendered->bitmap.pitch + (x - 1)];
            ASSERT_EQ(pixels.ReadRGBA(x, y), PackRGBA(255, 255, 255, coverage)) << x << "," << y;
        }
}

TEST_F(TextTest, ScaleAndRotationTurnGlyphsAboutThePen) {
    auto font = GameFont();
    text.SetFont(font.get());
    int width = text.TextWidth("Level:01");
    text.DrawText("Level:01", 40, 30);
    auto normal = renderer.quads;
    renderer.quads.clear();
    graphics.SetScale(2, 2);
    EXPECT_EQ(text.TextWidth("Level:01"), width);
    text.DrawText("Level:01", 40, 30);
    ASSERT_EQ(renderer.quads.size(), normal.size());
    for (int corner : {0, 2}) {
        EXPECT_FLOAT_EQ(renderer.quads.back()[corner].x - 40, 2 * (normal.back()[corner].x - 40));
        EXPECT_FLOAT_EQ(renderer.quads.back()[corner].y - 30, 2 * (normal.back()[corner].y - 30));
    }

    // A quarter turn clockwise: the pen walks down the screen.
    renderer.quads.clear();
    text.SetFont(nullptr);
    graphics.SetScale(1, 1);
    graphics.SetRotation(90);
    text.DrawText("AB", 200, 100);
    ASSERT_EQ(renderer.quads.size(), 2u);
    EXPECT_NEAR(renderer.quads[1][0].x, 200, 1e-4);
    EXPECT_NEAR(renderer.quads[1][0].y, 108, 1e-4);
    EXPECT_NEAR(renderer.quads[0][3].x, 184, 1e-4);
}

TEST_F(TextTest, LoadFontFailures) {
    EXPECT_EQ(text.LoadFont("/nonexistent/font.ttf", 22, 4), nullptr);
    EXPECT_EQ(text.LoadFont(kGameFont, 0, 4), nullptr);
    std::string junk = ::testing::TempDir() + "not_a_font.ttf";
    std::ofstream(junk) << "this is not a font";
    EXPECT_EQ(text.LoadFont(junk, 22, 4), nullptr);
    std::remove(junk.c_str());
}

TEST_F(TextTest, FontOutlivesTheTextThatLoadedIt) {
    std::unique_ptr<TImageFont> font;
    {
        Text loader(graphics);
        font = loader.LoadFont(kGameFont, 22, kFontSmooth);
    }
    ASSERT_NE(font, nullptr);
    TImageGlyph* glyph = font->LoadGlyph(font->CharToGlyph('W'));
    ASSERT_NE(glyph, nullptr);
    EXPECT_GT(glyph->_advance, 0);
}

// Drawn for real into the software renderer's back buffer.
class TextScreenshotTest : public ::testing::Test {
protected:
    SoftRenderer renderer;
    Graphics graphics{renderer};
    Text text{graphics};

    void SetUp() override {
        graphics.ApplyState();
        graphics.SetClsColor(0, 0, 0);
        graphics.Cls();
        graphics.SetBlend(BLEND_MASK);
        graphics.SetColor(255, 255, 255);
    }
    bool Lit(int x, int y) const { return RedOf(renderer.back_buffer().ReadRGBA(x, y)) > 0; }
};

TEST_F(TextScreenshotTest, BuiltinGlyphLandsPixelForPixel) {
    text.DrawText("R", 10, 20);
    auto bitmap = BuiltinFontBitmap();
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 40; ++x) {
            int gx = x - 10, gy = y - 20;
            bool inside = gx >= 0 && gx < 8 && gy >= 0 && gy < 16;
            bool set = inside && (bitmap[gy * kBuiltinGlyphCount + ('R' - 32)] >> gx & 1);
            ASSERT_EQ(Lit(x, y), set) << x << "," << y;
        }
}

TEST_F(TextScreenshotTest, GameFontStringStaysInItsBox) {
    auto font = text.LoadFont(kGameFont, 22, kFontSmooth);
    ASSERT_NE(font, nullptr);
    text.SetFont(font.get());
    int width = text.TextWidth("Score:"), height = text.TextHeight();
    text.DrawText("Score:", 100, 50);
    DirectFace face(22);
    int ink_left = 100 + face.Render('S')->bitmap_left;
    int min_x = 640, max_x = -1, min_y = 480, max_y = -1;
    for (int y = 0; y < 480; ++y)
        for (int x = 0; x < 640; ++x)
            if (Lit(x, y)) {
                min_x = std::min(min_x, x), max_x = std::max(max_x, x);
                min_y = std::min(min_y, y), max_y = std::max(max_y, y);
            }
    ASSERT_GE(max_x, 0) << "nothing drawn";
    EXPECT_NEAR(min_x, ink_left, 1);
    EXPECT_LE(max_x, 100 + width);
    EXPECT_GE(min_y, 50);
    EXPECT_LE(max_y, 50 + height);
}

}  // namespace
