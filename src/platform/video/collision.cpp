#include "platform/video/collision.hpp"

#include <algorithm>
#include <cstring>

namespace {

constexpr std::uint32_t kScratchLayer = 0x80000000u;

// Truncation toward zero. Coordinates far beyond any screen are pulled in so
// the conversion stays defined; NaN lands on 0 and makes a flat quad.
int Trunc(float value) {
    constexpr float kLimit = 16777216.0f;
    if (value > -kLimit && value < kLimit) return static_cast<int>(value);
    if (value >= kLimit) return static_cast<int>(kLimit);
    if (value <= -kLimit) return -static_cast<int>(kLimit);
    return 0;
}

}  // namespace

void TQuad::SetCoords(float x0, float y0, float x1, float y1, float x2, float y2, float x3, float y3) {
    xyuv[0] = x0, xyuv[1] = y0, xyuv[2] = 0, xyuv[3] = 0;
    xyuv[4] = x1, xyuv[5] = y1, xyuv[6] = 1, xyuv[7] = 0;
    xyuv[8] = x2, xyuv[9] = y2, xyuv[10] = 1, xyuv[11] = 1;
    xyuv[12] = x3, xyuv[13] = y3, xyuv[14] = 0, xyuv[15] = 1;
    minx = std::min(std::min(x0, x1), std::min(x2, x3));
    maxx = std::max(std::max(x0, x1), std::max(x2, x3));
    miny = std::min(std::min(y0, y1), std::min(y2, y3));
    maxy = std::max(std::max(y0, y1), std::max(y2, y3));
}

// One quad during the joint scanline walk. Channels are x, y, u, v; y is
// never read back, so it is not stepped.
struct Collision::Polygon {
    float vertex[4][4];
    int row[4];  // truncated y of each vertex
    float ldat[4], ladd[4], rdat[4], radd[4];
    int left = 0, right = 0, top = 0;
    int state = 0;  // 0 waiting, 1 active, 2 finished

    // Texel access: alpha byte of (column, row) is alpha[row * pitch + column * step].
    const std::uint8_t* alpha = nullptr;
    int mask_width = 0, mask_height = 0, pitch = 0, step = 0;

    void Setup(const TQuad& quad) {
        const float* data = quad.xyuv;
        // Fan winding: an unmirrored quad on the y-down screen gives negative
        // values; anything else is reversed so that walking backwards from
        // the top vertex always follows the left side.
        float x0 = data[0], y0 = data[1];
        bool reverse = true;
        for (int k = 2; k < 4; ++k) {
            float xk = data[k * 4], yk = data[k * 4 + 1];
            float xp = data[(k - 1) * 4], yp = data[(k - 1) * 4 + 1];
            float winding = (xk - xp) * (yp - y0) - (xp - x0) * (yk - yp);
            if (Trunc(winding) < 0) reverse = false;
        }
        for (int k = 0; k < 4; ++k) {
            const float* source = data + (reverse ? 3 - k : k) * 4;
            std::copy_n(source, 4, vertex[k]);
            row[k] = Trunc(vertex[k][1]);
        }
        top = row[0];
        left = 0;
        for (int k = 1; k < 4; ++k) {
            if (row[k] < top) {
                top = row[k];
                left = k;
            }
        }
        right = left;
        state = 0;

        const TPixmap* mask = quad.mask;
        alpha = nullptr;
        if (mask) {
            step = BytesPerPixel(mask->format);
            alpha = mask->pixels.data() + (mask->format == kFormatRGBA8888 ? 3 : 0);
            mask_width = mask->width;
            mask_height = mask->height;
            pitch = mask->pitch;
        }
    }

    // Fetches the next edge on one side once the scanline reaches its end
    // vertex. False when the polygon has run out of edges.
    bool NextEdge(int scanline, int& end, int direction, float* data, float* add) {
        int index = end;
        int e = (index + direction) & 3;
        while (row[e] <= scanline && e != end) {
            index = e;
            e = (e + direction) & 3;
        }
        if (e == end || row[e] - row[index] < 1) return false;
        float height = static_cast<float>(row[e] - row[index]);
        for (int channel = 0; channel < 4; ++channel) {
            add[channel] = (vertex[e][channel] - vertex[index][channel]) / height;
            data[channel] = vertex[index][channel] + add[channel] * 0.5f;
        }
        end = e;
        return true;
    }

    // Texels along this scanline from pixel `start`, sampled at pixel
    // centres, stepping u and v one pixel at a time.
    struct Sampler {
        const std::uint8_t* alpha;
        float u, v, du, dv, columns, rows;
        int last_column, last_row, pitch, step;

        bool Solid() const {
            float cu = std::clamp(u, 0.0f, 1.0f), cv = std::clamp(v, 0.0f, 1.0f);
            int column = std::min(static_cast<int>(cu * columns), last_column);
            int line = std::min(static_cast<int>(cv * rows), last_row);
            return alpha[line * pitch + column * step] >= 128;
        }
        void Step() {
            u += du;
            v += dv;
        }
    };

