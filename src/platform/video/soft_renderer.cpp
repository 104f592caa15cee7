#include "platform/video/soft_renderer.hpp"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <utility>

namespace {

// Vertices are snapped to 1/256 pixel, as GL rasterisers snap to a subpixel
// grid; exact integer edge tests then decide coverage, so a pixel centre on
// an edge shared by two triangles is drawn by exactly one of them.
constexpr int kSubpixelBits = 8;
constexpr std::int64_t kSubpixel = std::int64_t{1} << kSubpixelBits;
constexpr std::int64_t kHalfPixel = kSubpixel / 2;
// Farther vertices are pulled in so the 64-bit edge products cannot overflow.
constexpr float kFarthest = 1 << 20;

enum SourceKind { kFlat, kNearest, kLinear };

struct SoftFrame final : TRenderFrame {
    std::shared_ptr<const SoftRenderer::Texture> texture;
};

std::int64_t FloorDiv(std::int64_t numerator, std::int64_t denominator) {
    std::int64_t quotient = numerator / denominator;
    if (numerator % denominator != 0 && (numerator < 0) != (denominator < 0)) --quotient;
    return quotient;
}

std::int64_t CeilDiv(std::int64_t numerator, std::int64_t denominator) { return -FloorDiv(-numerator, denominator); }

// round(value / 255) for value in 0..255*255.
inline std::uint32_t Div255(std::uint32_t value) {
    value += 128;
    return (value + (value >> 8)) >> 8;
}

struct Point {
    std::int64_t x, y;
};

Point Snap(const Vertex& vertex) {
    return {std::llround(static_cast<double>(std::clamp(vertex.x, -kFarthest, kFarthest)) * kSubpixel),
            std::llround(static_cast<double>(std::clamp(vertex.y, -kFarthest, kFarthest)) * kSubpixel)};
}

// A triangle side from `x, y` along `dx, dy`, oriented so the inside is where
// dx * (py - y) - dy * (px - x) is positive. A centre exactly on the side is
// inside only for top and left sides (bias 0).
struct Edge {
    std::int64_t x, y, dx, dy, bias;
};

Edge MakeEdge(Point from, Point to) {
    Edge edge{from.x, from.y, to.x - from.x, to.y - from.y, 1};
    if (edge.dy < 0 || (edge.dy == 0 && edge.dx > 0)) edge.bias = 0;
    return edge;
}

// Narrows the columns [first, last] of the row whose centre is at centre_y to
// those whose centres the edge admits.
inline void NarrowSpan(const Edge& edge, std::int64_t centre_y, std::int64_t& first, std::int64_t& last) {
    std::int64_t at_zero = edge.dx * (centre_y - edge.y) - edge.dy * (kHalfPixel - edge.x);
    if (edge.dy == 0) {
        if (at_zero < edge.bias) last = first - 1;
    } else if (edge.dy < 0) {
        first = std::max(first, CeilDiv(edge.bias - at_zero, -edge.dy * kSubpixel));
    } else {
        last = std::min(last, FloorDiv(at_zero - edge.bias, edge.dy * kSubpixel));
    }
}

// Texture coordinates in texels as an affine function of the pixel position.
struct Mapping {
    double u = 0, du_dx = 0, du_dy = 0;
    double v = 0, dv_dx = 0, dv_dy = 0;
};

struct Rgba {
    std::uint32_t r, g, b, a;
};

struct Raster {
    Edge edges[3];
    std::int64_t row_first, row_last, column_first, column_last;
    Mapping mapping;
    const TPixmap* texels;
    Rgba colour;
    TPixmap* target;
};

// Texture coordinates are stepped along a span in fixed point, 1/2^24 texel.
constexpr int kTexelFractionBits = 24;
constexpr double kTexelOne = 1 << kTexelFractionBits;

std::int64_t ToTexelFixed(double texels) {
    // Inside a triangle coordinates stay within the texture, give or take
    // rounding; the limits only keep the conversion defined.
    return static_cast<std::int64_t>(std::clamp(texels, -1e9, 1e9) * kTexelOne);
}

inline int TexelIndex(std::int64_t fixed, int size) {
    return static_cast<int>(std::clamp<std::int64_t>(fixed >> kTexelFractionBits, 0, size - 1));
}

// Texel addresses are worked out here rather than through TPixmap, whose
// accessors look up the pixel layout on every call.
inline const std::uint8_t* TexelAt(const TPixmap& texels, int x, int y) {
    return texels.pixels.data() + static_cast<std::ptrdiff_t>(y) * texels.pitch + x * 4;
}

inline Rgba SampleNearest(const TPixmap& texels, std::int64_t u, std::int64_t v) {
    const std::uint8_t* texel = TexelAt(texels, TexelIndex(u, texels.width), TexelIndex(v, texels.height));
    return {texel[0], texel[1], texel[2], texel[3]};
}

inline std::uint32_t Bilinear(const std::uint8_t* a, const std::uint8_t* b, const std::uint8_t* c,
                              const std::uint8_t* d, int channel, std::uint32_t wx, std::uint32_t wy) {
    std::uint32_t top = a[channel] * (256 - wx) + b[channel] * wx;
    std::uint32_t bottom = c[channel] * (256 - wx) + d[channel] * wx;
    return (top * (256 - wy) + bottom * wy + 32768) >> 16;
}

// GL_LINEAR with clamp to edge; u and v are already moved back half a texel,
// so the two texels are the one below and the next, weighted by the fraction.
inline Rgba SampleLinear(const TPixmap& texels, std::int64_t u, std::int64_t v) {
    constexpr std::int64_t kOneTexel = std::int64_t{1} << kTexelFractionBits;
    int x0 = TexelIndex(u, texels.width), x1 = TexelIndex(u + kOneTexel, texels.width);
    int y0 = TexelIndex(v, texels.height), y1 = TexelIndex(v + kOneTexel, texels.height);
    auto wx = static_cast<std::uint32_t>(u >> (kTexelFractionBits - 8) & 255);
    auto wy = static_cast<std::uint32_t>(v >> (kTexelFractionBits - 8) & 255);
    const std::uint8_t* a = TexelAt(texels, x0, y0);
    const std::uint8_t* b = TexelAt(texels, x1, y0);
    const std::uint8_t* c = TexelAt(texels, x0, y1);
    const std::uint8_t* d = TexelAt(texels, x1, y1);
    return {Bilinear(a, b, c, d, 0, wx, wy), Bilinear(a, b, c, d, 1, wx, wy), Bilinear(a, b, c, d, 2, wx, wy),
            Bilinear(a, b, c, d, 3, wx, wy)};
}

inline Rgba Modulate(const Rgba& texel, const Rgba& colour) {
    return {Div255(texel.r * colour.r), Div255(texel.g * colour.g), Div255(texel.b * colour.b),
            Div255(texel.a * colour.a)};
}

template <int Mode>
inline std::uint8_t Combine(std::uint32_t source, std::uint32_t below, std::uint32_t alpha) {
    std::uint32_t result;
    if constexpr (Mode == BLEND_ALPHA) {
        result = Div255(source * alpha + below * (255 - alpha));
    } else if constexpr (Mode == BLEND_LIGHT) {
        result = std::min<std::uint32_t>(255, Div255(source * alpha) + below);
    } else if constexpr (Mode == BLEND_SHADE) {
        result = Div255(source * below);
    } else {
        result = source;
    }
    return static_cast<std::uint8_t>(result);
}

// The fragment's colour against the pixel under it. The stored alpha is
// never touched: the display keeps no alpha.
template <int Mode>
inline void Blend(std::uint8_t* pixel, const Rgba& source) {
    if constexpr (Mode == BLEND_MASK) {
        if (source.a < 128) return;
    }
    pixel[0] = Combine<Mode>(source.r, pixel[0], source.a);
    pixel[1] = Combine<Mode>(source.g, pixel[1], source.a);
    pixel[2] = Combine<Mode>(source.b, pixel[2], source.a);
}

template <int Mode, SourceKind Kind>
void Rasterise(const Raster& raster) {
    const Mapping& map = raster.mapping;
    const Rgba colour = raster.colour;
    bool modulate = colour.r != 255 || colour.g != 255 || colour.b != 255 || colour.a != 255;
    std::int64_t du = ToTexelFixed(map.du_dx);
    std::int64_t dv = ToTexelFixed(map.dv_dx);
    for (std::int64_t row = raster.row_first; row <= raster.row_last; ++row) {
        std::int64_t first = raster.column_first;
        std::int64_t last = raster.column_last;
        std::int64_t centre_y = row * kSubpixel + kHalfPixel;
        for (const Edge& edge : raster.edges) NarrowSpan(edge, centre_y, first, last);
        if (first > last) continue;
        std::uint8_t* pixel = raster.target->PixelPtr(static_cast<int>(first), static_cast<int>(row));
        double y = static_cast<double>(row) + 0.5;
        if constexpr (Kind == kFlat) {
            for (std::int64_t column = first; column <= last; ++column, pixel += 4) Blend<Mode>(pixel, colour);
        } else {
            double x = static_cast<double>(first) + 0.5;
            double shift = Kind == kLinear ? 0.5 : 0.0;
            std::int64_t u = ToTexelFixed(map.u + map.du_dy * y + map.du_dx * x - shift);
            std::int64_t v = ToTexelFixed(map.v + map.dv_dy * y + map.dv_dx * x - shift);
            for (std::int64_t column = first; column <= last; ++column, pixel += 4, u += du, v += dv) {
                Rgba texel =
                    Kind == kNearest ? SampleNearest(*raster.texels, u, v) : SampleLinear(*raster.texels, u, v);
                Blend<Mode>(pixel, modulate ? Modulate(texel, colour) : texel);
            }
        }
    }
}

template <SourceKind Kind>
void RasteriseInMode(int mode, const Raster& raster) {
    switch (mode) {
    case BLEND_MASK:
        Rasterise<BLEND_MASK, Kind>(raster);
        break;
    case BLEND_ALPHA:
        Rasterise<BLEND_ALPHA, Kind>(raster);
        break;
    case BLEND_LIGHT:
        Rasterise<BLEND_LIGHT, Kind>(raster);
        break;
    case BLEND_SHADE:
        Rasterise<BLEND_SHADE, Kind>(raster);
        break;
    default:
        Rasterise<BLEND_SOLID, Kind>(raster);
        break;
    }
}

}  // namespace

