// PNG images: any bytes either decode to a consistent pixmap or are refused.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

#include "fuzz_check.hpp"
#include "platform/video/png.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::optional<TPixmap> pixmap = DecodePng(std::span<const unsigned char>(data, size));
    if (!pixmap) return 0;
    FUZZ_CHECK(pixmap->width > 0 && pixmap->height > 0, "%d x %d", pixmap->width, pixmap->height);
    FUZZ_CHECK(pixmap->pitch >= pixmap->width * BytesPerPixel(pixmap->format), "pitch %d for width %d", pixmap->pitch,
               pixmap->width);
    FUZZ_CHECK(pixmap->pixels.size() >= static_cast<std::size_t>(pixmap->pitch) * pixmap->height,
               "%zu bytes for %d rows of %d", pixmap->pixels.size(), pixmap->height, pixmap->pitch);
    return 0;
}