    Sampler SamplerFrom(int start) const {
        int e = Trunc(ldat[0]), f = Trunc(rdat[0]);
        float width = static_cast<float>(f - e);
        float du = (rdat[2] - ldat[2]) / width;
        float dv = (rdat[3] - ldat[3]) / width;
        float offset = static_cast<float>(start - e) + 0.5f;
        return {alpha,
                ldat[2] + offset * du,
                ldat[3] + offset * dv,
                du,
                dv,
                static_cast<float>(mask_width),
                static_cast<float>(mask_height),
                mask_width - 1,
                mask_height - 1,
                pitch,
                step};
    }
};

Collision::Collision(Graphics& graphics) : graphics_(graphics), memo_(kMemoSize) {}

Collision::~Collision() = default;

TQuad* Collision::TakeQuad() {
    if (pool_) {
        TQuad* quad = pool_;
        pool_ = quad->link;
        quad->link = nullptr;
        return quad;
    }
    quads_.push_back(std::make_unique<TQuad>());
    return quads_.back().get();
}

void Collision::ResetCollisionLayers(std::uint32_t mask) {
    for (int layer = 0; layer < kLayerCount; ++layer) {
        if (mask != 0 && !(mask & (1u << layer))) continue;
        TQuad* head = layers_[layer];
        if (!head) continue;
        TQuad* tail = head;
        while (tail->link) tail = tail->link;
        tail->link = pool_;
        pool_ = head;
        layers_[layer] = nullptr;
    }
}

int Collision::QuadsInLayer(int layer) const {
    int count = 0;
    if (layer < 0 || layer >= kLayerCount) return 0;
    for (const TQuad* quad = layers_[layer]; quad; quad = quad->link) ++count;
    return count;
}

int Collision::QuadsInPool() const {
    int count = 0;
    for (const TQuad* quad = pool_; quad; quad = quad->link) ++count;
    return count;
}

bool Collision::BuildQuad(TQuad& quad, TImage& image, int x, int y, int frame, const Transform& transform) {
    if (frame < 0 || frame >= image.FrameCount()) return false;
    const TPixmap* pixmap = image.pixmaps[frame].get();
    if (!pixmap || pixmap->width <= 0 || pixmap->height <= 0) return false;

    const TDrawState& state = graphics_.state();
    float hx = -image.handle_x, hy = -image.handle_y;
    float w = static_cast<float>(image.width), h = static_cast<float>(image.height);
    float tx = static_cast<float>(x) + state.origin_x, ty = static_cast<float>(y) + state.origin_y;
    auto place_x = [&](float lx, float ly) { return tx + lx * transform.ix + ly * transform.iy; };
    auto place_y = [&](float lx, float ly) { return ty + lx * transform.jx + ly * transform.jy; };

    quad.frame = frame;
    quad.mask = FormatHasAlpha(pixmap->format) ? pixmap : nullptr;
    quad.SetCoords(place_x(hx, hy), place_y(hx, hy), place_x(hx + w, hy), place_y(hx + w, hy), place_x(hx + w, hy + h),
                   place_y(hx + w, hy + h), place_x(hx, hy + h), place_y(hx, hy + h));
    return true;
}

bool Collision::SpanOverlaps(const Polygon& a, const Polygon& b) {
    int start = std::max(Trunc(a.ldat[0]), Trunc(b.ldat[0]));
    int end = std::min(Trunc(a.rdat[0]), Trunc(b.rdat[0]));
    if (end <= start) return false;
    int count = end - start;

    // A polygon without a mask is solid across the whole span, so only the
    // other one needs reading. With two masks both are stepped side by side,
    // which keeps their independent u and v additions in flight together.
    if (!a.alpha && !b.alpha) return true;
    if (!a.alpha || !b.alpha) {
        Polygon::Sampler only = (a.alpha ? a : b).SamplerFrom(start);
        for (int i = 0; i < count; ++i, only.Step())
            if (only.Solid()) return true;
        return false;
    }
    Polygon::Sampler first = a.SamplerFrom(start), second = b.SamplerFrom(start);
    for (int i = 0; i < count; ++i) {
        if (first.Solid() && second.Solid()) return true;
        first.Step();
        second.Step();
    }
    return false;
}