SoftRenderer::SoftRenderer(int width, int height)
    : Renderer(width, height), back_buffer_(TPixmap::Create(width, height)) {
    FillOpaque(back_buffer_, 0, 0, 0);
    clip_ = {0, 0, back_buffer_.width, back_buffer_.height};
    // Constructing the renderer opens its display.
    AdvanceSequence();
}

std::unique_ptr<TRenderFrame> SoftRenderer::BuildFrame(const TPixmap& pixmap, int flags) {
    TextureSize size = ChooseTextureSize(pixmap.width, pixmap.height, [](int width, int height) {
        return width <= kMaxTextureSize && height <= kMaxTextureSize;
    });
    if (size.width == 0) return nullptr;
    auto texture = std::make_shared<Texture>();
    texture->texels = BuildTexturePixmap(pixmap, size);
    texture->filtered = (flags & kImageFiltered) != 0;
    auto frame = std::make_unique<SoftFrame>();
    frame->texture = std::move(texture);
    frame->u1 = static_cast<float>(std::min(pixmap.width, size.width)) / static_cast<float>(size.width);
    frame->v1 = static_cast<float>(std::min(pixmap.height, size.height)) / static_cast<float>(size.height);
    return frame;
}

void SoftRenderer::ApplyBlend(int mode) {
    bool known = mode == BLEND_MASK || mode == BLEND_ALPHA || mode == BLEND_LIGHT || mode == BLEND_SHADE;
    blend_ = known ? mode : BLEND_SOLID;
}

