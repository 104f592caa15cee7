#include "platform/video/text.hpp"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cstring>

#include "platform/system/resources.hpp"

namespace {

// Coverage bytes of a rendered FreeType bitmap, rows top to bottom; null for
// pixel modes that carry no usable coverage.
std::unique_ptr<TPixmap> CoverageOf(const FT_Bitmap& bitmap) {
    int width = static_cast<int>(bitmap.width), rows = static_cast<int>(bitmap.rows);
    auto pixmap = std::make_unique<TPixmap>(TPixmap::Create(width, rows, kFormatA8));
    // The pitch is what takes a row pointer one row down, whichever way the
    // rows are stored.
    const unsigned char* top = bitmap.buffer;
    if (bitmap.pitch < 0) top -= static_cast<std::ptrdiff_t>(bitmap.pitch) * (rows - 1);
    for (int y = 0; y < rows; ++y) {
        const unsigned char* source = top + static_cast<std::ptrdiff_t>(bitmap.pitch) * y;
        std::uint8_t* target = pixmap->PixelPtr(0, y);
        switch (bitmap.pixel_mode) {
        case FT_PIXEL_MODE_GRAY:
            std::memcpy(target, source, static_cast<std::size_t>(width));
            break;
        case FT_PIXEL_MODE_MONO:
            for (int x = 0; x < width; ++x) target[x] = (source[x >> 3] & (0x80 >> (x & 7))) ? 255 : 0;
            break;
        case FT_PIXEL_MODE_BGRA:
            for (int x = 0; x < width; ++x) target[x] = source[x * 4 + 3];
            break;
        default:
            return nullptr;
        }
    }
    return pixmap;
}

// A one-pixel transparent frame round the coverage, so filtered edges fade
// out instead of being cut off at the bitmap's border.
TPixmap WithBorder(const TPixmap& coverage) {
    TPixmap bordered = TPixmap::Create(coverage.width + 2, coverage.height + 2, kFormatA8);
    for (int y = 0; y < coverage.height; ++y)
        std::memcpy(bordered.PixelPtr(1, y + 1), coverage.PixelPtr(0, y), static_cast<std::size_t>(coverage.width));
    return bordered;
}

TPixmap BuiltinGlyphPixels(int index) {
    std::span<const std::uint8_t> bitmap = BuiltinFontBitmap();
    TPixmap pixmap = TPixmap::Create(kBuiltinGlyphWidth, kBuiltinGlyphHeight);
    for (int y = 0; y < kBuiltinGlyphHeight; ++y) {
        std::uint8_t bits = bitmap[static_cast<std::size_t>(y * kBuiltinGlyphCount + index)];
        for (int x = 0; x < kBuiltinGlyphWidth; ++x)
            pixmap.WriteRGBA(x, y, (bits >> x & 1) ? PackRGBA(255, 255, 255, 255) : PackRGBA(255, 255, 255, 0));
    }
    return pixmap;
}

}  // namespace

TFreeTypeFont::~TFreeTypeFont() {
    if (_ft_face) FT_Done_Face(_ft_face);
}

int TFreeTypeFont::CharToGlyph(int code) const {
    if (!_ft_face || code < 0) return -1;
    return static_cast<int>(FT_Get_Char_Index(_ft_face, static_cast<FT_ULong>(code))) - 1;
}

const TFreeTypeGlyph& TFreeTypeFont::LoadGlyph(int index) {
    std::unique_ptr<TFreeTypeGlyph>& slot = _glyphs[static_cast<std::size_t>(index)];
    if (slot) return *slot;
    slot = std::make_unique<TFreeTypeGlyph>();
    TFreeTypeGlyph& glyph = *slot;
    if (FT_Load_Glyph(_ft_face, static_cast<FT_UInt>(index + 1), FT_LOAD_RENDER) != 0) return glyph;

    FT_GlyphSlot rendered = _ft_face->glyph;
    glyph._advance = static_cast<float>(rendered->advance.x >> 6);
    glyph._x = rendered->bitmap_left;
    glyph._y = _ascend - rendered->bitmap_top;
    glyph._w = static_cast<int>(rendered->bitmap.width);
    glyph._h = static_cast<int>(rendered->bitmap.rows);
    if (glyph._w == 0 || glyph._h == 0) return glyph;

    glyph._pixmap = CoverageOf(rendered->bitmap);
    if (glyph._pixmap && (_style & kFontSmooth)) {
        *glyph._pixmap = WithBorder(*glyph._pixmap);
        glyph._x -= 1;
        glyph._y -= 1;
        glyph._w += 2;
        glyph._h += 2;
    }
    return glyph;
}

TImageFont::TImageFont() { _glyphs.resize(kBuiltinGlyphCount); }

TImageFont::TImageFont(std::unique_ptr<TFreeTypeFont> source, int image_flags)
    : _src_font(std::move(source)), _imageFlags(image_flags) {
    _glyphs.resize(static_cast<std::size_t>(_src_font->GlyphCount()));
}

int TImageFont::CharToGlyph(int code) const {
    if (_src_font) return _src_font->CharToGlyph(code);
    if (code >= 32 && code < 32 + kBuiltinGlyphCount) return code - 32;
    return -1;
}

