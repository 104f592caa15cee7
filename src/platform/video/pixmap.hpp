#pragma once

#include <cstdint>
#include <vector>

// Pixel layouts. Everything drawn or uploaded is kFormatRGBA8888.
enum PixelFormat {
    kFormatA8 = 1,        // one byte of coverage
    kFormatI8 = 2,        // one byte of grey, opaque
    kFormatRGB888 = 3,    // red, green, blue, opaque
    kFormatRGBA8888 = 6,  // red, green, blue, alpha
};

int BytesPerPixel(int format);
bool FormatHasAlpha(int format);

// A block of pixels in one of the layouts above, rows top to bottom.
struct TPixmap {
    std::vector<std::uint8_t> pixels;
    int width = 0;
    int height = 0;
    int pitch = 0;
    int format = kFormatRGBA8888;

    static TPixmap Create(int width, int height, int format = kFormatRGBA8888);

    std::uint8_t* PixelPtr(int x, int y) { return pixels.data() + y * pitch + x * BytesPerPixel(format); }
    const std::uint8_t* PixelPtr(int x, int y) const { return pixels.data() + y * pitch + x * BytesPerPixel(format); }
    // Red, green, blue and alpha of one pixel, whatever the layout.
    std::uint32_t ReadRGBA(int x, int y) const;
    // Only for kFormatRGBA8888.
    void WriteRGBA(int x, int y, std::uint32_t rgba);
};

// rgba packing used by ReadRGBA/WriteRGBA: red in the low byte.
constexpr std::uint32_t PackRGBA(int r, int g, int b, int a) {
    return static_cast<std::uint32_t>(r) | static_cast<std::uint32_t>(g) << 8 | static_cast<std::uint32_t>(b) << 16 |
           static_cast<std::uint32_t>(a) << 24;
}
constexpr int RedOf(std::uint32_t rgba) { return static_cast<int>(rgba & 0xff); }
constexpr int GreenOf(std::uint32_t rgba) { return static_cast<int>(rgba >> 8 & 0xff); }
constexpr int BlueOf(std::uint32_t rgba) { return static_cast<int>(rgba >> 16 & 0xff); }
constexpr int AlphaOf(std::uint32_t rgba) { return static_cast<int>(rgba >> 24 & 0xff); }

TPixmap ConvertToRGBA(const TPixmap& source);

// Bilinear resize of an RGBA buffer, sampling at pixel centres.
TPixmap ResizePixmap(const TPixmap& source, int width, int height);

// Pixels of the mask colour become transparent and take the average colour of
// their unmasked neighbours, so filtered edges do not darken; all others turn
// opaque.
TPixmap MaskPixmap(const TPixmap& source, int mask_r, int mask_g, int mask_b);

// Every pixel of an RGBA pixmap the one opaque colour.
void FillOpaque(TPixmap& pixmap, std::uint8_t red, std::uint8_t green, std::uint8_t blue);

// Copies source into target at (x, y); both RGBA, no clipping beyond target.
void PastePixmap(TPixmap& target, const TPixmap& source, int x, int y);
