#include "canvas.hpp"

#include <png.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <stdexcept>

Colour Mix(Colour a, Colour b, float t) {
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

Colour Scaled(Colour c, float factor) { return {c.r * factor, c.g * factor, c.b * factor}; }

Colour Lit(Colour c, float light) {
    if (light <= 1.0f) {
        return Scaled(c, light);
    }
    return Mix(c, {255.0f, 255.0f, 255.0f}, std::min(light - 1.0f, 1.0f));
}

Colour FromBytes(int r, int g, int b) { return {static_cast<float>(r), static_cast<float>(g), static_cast<float>(b)}; }

Mask::Mask(int width, int height)
    : width_(width), height_(height), values_(static_cast<std::size_t>(width * height), 0.0f) {}

float Mask::At(int x, int y) const {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) {
        return 0.0f;
    }
    return values_[static_cast<std::size_t>(y * width_ + x)];
}

void Mask::Set(int x, int y, float value) {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) {
        return;
    }
    values_[static_cast<std::size_t>(y * width_ + x)] = value;
}

void Mask::Max(int x, int y, float value) { Set(x, y, std::max(At(x, y), value)); }

Mask Mask::Dilated(float radius) const {
    struct Offset {
        int dx;
        int dy;
    };
    std::vector<Offset> disc;
    const int reach = static_cast<int>(std::ceil(radius));
    for (int dy = -reach; dy <= reach; ++dy) {
        for (int dx = -reach; dx <= reach; ++dx) {
            if (static_cast<float>(dx * dx + dy * dy) <= radius * radius) {
                disc.push_back({dx, dy});
            }
        }
    }
    Mask result(width_, height_);
    for (int y = 0; y < height_; ++y) {
        for (int x = 0; x < width_; ++x) {
            float best = 0.0f;
            for (const Offset& offset : disc) {
                best = std::max(best, At(x + offset.dx, y + offset.dy));
                if (best >= 1.0f) {
                    break;
                }
            }
            result.Set(x, y, best);
        }
    }
    return result;
}

Mask Mask::Shifted(int dx, int dy) const {
    Mask result(width_, height_);
    for (int y = 0; y < height_; ++y) {
        for (int x = 0; x < width_; ++x) {
            result.Set(x, y, At(x - dx, y - dy));
        }
    }
    return result;
}

Mask Mask::Downsampled(int factor) const {
    Mask result(width_ / factor, height_ / factor);
    const float area = static_cast<float>(factor * factor);
    for (int y = 0; y < result.height_; ++y) {
        for (int x = 0; x < result.width_; ++x) {
            float sum = 0.0f;
            for (int sy = 0; sy < factor; ++sy) {
                for (int sx = 0; sx < factor; ++sx) {
                    sum += At(x * factor + sx, y * factor + sy);
                }
            }
            result.Set(x, y, sum / area);
        }
    }
    return result;
}

Mask Mask::Minus(const Mask& other) const {
    Mask result(width_, height_);
    for (int y = 0; y < height_; ++y) {
        for (int x = 0; x < width_; ++x) {
            result.Set(x, y, std::max(0.0f, At(x, y) - other.At(x, y)));
        }
    }
    return result;
}

Canvas::Canvas(int width, int height)
    : width_(width), height_(height), pixels_(static_cast<std::size_t>(width * height)) {}

Colour Canvas::At(int x, int y) const {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) {
        return {};
    }
    return pixels_[static_cast<std::size_t>(y * width_ + x)];
}

void Canvas::Set(int x, int y, Colour colour) {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) {
        return;
    }
    pixels_[static_cast<std::size_t>(y * width_ + x)] = colour;
}

void Canvas::Blend(int x, int y, Colour colour, float alpha) {
    if (alpha <= 0.0f) {
        return;
    }
    Set(x, y, Mix(At(x, y), colour, std::min(alpha, 1.0f)));
}

void Canvas::Add(int x, int y, Colour colour) {
    const Colour here = At(x, y);
    Set(x, y, {here.r + colour.r, here.g + colour.g, here.b + colour.b});
}