void SoftRenderer::ApplyClsColor(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
    clear_rgb_[0] = red;
    clear_rgb_[1] = green;
    clear_rgb_[2] = blue;
}

void SoftRenderer::ApplyViewport(int x, int y, int width, int height, bool scissor) {
    int buffer_width = back_buffer_.width;
    int buffer_height = back_buffer_.height;
    if (!scissor) {
        clip_ = {0, 0, buffer_width, buffer_height};
        return;
    }
    // A negative size clips everything away rather than wrapping around.
    auto limit = [](std::int64_t value, int size) {
        return static_cast<int>(std::clamp<std::int64_t>(value, 0, size));
    };
    clip_.x0 = limit(x, buffer_width);
    clip_.y0 = limit(y, buffer_height);
    clip_.x1 = std::max(clip_.x0, limit(std::int64_t{x} + width, buffer_width));
    clip_.y1 = std::max(clip_.y0, limit(std::int64_t{y} + height, buffer_height));
}

// Lines are drawn one pixel wide whatever the width; the game draws none.
void SoftRenderer::ApplyLineWidth(float) {}

// DrawQuad is told whether it is textured, which always agrees with this.
void SoftRenderer::EnableTexturing(bool) {}

void SoftRenderer::BindTexture(TRenderFrame& frame) {
    auto* soft_frame = dynamic_cast<SoftFrame*>(&frame);
    texture_ = soft_frame ? soft_frame->texture : nullptr;
}

