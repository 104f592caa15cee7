#include "platform/video/png.hpp"

#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

namespace {

struct ReadCursor {
    std::span<const unsigned char> bytes;
    std::size_t offset = 0;
};

void ReadFromMemory(png_structp png, png_bytep out, png_size_t length) {
    auto* cursor = static_cast<ReadCursor*>(png_get_io_ptr(png));
    if (cursor->bytes.size() - cursor->offset < length) png_error(png, "truncated");
    std::memcpy(out, cursor->bytes.data() + cursor->offset, length);
    cursor->offset += length;
}

// libpng reports through longjmp; warnings are of no use to a player, and the
// caller says in a line of its own what failed.
void IgnoreWarning(png_structp, png_const_charp) {}
[[noreturn]] void QuietError(png_structp png, png_const_charp) { png_longjmp(png, 1); }

// Far beyond any picture the game draws: a header asking for more is refused
// before anything is allocated for it.
constexpr png_uint_32 kMaxSide = 8192;
constexpr png_uint_32 kMaxPixels = 4096 * 4096;

}  // namespace

std::optional<TPixmap> DecodePng(std::span<const unsigned char> bytes) {
    if (bytes.size() < 8 || png_sig_cmp(bytes.data(), 0, 8) != 0) return std::nullopt;
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, QuietError, IgnoreWarning);
    if (!png) return std::nullopt;
    png_infop info = png_create_info_struct(png);
    if (!info) {
        png_destroy_read_struct(&png, nullptr, nullptr);
        return std::nullopt;
    }
    ReadCursor cursor{bytes, 0};
    // Everything that must be freed after a longjmp lives outside this frame.
    auto result = std::make_unique<TPixmap>();
    std::vector<png_bytep> rows;
    std::vector<unsigned char> raw;
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        return std::nullopt;
    }
    png_set_read_fn(png, &cursor, ReadFromMemory);
    png_set_user_limits(png, kMaxSide, kMaxSide);
    png_read_info(png, info);
    if (png_get_image_width(png, info) * png_get_image_height(png, info) > kMaxPixels) png_error(png, "too large");
    png_set_strip_16(png);
    png_set_packing(png);
    png_set_expand(png);  // palettes, low-bit grey and tRNS chunks
    png_read_update_info(png, info);
    int channels = png_get_channels(png, info);
    int width = static_cast<int>(png_get_image_width(png, info));
    int height = static_cast<int>(png_get_image_height(png, info));
    int format = channels == 1 ? kFormatI8 : channels == 3 ? kFormatRGB888 : kFormatRGBA8888;
    if (channels != 1 && channels != 2 && channels != 3 && channels != 4) png_error(png, "unsupported");
    // Grey with alpha is read as-is and widened to RGBA below.
    int row_bytes = static_cast<int>(png_get_rowbytes(png, info));
    raw.resize(static_cast<std::size_t>(row_bytes) * height);
    rows.resize(static_cast<std::size_t>(height));
    for (int y = 0; y < height; ++y) rows[y] = raw.data() + static_cast<std::size_t>(y) * row_bytes;
    png_read_image(png, rows.data());
    png_read_end(png, nullptr);
    png_destroy_read_struct(&png, &info, nullptr);

    *result = TPixmap::Create(width, height, format);
    for (int y = 0; y < height; ++y) {
        const unsigned char* in = raw.data() + static_cast<std::size_t>(y) * row_bytes;
        if (channels == 2) {
            for (int x = 0; x < width; ++x)
                result->WriteRGBA(x, y, PackRGBA(in[2 * x], in[2 * x], in[2 * x], in[2 * x + 1]));
        } else {
            std::memcpy(result->PixelPtr(0, y), in, static_cast<std::size_t>(result->pitch));
        }
    }
    return std::move(*result);
}

bool WritePng(const std::string& path, const TPixmap& source) {
    TPixmap pixmap = ConvertToRGBA(source);
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, QuietError, IgnoreWarning);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!png || !info) {
        png_destroy_write_struct(&png, nullptr);
        std::fclose(file);
        return false;
    }
    std::vector<png_bytep> rows(static_cast<std::size_t>(pixmap.height));
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        std::fclose(file);
        return false;
    }
    png_init_io(png, file);
    png_set_IHDR(png, info, static_cast<png_uint_32>(pixmap.width), static_cast<png_uint_32>(pixmap.height), 8,
                 PNG_COLOR_TYPE_RGB_ALPHA, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < pixmap.height; ++y) rows[y] = pixmap.PixelPtr(0, y);
    png_write_image(png, rows.data());
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return std::fclose(file) == 0;
}