void Canvas::Fill(const Inside& inside, const Shader& shader, int samples) {
    const float step = 1.0f / static_cast<float>(samples);
    const float total = static_cast<float>(samples * samples);
    for (int y = 0; y < height_; ++y) {
        for (int x = 0; x < width_; ++x) {
            int hits = 0;
            Colour sum;
            for (int sy = 0; sy < samples; ++sy) {
                for (int sx = 0; sx < samples; ++sx) {
                    const float px = static_cast<float>(x) + (static_cast<float>(sx) + 0.5f) * step;
                    const float py = static_cast<float>(y) + (static_cast<float>(sy) + 0.5f) * step;
                    if (inside(px, py)) {
                        const Colour c = shader(px, py);
                        sum = {sum.r + c.r, sum.g + c.g, sum.b + c.b};
                        ++hits;
                    }
                }
            }
            if (hits > 0) {
                const float count = static_cast<float>(hits);
                Blend(x, y, {sum.r / count, sum.g / count, sum.b / count}, count / total);
            }
        }
    }
}

void Canvas::Fill(const Inside& inside, Colour colour, int samples) {
    Fill(
        inside, [colour](float, float) { return colour; }, samples);
}

void Canvas::Paint(const Mask& mask, const Shader& shader, int offset_x, int offset_y) {
    for (int y = 0; y < mask.Height(); ++y) {
        for (int x = 0; x < mask.Width(); ++x) {
            const float coverage = mask.At(x, y);
            if (coverage > 0.0f) {
                const int tx = x + offset_x;
                const int ty = y + offset_y;
                Blend(tx, ty, shader(static_cast<float>(tx) + 0.5f, static_cast<float>(ty) + 0.5f), coverage);
            }
        }
    }
}

void Canvas::Paste(const Canvas& source, int left, int top) {
    for (int y = 0; y < source.Height(); ++y) {
        for (int x = 0; x < source.Width(); ++x) {
            Set(left + x, top + y, source.At(x, y));
        }
    }
}

void Canvas::SnapNearBlack(float threshold) {
    for (Colour& c : pixels_) {
        if (std::max({c.r, c.g, c.b}) < threshold) {
            c = {};
        }
    }
}

void Canvas::Clear() { std::fill(pixels_.begin(), pixels_.end(), Colour{}); }

namespace {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

}  // namespace

std::uint8_t ToPngByte(float value) { return static_cast<std::uint8_t>(std::clamp(std::lround(value), 0L, 255L)); }

void WritePngBytes(const std::string& path, int width, int height, bool alpha, std::vector<std::uint8_t>& bytes) {
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "wb"));
    if (!file) {
        throw std::runtime_error("cannot write " + path);
    }
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info) {
        png_destroy_write_struct(&png, nullptr);
        throw std::runtime_error("libpng could not start");
    }
    const std::size_t stride = static_cast<std::size_t>(width) * (alpha ? 4 : 3);
    std::vector<png_bytep> row_pointers;
    for (int y = 0; y < height; ++y) {
        row_pointers.push_back(&bytes[static_cast<std::size_t>(y) * stride]);
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        throw std::runtime_error("libpng failed writing " + path);
    }
    png_init_io(png, file.get());
    png_set_compression_level(png, 9);
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
                 alpha ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_set_rows(png, info, row_pointers.data());
    png_write_png(png, info, PNG_TRANSFORM_IDENTITY, nullptr);
    png_destroy_write_struct(&png, &info);
}

void WritePng(const std::string& path, const Canvas& canvas) {
    const auto width = static_cast<std::size_t>(canvas.Width());
    std::vector<png_byte> rows(width * 3 * static_cast<std::size_t>(canvas.Height()));
    for (int y = 0; y < canvas.Height(); ++y) {
        for (int x = 0; x < canvas.Width(); ++x) {
            const Colour c = canvas.At(x, y);
            png_byte* pixel = &rows[(static_cast<std::size_t>(y) * width + static_cast<std::size_t>(x)) * 3];
            pixel[0] = ToPngByte(c.r);
            pixel[1] = ToPngByte(c.g);
            pixel[2] = ToPngByte(c.b);
        }
    }
    WritePngBytes(path, canvas.Width(), canvas.Height(), false, rows);
}
