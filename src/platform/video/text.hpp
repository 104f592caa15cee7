#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "platform/video/draw.hpp"

struct FT_LibraryRec_;
struct FT_FaceRec_;

// Style flags for LoadFont.
constexpr int kFontBold = 1;
constexpr int kFontItalic = 2;
constexpr int kFontSmooth = 4;

// The built-in font: 96 glyphs for codes 32..127, 8x16 pixels each, stored as
// 16 rows of 96 bytes (one byte per glyph per row, least significant bit
// leftmost).
constexpr int kBuiltinGlyphWidth = 8;
constexpr int kBuiltinGlyphHeight = 16;
constexpr int kBuiltinGlyphCount = 96;
std::span<const std::uint8_t> BuiltinFontBitmap();

// A glyph as FreeType rendered it, in whole pixels relative to the pen at the
// top of the line.
struct TFreeTypeGlyph {
    std::unique_ptr<TPixmap> _pixmap;  // coverage (kFormatA8), null when there is no ink
    float _advance = 0;
    int _x = 0, _y = 0, _w = 0, _h = 0;
};

// A TrueType face opened at one pixel size. Holds a share of the FreeType
// library so the face is always closed before the library.
class TFreeTypeFont {
public:
    TFreeTypeFont() = default;
    ~TFreeTypeFont();
    TFreeTypeFont(const TFreeTypeFont&) = delete;
    TFreeTypeFont& operator=(const TFreeTypeFont&) = delete;

    // Glyph index for a character code, or -1 when the face does not map it.
    int CharToGlyph(int code) const;
    // Renders glyph i (face glyph i + 1) on first use.
    const TFreeTypeGlyph& LoadGlyph(int index);
    int GlyphCount() const { return static_cast<int>(_glyphs.size()); }

    std::shared_ptr<FT_LibraryRec_> _library;
    FT_FaceRec_* _ft_face = nullptr;
    int _style = 0;
    int _height = 0, _ascend = 0, _descend = 0;
    std::vector<std::unique_ptr<TFreeTypeGlyph>> _glyphs;
    std::vector<unsigned char> _buf;  // the font file when the face was opened from memory
};

struct TImageGlyph {
    std::unique_ptr<TImage> _image;  // null for a glyph with no ink
    float _advance = 0;
    int _x = 0, _y = 0, _w = 0, _h = 0;
};

// A font as the draw layer uses it: one image per glyph, made on first use.
// Without a TrueType source it is the built-in font.
class TImageFont {
public:
    // The built-in font.
    TImageFont();
    TImageFont(std::unique_ptr<TFreeTypeFont> source, int image_flags);

    int CharToGlyph(int code) const;
    // Null when the index is out of range.
    TImageGlyph* LoadGlyph(int index);
    int Height() const;

    std::unique_ptr<TFreeTypeFont> _src_font;
    std::vector<std::unique_ptr<TImageGlyph>> _glyphs;
    int _imageFlags = 0;
};

// Text through the draw state: current colour, alpha, blend, rotation and
// scale all apply. Characters are the bytes of the string.
class Text {
public:
    explicit Text(Graphics& graphics);
    ~Text();
    Text(const Text&) = delete;
    Text& operator=(const Text&) = delete;

    // `source` is a path or a stream name such as "incbin::NAME". Null when
    // it cannot be read or opened, or no pixel size down to 1 is accepted.
    std::unique_ptr<TImageFont> LoadFont(const std::string& source, int size, int style);
    // Null selects the built-in font. The font must outlive its use.
    void SetFont(TImageFont* font);
    TImageFont& CurrentFont();
    TImageFont& BuiltinFont() { return builtin_; }

    // The string with its top-left corner at (x, y).
    void DrawText(const std::string& text, float x, float y);
    // Unrotated, unscaled width: the advances of the characters with glyphs.
    int TextWidth(const std::string& text);
    int TextHeight();

private:
    Graphics& graphics_;
    std::shared_ptr<FT_LibraryRec_> library_;
    TImageFont builtin_;
};