bool Collision::QuadsOverlap(const TQuad& first, const TQuad& second) {
    // Touching boxes still go on to the scanline test.
    if (first.maxx < second.minx || first.maxy < second.miny || first.minx > second.maxx || first.miny > second.maxy)
        return false;

    Polygon polygons[2];
    polygons[0].Setup(first);
    polygons[1].Setup(second);
    int ymin = std::min(polygons[0].top, polygons[1].top);
    int ymax = ymin;
    for (const Polygon& polygon : polygons)
        for (int row : polygon.row) ymax = std::max(ymax, row);

    int active = 0;
    for (int scanline = ymin; scanline < ymax; ++scanline) {
        for (Polygon& polygon : polygons) {
            if (polygon.state == 0 && scanline < polygon.top) continue;
            if (scanline >= polygon.row[polygon.left]) {
                if (!polygon.NextEdge(scanline, polygon.left, 3, polygon.ldat, polygon.ladd)) return false;
                if (polygon.state == 0) {
                    polygon.state = 1;
                    ++active;
                }
            }
            if (scanline >= polygon.row[polygon.right]) {
                if (!polygon.NextEdge(scanline, polygon.right, 1, polygon.rdat, polygon.radd)) return false;
                if (polygon.state == 0) {
                    polygon.state = 1;
                    ++active;
                }
            }
        }
        // Once either polygon has finished, fewer than two can ever be active
        // again, so the early returns above lose no overlap.
        if (active == 2 && SpanOverlaps(polygons[0], polygons[1])) return true;
        for (Polygon& polygon : polygons) {
            if (polygon.state != 1) continue;
            polygon.ldat[0] += polygon.ladd[0];
            polygon.ldat[2] += polygon.ladd[2];
            polygon.ldat[3] += polygon.ladd[3];
            polygon.rdat[0] += polygon.radd[0];
            polygon.rdat[2] += polygon.radd[2];
            polygon.rdat[3] += polygon.radd[3];
        }
    }
    return false;
}

namespace {

// std::bit_cast, which the browser build's library lacks.
std::uint32_t FloatBits(float value) {
    std::uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

}  // namespace

const Collision::Transform& Collision::TransformFor(float rotation, float scale_x, float scale_y) {
    auto rotation_bits = FloatBits(rotation);
    auto x_bits = FloatBits(scale_x);
    auto y_bits = FloatBits(scale_y);
    std::uint32_t hash = rotation_bits * 0x9E3779B1u ^ x_bits * 0x85EBCA77u ^ y_bits * 0xC2B2AE3Du;
    hash ^= hash >> 15;
    TransformMemo& memo = memo_[hash % kMemoSize];
    if (memo.used && memo.rotation == rotation_bits && memo.scale_x == x_bits && memo.scale_y == y_bits)
        return memo.transform;
    graphics_.SetTransform(rotation, scale_x, scale_y);
    state_changed_ = true;
    const TDrawState& state = graphics_.state();
    memo = {rotation_bits, x_bits, y_bits, true, {state.tform_ix, state.tform_iy, state.tform_jx, state.tform_jy}};
    return memo.transform;
}

std::span<void* const> Collision::CollideImage(TImage& image, int x, int y, int frame, std::uint32_t collide_mask,
                                               std::uint32_t write_mask, void* id) {
    hits_.clear();
    const TDrawState& state = graphics_.state();
    Transform transform{state.tform_ix, state.tform_iy, state.tform_jx, state.tform_jy};
    if (!BuildQuad(probe_, image, x, y, frame, transform)) return {};
    probe_.id = id;
    for (int layer = 0; layer < kLayerCount; ++layer) {
        if (!(collide_mask & (1u << layer))) continue;
        for (const TQuad* quad = layers_[layer]; quad; quad = quad->link)
            if (QuadsOverlap(*quad, probe_)) hits_.push_back(quad->id);
    }
    for (int layer = 0; layer < kLayerCount; ++layer) {
        if (!(write_mask & (1u << layer))) continue;
        TQuad* quad = TakeQuad();
        *quad = probe_;
        quad->link = layers_[layer];
        layers_[layer] = quad;
    }
    return hits_;
}

int Collision::ImagesCollide(TImage& image1, int x1, int y1, int frame1, float rotation1, float sx1, float sy1,
                             TImage& image2, int x2, int y2, int frame2, float rotation2, float sx2, float sy2) {
    float rotation = graphics_.GetRotation();
    float scale_x = 1, scale_y = 1;
    graphics_.GetScale(scale_x, scale_y);

    ResetCollisionLayers(kScratchLayer);
    Transform first = TransformFor(rotation1, sx1, sy1);
    bool recorded = BuildQuad(probe_, image1, x1, y1, frame1, first);
    if (recorded) {
        probe_.id = nullptr;
        TQuad* quad = TakeQuad();
        *quad = probe_;
        quad->link = nullptr;
        layers_[kLayerCount - 1] = quad;
    }
    Transform second = TransformFor(rotation2, sx2, sy2);
    bool hit = recorded && BuildQuad(probe_, image2, x2, y2, frame2, second) &&
               QuadsOverlap(*layers_[kLayerCount - 1], probe_);

    if (state_changed_) {
        graphics_.SetTransform(rotation, scale_x, scale_y);
        state_changed_ = false;
    }
    return hit ? 1 : 0;
}
