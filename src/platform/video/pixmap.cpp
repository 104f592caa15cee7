#include "platform/video/pixmap.hpp"

#include <algorithm>
#include <cmath>

int BytesPerPixel(int format) {
    switch (format) {
    case kFormatA8:
    case kFormatI8:
        return 1;
    case kFormatRGB888:
        return 3;
    default:
        return 4;
    }
}

bool FormatHasAlpha(int format) { return format == kFormatA8 || format == kFormatRGBA8888; }

TPixmap TPixmap::Create(int width, int height, int format) {
    TPixmap pixmap;
    pixmap.width = std::max(width, 0);
    pixmap.height = std::max(height, 0);
    pixmap.format = format;
    pixmap.pitch = pixmap.width * BytesPerPixel(format);
    pixmap.pixels.assign(static_cast<std::size_t>(pixmap.pitch) * pixmap.height, 0);
    return pixmap;
}

std::uint32_t TPixmap::ReadRGBA(int x, int y) const {
    const std::uint8_t* p = PixelPtr(x, y);
    switch (format) {
    case kFormatA8:
        return PackRGBA(255, 255, 255, p[0]);
    case kFormatI8:
        return PackRGBA(p[0], p[0], p[0], 255);
    case kFormatRGB888:
        return PackRGBA(p[0], p[1], p[2], 255);
    default:
        return PackRGBA(p[0], p[1], p[2], p[3]);
    }
}

void TPixmap::WriteRGBA(int x, int y, std::uint32_t rgba) {
    std::uint8_t* p = PixelPtr(x, y);
    p[0] = static_cast<std::uint8_t>(RedOf(rgba));
    p[1] = static_cast<std::uint8_t>(GreenOf(rgba));
    p[2] = static_cast<std::uint8_t>(BlueOf(rgba));
    p[3] = static_cast<std::uint8_t>(AlphaOf(rgba));
}

TPixmap ConvertToRGBA(const TPixmap& source) {
    if (source.format == kFormatRGBA8888 && source.pitch == source.width * 4) return source;
    TPixmap result = TPixmap::Create(source.width, source.height);
    for (int y = 0; y < source.height; ++y)
        for (int x = 0; x < source.width; ++x) result.WriteRGBA(x, y, source.ReadRGBA(x, y));
    return result;
}

namespace {

// Where destination index i samples the source: the lower neighbour and the
// weight of the upper one. Outside the source the edge pixel is used alone.
struct Sample {
    int index;
    double fraction;
};

Sample SampleAt(int i, int source_size, int target_size) {
    double coordinate = (i + 0.5) * source_size / target_size - 0.5;
    if (coordinate < 0) return {0, 0.0};
    double whole = std::floor(coordinate);
    int index = static_cast<int>(whole);
    if (index >= source_size - 1) return {source_size - 1, 0.0};
    return {index, coordinate - whole};
}

}  // namespace

TPixmap ResizePixmap(const TPixmap& source_any, int width, int height) {
    TPixmap source = ConvertToRGBA(source_any);
    TPixmap result = TPixmap::Create(width, height);
    if (source.width == 0 || source.height == 0) return result;
    for (int i = 0; i < height; ++i) {
        Sample row = SampleAt(i, source.height, height);
        int row2 = std::min(row.index + 1, source.height - 1);
        for (int j = 0; j < width; ++j) {
            Sample column = SampleAt(j, source.width, width);
            int column2 = std::min(column.index + 1, source.width - 1);
            const std::uint8_t* a = source.PixelPtr(column.index, row.index);
            const std::uint8_t* b = source.PixelPtr(column2, row.index);
            const std::uint8_t* c = source.PixelPtr(column.index, row2);
            const std::uint8_t* d = source.PixelPtr(column2, row2);
            std::uint8_t* out = result.PixelPtr(j, i);
            for (int channel = 0; channel < 4; ++channel) {
                double top = a[channel] + (b[channel] - a[channel]) * column.fraction;
                double bottom = c[channel] + (d[channel] - c[channel]) * column.fraction;
                out[channel] = static_cast<std::uint8_t>(top + (bottom - top) * row.fraction);
            }
        }
    }
    return result;
}

TPixmap MaskPixmap(const TPixmap& source_any, int mask_r, int mask_g, int mask_b) {
    TPixmap source = ConvertToRGBA(source_any);
    TPixmap result = TPixmap::Create(source.width, source.height);
    auto is_mask = [&](int x, int y) {
        const std::uint8_t* p = source.PixelPtr(x, y);
        return p[0] == mask_r && p[1] == mask_g && p[2] == mask_b;
    };
    for (int y = 0; y < source.height; ++y) {
        for (int x = 0; x < source.width; ++x) {
            const std::uint8_t* p = source.PixelPtr(x, y);
            if (!is_mask(x, y)) {
                result.WriteRGBA(x, y, PackRGBA(p[0], p[1], p[2], 255));
                continue;
            }
            int red = 0, green = 0, blue = 0, count = 0;
            for (int ny = std::max(y - 1, 0); ny <= std::min(y + 1, source.height - 1); ++ny) {
                for (int nx = std::max(x - 1, 0); nx <= std::min(x + 1, source.width - 1); ++nx) {
                    if (is_mask(nx, ny)) continue;
                    const std::uint8_t* n = source.PixelPtr(nx, ny);
                    red += n[0];
                    green += n[1];
                    blue += n[2];
                    ++count;
                }
            }
            if (count) result.WriteRGBA(x, y, PackRGBA(red / count, green / count, blue / count, 0));
        }
    }
    return result;
}

void PastePixmap(TPixmap& target, const TPixmap& source, int x, int y) {
    for (int row = 0; row < source.height && y + row < target.height; ++row) {
        int columns = std::min(source.width, target.width - x);
        if (columns <= 0) return;
        std::copy_n(source.PixelPtr(0, row), columns * 4, target.PixelPtr(x, y + row));
    }
}

void FillOpaque(TPixmap& pixmap, std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
    for (std::size_t i = 0; i + 3 < pixmap.pixels.size(); i += 4) {
        pixmap.pixels[i] = red;
        pixmap.pixels[i + 1] = green;
        pixmap.pixels[i + 2] = blue;
        pixmap.pixels[i + 3] = 255;
    }
}