TImageGlyph* TImageFont::LoadGlyph(int index) {
    if (index < 0 || index >= static_cast<int>(_glyphs.size())) return nullptr;
    std::unique_ptr<TImageGlyph>& slot = _glyphs[static_cast<std::size_t>(index)];
    if (slot) return slot.get();
    slot = std::make_unique<TImageGlyph>();
    TImageGlyph& glyph = *slot;

    TPixmap pixels;
    if (_src_font) {
        const TFreeTypeGlyph& source = _src_font->LoadGlyph(index);
        glyph._advance = source._advance;
        glyph._x = source._x;
        glyph._y = source._y;
        glyph._w = source._w;
        glyph._h = source._h;
        if (!source._pixmap) return &glyph;
        // White texels carrying the coverage as alpha: the text colour comes
        // from SetColor alone.
        pixels = ConvertToRGBA(*source._pixmap);
    } else {
        glyph._advance = kBuiltinGlyphWidth;
        glyph._w = kBuiltinGlyphWidth;
        glyph._h = kBuiltinGlyphHeight;
        pixels = BuiltinGlyphPixels(index);
    }
    glyph._image = std::make_unique<TImage>(pixels.width, pixels.height, 1, _imageFlags);
    glyph._image->SetPixmap(0, std::move(pixels));
    return &glyph;
}

int TImageFont::Height() const { return _src_font ? _src_font->_height : kBuiltinGlyphHeight; }

Text::Text(Graphics& graphics) : graphics_(graphics) {
    FT_Library library = nullptr;
    if (FT_Init_FreeType(&library) == 0) library_.reset(library, [](FT_Library done) { FT_Done_FreeType(done); });
}

Text::~Text() {
    // The draw state must not keep pointing at the built-in font once it is gone.
    if (graphics_.state().image_font == &builtin_) graphics_.SetFont(nullptr);
}

std::unique_ptr<TImageFont> Text::LoadFont(const std::string& source, int size, int style) {
    if (!library_ || size < 1) return nullptr;
    auto font = std::make_unique<TFreeTypeFont>();
    font->_library = library_;
    font->_style = style;
    FT_Face face = nullptr;
    FT_Error error = 0;
    if (IsStreamName(source)) {
        auto bytes = ReadSource(source);
        if (!bytes || bytes->empty()) return nullptr;
        font->_buf = std::move(*bytes);
        error =
            FT_New_Memory_Face(library_.get(), font->_buf.data(), static_cast<FT_Long>(font->_buf.size()), 0, &face);
    } else {
        error = FT_New_Face(library_.get(), source.c_str(), 0, &face);
    }
    if (error != 0 || !face) return nullptr;
    font->_ft_face = face;

    // A bitmap-only face falls back to its nearest smaller strike.
    while (FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(size)) != 0) {
        if (--size == 0) return nullptr;
    }
    const FT_Size_Metrics& metrics = face->size->metrics;
    font->_height = static_cast<int>(metrics.height >> 6);
    font->_ascend = static_cast<int>(metrics.ascender >> 6);
    font->_descend = static_cast<int>(metrics.descender >> 6);
    font->_glyphs.resize(static_cast<std::size_t>(std::max<FT_Long>(face->num_glyphs, 0)));
    int image_flags = (style & kFontSmooth) ? kImageFiltered | kImageMipmapped : 0;
    return std::make_unique<TImageFont>(std::move(font), image_flags);
}

void Text::SetFont(TImageFont* font) { graphics_.SetFont(font); }

TImageFont& Text::CurrentFont() {
    TImageFont* font = graphics_.state().image_font;
    return font ? *font : builtin_;
}

void Text::DrawText(const std::string& text, float x, float y) {
    TImageFont& font = CurrentFont();
    const TDrawState& state = graphics_.state();
    float ix = state.tform_ix, iy = state.tform_iy, jx = state.tform_jx, jy = state.tform_jy;
    float pen_x = x + state.origin_x + state.handle_x * ix + state.handle_y * iy;
    float pen_y = y + state.origin_y + state.handle_x * jx + state.handle_y * jy;
    for (unsigned char code : text) {
        TImageGlyph* glyph = font.LoadGlyph(font.CharToGlyph(code));
        if (!glyph) continue;
        if (glyph->_image) {
            TImage& image = *glyph->_image;
            float gx = static_cast<float>(glyph->_x), gy = static_cast<float>(glyph->_y);
            graphics_.DrawImageFrame(image, 0, 0, 0, static_cast<float>(image.width), static_cast<float>(image.height),
                                     pen_x + gx * ix + gy * iy, pen_y + gx * jx + gy * jy);
        }
        pen_x += glyph->_advance * ix;
        pen_y += glyph->_advance * jx;
    }
}

int Text::TextWidth(const std::string& text) {
    TImageFont& font = CurrentFont();
    int width = 0;
    for (unsigned char code : text) {
        TImageGlyph* glyph = font.LoadGlyph(font.CharToGlyph(code));
        if (glyph) width = static_cast<int>(static_cast<float>(width) + glyph->_advance);
    }
    return width;
}

int Text::TextHeight() { return CurrentFont().Height(); }
