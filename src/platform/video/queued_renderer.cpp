#include "platform/video/queued_renderer.hpp"

#include <cstring>

QueuedRenderer::QueuedRenderer(int width, int height) : Renderer(width, height) {
    viewport_[2] = width;
    viewport_[3] = height;
}

void QueuedRenderer::PlacePicture(int left, int bottom, bool clip_to_picture) {
    left_ = left;
    bottom_ = bottom;
    clip_to_picture_ = clip_to_picture;
    ApplyViewport(viewport_[0], viewport_[1], viewport_[2], viewport_[3], viewport_clips_);
}

void QueuedRenderer::SetBatching(bool on) {
    Flush();
    batching_ = on;
    last_frame_known_ = false;
}

void QueuedRenderer::ForgetTexture(unsigned name) {
    Flush();
    ForgetBoundTextureName(name);
}

void QueuedRenderer::DropQueue() {
    runs_.clear();
    vertices_.clear();
    last_frame_known_ = false;
    shown_width_ = shown_height_ = 0;
}

void QueuedRenderer::ApplyBlend(int mode) { wanted_.blend = mode; }

void QueuedRenderer::ApplyClsColor(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
    wanted_.clear[0] = red;
    wanted_.clear[1] = green;
    wanted_.clear[2] = blue;
}

void QueuedRenderer::ApplyViewport(int x, int y, int width, int height, bool scissor) {
    viewport_[0] = x;
    viewport_[1] = y;
    viewport_[2] = width;
    viewport_[3] = height;
    viewport_clips_ = scissor;
    // In the window the picture is clipped to its own rectangle as well.
    wanted_.scissor = scissor || clip_to_picture_;
    int* rect = wanted_.scissor_rect;
    if (!wanted_.scissor) {
        rect[0] = rect[1] = rect[2] = rect[3] = 0;
    } else if (scissor) {
        rect[0] = left_ + x;
        rect[1] = bottom_ + this->height() - y - height;
        rect[2] = width;
        rect[3] = height;
    } else {
        rect[0] = left_;
        rect[1] = bottom_;
        rect[2] = this->width();
        rect[3] = this->height();
    }
}

void QueuedRenderer::ApplyLineWidth(float width) { wanted_.line_width = width; }

void QueuedRenderer::EnableTexturing(bool on) { wanted_.textured = on; }

void QueuedRenderer::BindTexture(TRenderFrame& frame) {
    wanted_.texture = static_cast<TextureFrame&>(frame).name;
    wanted_.texture_id = frame.id;
}

void QueuedRenderer::Clear() { Queue(Primitive::kClear, nullptr, 0); }

void QueuedRenderer::DrawQuad(const Vertex (&corners)[4], bool textured) {
    QueuedVertex quad[4];
    for (int i = 0; i < 4; ++i) {
        quad[i] = {corners[i].x,
                   corners[i].y,
                   textured ? corners[i].u : 0,
                   textured ? corners[i].v : 0,
                   {rgba_[0], rgba_[1], rgba_[2], rgba_[3]}};
    }
    Queue(Primitive::kQuads, quad, 4);
}

void QueuedRenderer::DrawPoint(float x, float y) {
    QueuedVertex point{x, y, 0, 0, {rgba_[0], rgba_[1], rgba_[2], rgba_[3]}};
    Queue(Primitive::kPoints, &point, 1);
}

void QueuedRenderer::DrawSegment(float x0, float y0, float x1, float y1) {
    QueuedVertex segment[2] = {{x0, y0, 0, 0, {rgba_[0], rgba_[1], rgba_[2], rgba_[3]}},
                               {x1, y1, 0, 0, {rgba_[0], rgba_[1], rgba_[2], rgba_[3]}}};
    Queue(Primitive::kLines, segment, 2);
}

void QueuedRenderer::Queue(Primitive primitive, const QueuedVertex* vertices, int count) {
    DrawSettings settings;
    settings.primitive = primitive;
    settings.scissor = wanted_.scissor;
    std::memcpy(settings.scissor_rect, wanted_.scissor_rect, sizeof settings.scissor_rect);
    if (primitive == Primitive::kClear) {
        std::memcpy(settings.clear, wanted_.clear, sizeof settings.clear);
    } else {
        settings.blend = wanted_.blend;
        settings.textured = wanted_.textured && primitive == Primitive::kQuads;
        if (settings.textured) {
            settings.texture = wanted_.texture;
            settings.texture_id = wanted_.texture_id;
        }
        if (primitive == Primitive::kLines) settings.line_width = wanted_.line_width;
    }
    if (!runs_.empty() && runs_.back().settings == settings) {
        runs_.back().count += count;
    } else {
        runs_.push_back({settings, static_cast<int>(vertices_.size()), count});
    }
    vertices_.insert(vertices_.end(), vertices, vertices + count);
    if (!batching_) Flush();
}

void QueuedRenderer::Present(int window_width, int window_height, bool show_unchanged,
                             const std::function<void()>& swap) {
    bool keepable = Keepable();
    bool kept = keepable && SameAsKeptFrame();
    if (kept) {
        // The framebuffer object still holds this very picture.
        ++frames_kept_;
    } else {
        Execute(runs_, vertices_);
        ++frames_drawn_;
        KeepFrame(keepable);
    }
    runs_.clear();
    vertices_.clear();
    drawn_since_present_ = false;
    // Scaling the picture into the window again and swapping is most of what
    // a still screen costs a software renderer.
    if (kept && !show_unchanged && window_width == shown_width_ && window_height == shown_height_) return;
    shown_width_ = window_width;
    shown_height_ = window_height;
    ++frames_shown_;
    ShowPicture(window_width, window_height, swap);
}

void QueuedRenderer::Flush() {
    if (runs_.empty()) return;
    Execute(runs_, vertices_);
    runs_.clear();
    vertices_.clear();
    drawn_since_present_ = true;
}
