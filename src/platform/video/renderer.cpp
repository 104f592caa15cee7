#include "platform/video/renderer.hpp"

#include <algorithm>
#include <atomic>
#include <cstdint>

namespace {

// Shared by the displays of every thread: the score board plays games on
// several at once, each on a display of its own.
std::atomic<unsigned> display_sequence{0};

int NextDisplaySequence() {
    // Zero is kept for "no texture yet", so the count skips it when it wraps.
    unsigned next = display_sequence.fetch_add(1u) + 1u;
    if (next == 0) next = display_sequence.fetch_add(1u) + 1u;
    return static_cast<int>(next);
}

}  // namespace

Renderer::~Renderer() {
    if (sequence_ != 0) NextDisplaySequence();
}

void Renderer::AdvanceSequence() { sequence_ = NextDisplaySequence(); }

std::unique_ptr<TRenderFrame> Renderer::CreateFrameFromPixmap(const TPixmap& pixmap, int flags) {
    std::unique_ptr<TRenderFrame> frame = BuildFrame(pixmap, flags);
    if (frame) {
        frame->id = next_frame_id_++;
        frame->seq = sequence_;
    }
    return frame;
}

void Renderer::SetBlend(int mode) {
    if (mode == sent_blend_) return;
    sent_blend_ = mode;
    blend_mode_ = mode;
    ++blend_changes_;
    ApplyBlend(mode);
}

void Renderer::SetAlpha(float alpha) {
    alpha = std::clamp(alpha, 0.0f, 1.0f);
    rgba_[3] = static_cast<std::uint8_t>(alpha * 255);
}

void Renderer::SetColor(int red, int green, int blue) {
    rgba_[0] = static_cast<std::uint8_t>(std::clamp(red, 0, 255));
    rgba_[1] = static_cast<std::uint8_t>(std::clamp(green, 0, 255));
    rgba_[2] = static_cast<std::uint8_t>(std::clamp(blue, 0, 255));
}

void Renderer::SetClsColor(int red, int green, int blue) {
    ApplyClsColor(static_cast<std::uint8_t>(std::clamp(red, 0, 255)),
                  static_cast<std::uint8_t>(std::clamp(green, 0, 255)),
                  static_cast<std::uint8_t>(std::clamp(blue, 0, 255)));
}

void Renderer::SetViewport(int x, int y, int width, int height) {
    bool whole = x == 0 && y == 0 && width == width_ && height == height_;
    ApplyViewport(x, y, width, height, !whole);
}

void Renderer::SetTransform(float ix, float iy, float jx, float jy) {
    ix_ = ix;
    iy_ = iy;
    jx_ = jx;
    jy_ = jy;
}

void Renderer::SetLineWidth(float width) { ApplyLineWidth(width); }

void Renderer::Cls() { Clear(); }

void Renderer::Texturing(bool on) {
    if (texturing_ == static_cast<int>(on)) return;
    texturing_ = on;
    EnableTexturing(on);
}

void Renderer::Plot(float x, float y) {
    Texturing(false);
    DrawPoint(x, y);
}

void Renderer::DrawLine(float x0, float y0, float x1, float y1, float tx, float ty) {
    Texturing(false);
    DrawSegment(x0 * ix_ + y0 * iy_ + tx + 0.5f, x0 * jx_ + y0 * jy_ + ty + 0.5f, x1 * ix_ + y1 * iy_ + tx + 0.5f,
                x1 * jx_ + y1 * jy_ + ty + 0.5f);
}

void Renderer::DrawRect(float x0, float y0, float x1, float y1, float tx, float ty) {
    Texturing(false);
    Vertex corners[4] = {
        {x0 * ix_ + y0 * iy_ + tx, x0 * jx_ + y0 * jy_ + ty, 0, 0},
        {x1 * ix_ + y0 * iy_ + tx, x1 * jx_ + y0 * jy_ + ty, 0, 0},
        {x1 * ix_ + y1 * iy_ + tx, x1 * jx_ + y1 * jy_ + ty, 0, 0},
        {x0 * ix_ + y1 * iy_ + tx, x0 * jx_ + y1 * jy_ + ty, 0, 0},
    };
    DrawQuad(corners, false);
}

void Renderer::DrawFrame(TRenderFrame& frame, float x0, float y0, float x1, float y1, float tx, float ty) {
    if (bound_ != frame.id) {
        bound_ = frame.id;
        BindTexture(frame);
    }
    Texturing(true);
    Vertex corners[4] = {
        {x0 * ix_ + y0 * iy_ + tx, x0 * jx_ + y0 * jy_ + ty, frame.u0, frame.v0},
        {x1 * ix_ + y0 * iy_ + tx, x1 * jx_ + y0 * jy_ + ty, frame.u1, frame.v0},
        {x1 * ix_ + y1 * iy_ + tx, x1 * jx_ + y1 * jy_ + ty, frame.u1, frame.v1},
        {x0 * ix_ + y1 * iy_ + tx, x0 * jx_ + y1 * jy_ + ty, frame.u0, frame.v1},
    };
    DrawQuad(corners, true);
}

TPixmap Renderer::GrabPixmap(int x, int y, int width, int height) {
    TPixmap pixmap = TPixmap::Create(width, height);
    FillOpaque(pixmap, 0, 0, 0);
    // Only the picture is read: GL leaves pixels outside the framebuffer
    // undefined, and a browser takes a second or more to read them.
    auto end = [](int from, int size, int limit) {
        return static_cast<int>(std::min<std::int64_t>(std::int64_t{from} + size, limit));
    };
    int first_x = std::max(x, 0), last_x = end(x, pixmap.width, width_);
    int first_y = std::max(y, 0), last_y = end(y, pixmap.height, height_);
    if (first_x >= last_x || first_y >= last_y) return pixmap;
    int blend = blend_mode_;
    SetBlend(BLEND_SOLID);
    PastePixmap(pixmap, ReadPixels(first_x, first_y, last_x - first_x, last_y - first_y), first_x - x, first_y - y);
    SetBlend(blend);
    return pixmap;
}

void Renderer::ResetCaches() {
    sent_blend_ = 0;
    bound_ = 0;
    texturing_ = -1;
}

TPixmap BuildTexturePixmap(const TPixmap& image, TextureSize size) {
    int fit_width = std::min(image.width, size.width);
    int fit_height = std::min(image.height, size.height);
    TPixmap fitted = (fit_width != image.width || fit_height != image.height)
                         ? ResizePixmap(image, fit_width, fit_height)
                         : ConvertToRGBA(image);
    if (size.width == fit_width && size.height == fit_height) return fitted;
    TPixmap texture = TPixmap::Create(size.width, size.height);
    PastePixmap(texture, fitted, 0, 0);
    if (fit_width < size.width && fit_width > 0) {
        for (int y = 0; y < fit_height; ++y) texture.WriteRGBA(fit_width, y, fitted.ReadRGBA(fit_width - 1, y));
    }
    if (fit_height < size.height && fit_height > 0) {
        for (int x = 0; x < fit_width; ++x) texture.WriteRGBA(x, fit_height, fitted.ReadRGBA(x, fit_height - 1));
    }
    if (fit_width < size.width && fit_height < size.height && fit_width > 0 && fit_height > 0)
        texture.WriteRGBA(fit_width, fit_height, fitted.ReadRGBA(fit_width - 1, fit_height - 1));
    return texture;
}
