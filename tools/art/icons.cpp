// Draws the desktop icons (hicolor theme sizes) and the page's home-screen
// icons (192 and 512) from the game's own sprites, the same bytes on every
// run: a burger with the ship climbing past it.
#include <png.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "canvas.hpp"
#include "sprites.hpp"

namespace {

// Premultiplied colour with coverage, so that resampling never bleeds the
// sprites' black mask colour into the edges.
struct Pixel {
    float r = 0.0f;
    float g = 0.0f;
    float b = 0.0f;
    float a = 0.0f;
};

class Image {
public:
    Image(int width, int height) : width_(width), height_(height), pixels_(static_cast<std::size_t>(width * height)) {}

    int Width() const { return width_; }
    int Height() const { return height_; }
    Pixel At(int x, int y) const {
        x = std::clamp(x, 0, width_ - 1);
        y = std::clamp(y, 0, height_ - 1);
        return pixels_[static_cast<std::size_t>(y * width_ + x)];
    }
    Pixel& operator()(int x, int y) { return pixels_[static_cast<std::size_t>(y * width_ + x)]; }

private:
    int width_;
    int height_;
    std::vector<Pixel> pixels_;
};

// In the sprites pure black is the mask colour: it is see-through.
Image FromSprite(const Canvas& sprite) {
    Image image(sprite.Width(), sprite.Height());
    for (int y = 0; y < sprite.Height(); ++y) {
        for (int x = 0; x < sprite.Width(); ++x) {
            const Colour c = sprite.At(x, y);
            if (c.r > 0.0f || c.g > 0.0f || c.b > 0.0f) {
                image(x, y) = {c.r, c.g, c.b, 1.0f};
            }
        }
    }
    return image;
}

// Bilinear, sampling at pixel centres; used to enlarge a sprite.
Pixel Sample(const Image& image, float x, float y) {
    const float fx = x - 0.5f;
    const float fy = y - 0.5f;
    const int x0 = static_cast<int>(std::floor(fx));
    const int y0 = static_cast<int>(std::floor(fy));
    const float tx = fx - static_cast<float>(x0);
    const float ty = fy - static_cast<float>(y0);
    Pixel result;
    const auto add = [&](int px, int py, float weight) {
        if (px < 0 || py < 0 || px >= image.Width() || py >= image.Height()) {
            return;
        }
        const Pixel p = image.At(px, py);
        result.r += p.r * weight;
        result.g += p.g * weight;
        result.b += p.b * weight;
        result.a += p.a * weight;
    };
    add(x0, y0, (1.0f - tx) * (1.0f - ty));
    add(x0 + 1, y0, tx * (1.0f - ty));
    add(x0, y0 + 1, (1.0f - tx) * ty);
    add(x0 + 1, y0 + 1, tx * ty);
    return result;
}

void Over(Pixel& under, const Pixel& top) {
    const float keep = 1.0f - top.a;
    under = {top.r + under.r * keep, top.g + under.g * keep, top.b + under.b * keep, top.a + under.a * keep};
}

// Paints the sprite enlarged by `scale` with its top-left corner at (left, top).
void PaintScaled(Image& target, const Image& sprite, float left, float top, float scale) {
    for (int y = 0; y < target.Height(); ++y) {
        for (int x = 0; x < target.Width(); ++x) {
            const float sx = (static_cast<float>(x) + 0.5f - left) / scale;
            const float sy = (static_cast<float>(y) + 0.5f - top) / scale;
            if (sx < 0.0f || sy < 0.0f || sx > static_cast<float>(sprite.Width()) ||
                sy > static_cast<float>(sprite.Height())) {
                continue;
            }
            Over(target(x, y), Sample(sprite, sx, sy));
        }
    }
}

// Area average: every source pixel counts by how much of it a target pixel covers.
Image Shrunk(const Image& source, int size) {
    Image result(size, size);
    const float step = static_cast<float>(source.Width()) / static_cast<float>(size);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            const float x0 = static_cast<float>(x) * step;
            const float y0 = static_cast<float>(y) * step;
            Pixel sum;
            for (int sy = static_cast<int>(y0); static_cast<float>(sy) < y0 + step; ++sy) {
                const float wy = std::min(static_cast<float>(sy + 1), y0 + step) - std::max(static_cast<float>(sy), y0);
                for (int sx = static_cast<int>(x0); static_cast<float>(sx) < x0 + step; ++sx) {
                    const float wx =
                        std::min(static_cast<float>(sx + 1), x0 + step) - std::max(static_cast<float>(sx), x0);
                    const Pixel p = source.At(sx, sy);
                    const float weight = wx * wy / (step * step);
                    sum.r += p.r * weight;
                    sum.g += p.g * weight;
                    sum.b += p.b * weight;
                    sum.a += p.a * weight;
                }
            }
            result(x, y) = sum;
        }
    }
    return result;
}

// The large icon, drawn at `size` (256 or more); smaller ones are shrunk from
// the 256 one. Below 48 pixels the ship would be a smudge, so the burger is
// alone and fills the square.
Image DrawIconPicture(bool with_ship, int size = 256) {
    Image picture(size, size);
    const float k = static_cast<float>(size) / 256.0f;
    const Image burger = FromSprite(DrawBurger());
    if (!with_ship) {
        PaintScaled(picture, burger, 3.0f * k, 29.0f * k, 250.0f / 77.0f * k);
        return picture;
    }
    PaintScaled(picture, burger, 0.0f, 34.0f * k, 3.0f * k);
    PaintScaled(picture, FromSprite(DrawShip(2)), 188.0f * k, 120.0f * k, 3.6f * k);
    return picture;
}

void WriteRgbaPng(const std::string& path, const Image& image) {
    const auto width = static_cast<std::size_t>(image.Width());
    std::vector<png_byte> bytes(width * 4 * static_cast<std::size_t>(image.Height()));
    for (int y = 0; y < image.Height(); ++y) {
        png_byte* row = &bytes[static_cast<std::size_t>(y) * width * 4];
        for (int x = 0; x < image.Width(); ++x) {
            const Pixel p = image.At(x, y);
            const float unmultiply = p.a > 0.0f ? 1.0f / p.a : 0.0f;
            png_byte* out = row + static_cast<std::size_t>(x) * 4;
            out[0] = ToPngByte(p.r * unmultiply);
            out[1] = ToPngByte(p.g * unmultiply);
            out[2] = ToPngByte(p.b * unmultiply);
            out[3] = ToPngByte(p.a * 255.0f);
        }
    }
    WritePngBytes(path, image.Width(), image.Height(), true, bytes);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_icons ICONS_DIR\n");
        return 2;
    }
    const std::filesystem::path folder = argv[1];
    try {
        std::filesystem::create_directories(folder);
        const Image large = DrawIconPicture(true);
        const Image small = DrawIconPicture(false);
        for (int size : {16, 32, 48, 64, 128, 192, 256, 512}) {
            const Image icon = size == 512   ? DrawIconPicture(true, 512)
                               : size == 256 ? large
                                             : Shrunk(size < 48 ? small : large, size);
            WriteRgbaPng((folder / ("rezarudev-" + std::to_string(size) + ".png")).string(), icon);
        }
    } catch (const std::exception& error) {
        std::fprintf(stderr, "make_icons: %s\n", error.what());
        return 1;
    }
    return 0;
}