void SoftRenderer::Clear() {
    for (int y = clip_.y0; y < clip_.y1; ++y) {
        std::uint8_t* pixel = back_buffer_.PixelPtr(clip_.x0, y);
        for (int x = clip_.x0; x < clip_.x1; ++x, pixel += 4) {
            pixel[0] = clear_rgb_[0];
            pixel[1] = clear_rgb_[1];
            pixel[2] = clear_rgb_[2];
        }
    }
}

void SoftRenderer::DrawQuad(const Vertex (&corners)[4], bool textured) {
    if (!drawing_) return;
    for (const Vertex& corner : corners) {
        if (!std::isfinite(corner.x) || !std::isfinite(corner.y)) return;
    }
    const Texture* texture = textured ? texture_.get() : nullptr;
    FillTriangle(corners[0], corners[1], corners[2], texture);
    FillTriangle(corners[0], corners[2], corners[3], texture);
}

void SoftRenderer::FillTriangle(const Vertex& a, const Vertex& b, const Vertex& c, const Texture* texture) {
    const Vertex* vertices[3] = {&a, &b, &c};
    Point points[3] = {Snap(a), Snap(b), Snap(c)};
    std::int64_t area = (points[1].x - points[0].x) * (points[2].y - points[0].y) -
                        (points[1].y - points[0].y) * (points[2].x - points[0].x);
    if (area == 0) return;
    if (area < 0) {
        std::swap(points[1], points[2]);
        std::swap(vertices[1], vertices[2]);
    }

    Raster raster{};
    std::int64_t min_x = std::min({points[0].x, points[1].x, points[2].x});
    std::int64_t max_x = std::max({points[0].x, points[1].x, points[2].x});
    std::int64_t min_y = std::min({points[0].y, points[1].y, points[2].y});
    std::int64_t max_y = std::max({points[0].y, points[1].y, points[2].y});
    raster.row_first = std::max<std::int64_t>(clip_.y0, FloorDiv(min_y, kSubpixel));
    raster.row_last = std::min<std::int64_t>(clip_.y1 - 1, FloorDiv(max_y, kSubpixel));
    raster.column_first = std::max<std::int64_t>(clip_.x0, FloorDiv(min_x, kSubpixel));
    raster.column_last = std::min<std::int64_t>(clip_.x1 - 1, FloorDiv(max_x, kSubpixel));
    if (raster.row_first > raster.row_last || raster.column_first > raster.column_last) return;
    for (int i = 0; i < 3; ++i) raster.edges[i] = MakeEdge(points[i], points[(i + 1) % 3]);
    raster.colour = {rgba_[0], rgba_[1], rgba_[2], rgba_[3]};
    raster.target = &back_buffer_;

    if (!texture) {
        RasteriseInMode<kFlat>(blend_, raster);
        return;
    }
    // The mapping is solved on the snapped positions, whose area is known
    // not to be zero.
    const TPixmap& texels = texture->texels;
    double x[3], y[3], u[3], v[3];
    for (int i = 0; i < 3; ++i) {
        x[i] = static_cast<double>(points[i].x) / kSubpixel;
        y[i] = static_cast<double>(points[i].y) / kSubpixel;
        u[i] = static_cast<double>(vertices[i]->u) * texels.width;
        v[i] = static_cast<double>(vertices[i]->v) * texels.height;
    }
    double x1 = x[1] - x[0], y1 = y[1] - y[0], x2 = x[2] - x[0], y2 = y[2] - y[0];
    double determinant = x1 * y2 - x2 * y1;
    Mapping& map = raster.mapping;
    map.du_dx = ((u[1] - u[0]) * y2 - (u[2] - u[0]) * y1) / determinant;
    map.du_dy = ((u[2] - u[0]) * x1 - (u[1] - u[0]) * x2) / determinant;
    map.dv_dx = ((v[1] - v[0]) * y2 - (v[2] - v[0]) * y1) / determinant;
    map.dv_dy = ((v[2] - v[0]) * x1 - (v[1] - v[0]) * x2) / determinant;
    map.u = u[0] - map.du_dx * x[0] - map.du_dy * y[0];
    map.v = v[0] - map.dv_dx * x[0] - map.dv_dy * y[0];
    raster.texels = &texels;
    if (texture->filtered) RasteriseInMode<kLinear>(blend_, raster);
    else RasteriseInMode<kNearest>(blend_, raster);
}

void SoftRenderer::WritePixel(int x, int y) {
    if (x < clip_.x0 || x >= clip_.x1 || y < clip_.y0 || y >= clip_.y1) return;
    Rgba fragment{rgba_[0], rgba_[1], rgba_[2], rgba_[3]};
    std::uint8_t* pixel = back_buffer_.PixelPtr(x, y);
    switch (blend_) {
    case BLEND_MASK:
        Blend<BLEND_MASK>(pixel, fragment);
        break;
    case BLEND_ALPHA:
        Blend<BLEND_ALPHA>(pixel, fragment);
        break;
    case BLEND_LIGHT:
        Blend<BLEND_LIGHT>(pixel, fragment);
        break;
    case BLEND_SHADE:
        Blend<BLEND_SHADE>(pixel, fragment);
        break;
    default:
        Blend<BLEND_SOLID>(pixel, fragment);
        break;
    }
}

void SoftRenderer::DrawPoint(float x, float y) {
    if (!drawing_) return;
    if (!std::isfinite(x) || !std::isfinite(y)) return;
    WritePixel(static_cast<int>(std::floor(std::clamp(x, -kFarthest, kFarthest))),
               static_cast<int>(std::floor(std::clamp(y, -kFarthest, kFarthest))));
}

void SoftRenderer::DrawSegment(float x0, float y0, float x1, float y1) {
    if (!drawing_) return;
    if (!std::isfinite(x0) || !std::isfinite(y0) || !std::isfinite(x1) || !std::isfinite(y1)) return;
    auto pixel = [](float coordinate) {
        return static_cast<int>(std::floor(std::clamp(coordinate, -kFarthest, kFarthest)));
    };
    int x = pixel(x0), y = pixel(y0);
    int end_x = pixel(x1), end_y = pixel(y1);
    int dx = std::abs(end_x - x), dy = -std::abs(end_y - y);
    int step_x = x < end_x ? 1 : -1, step_y = y < end_y ? 1 : -1;
    int error = dx + dy;
    // The last pixel is left out, as GL does, so joined lines do not blend
    // their shared pixel twice.
    while (x != end_x || y != end_y) {
        WritePixel(x, y);
        int twice = 2 * error;
        if (twice >= dy) {
            error += dy;
            x += step_x;
        }
        if (twice <= dx) {
            error += dx;
            y += step_y;
        }
    }
}

TPixmap SoftRenderer::ReadPixels(int x, int y, int width, int height) {
    TPixmap pixmap = TPixmap::Create(width, height);
    for (int row = 0; row < height; ++row)
        std::copy_n(back_buffer_.PixelPtr(x, y + row), width * 4, pixmap.PixelPtr(0, row));
    return pixmap;
}
