#include "platform/video/gl_state.hpp"

#include <cstring>

#include "platform/video/gl_headers.hpp"

void GlStateCache::Forget() {
    blend_ = -1;
    texture_known_ = false;
    scissor_ = -1;
    line_width_ = -1;
    clear_[0] = clear_[1] = clear_[2] = -1;
}

void GlStateCache::ForgetClipAndClear() {
    scissor_ = -1;
    std::memset(scissor_rect_, -1, sizeof scissor_rect_);
    clear_[0] = clear_[1] = clear_[2] = -1;
}

void GlStateCache::ForgetTexture(unsigned name) {
    if (texture_known_ && texture_ == name) texture_known_ = false;
}

void GlStateCache::Apply(const QueuedRenderer::DrawSettings& settings) {
    using Primitive = QueuedRenderer::Primitive;
    if (settings.scissor != (scissor_ == 1)) {
        if (settings.scissor) glEnable(GL_SCISSOR_TEST);
        else glDisable(GL_SCISSOR_TEST);
        scissor_ = settings.scissor;
    }
    if (settings.scissor && std::memcmp(settings.scissor_rect, scissor_rect_, sizeof scissor_rect_)) {
        const int* rect = settings.scissor_rect;
        glScissor(rect[0], rect[1], rect[2], rect[3]);
        std::memcpy(scissor_rect_, rect, sizeof scissor_rect_);
    }
    if (settings.primitive == Primitive::kClear) {
        if (settings.clear[0] != clear_[0] || settings.clear[1] != clear_[1] || settings.clear[2] != clear_[2]) {
            glClearColor(settings.clear[0] / 255.0f, settings.clear[1] / 255.0f, settings.clear[2] / 255.0f, 1.0f);
            for (int i = 0; i < 3; ++i) clear_[i] = settings.clear[i];
        }
        return;
    }
    if (settings.blend != blend_) {
        switch (settings.blend) {
        case BLEND_ALPHA:
            glEnable(GL_BLEND);
            glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
            break;
        case BLEND_LIGHT:
            glEnable(GL_BLEND);
            glBlendFunc(GL_SRC_ALPHA, GL_ONE);
            break;
        case BLEND_SHADE:
            glEnable(GL_BLEND);
            glBlendFunc(GL_DST_COLOR, GL_ZERO);
            break;
        default:
            glDisable(GL_BLEND);
            break;
        }
        blend_ = settings.blend;
    }
    if (settings.textured && (!texture_known_ || texture_ != settings.texture)) {
        glBindTexture(GL_TEXTURE_2D, settings.texture);
        texture_ = settings.texture;
        texture_known_ = true;
    }
    if (settings.primitive == Primitive::kLines && settings.line_width != line_width_) {
        glLineWidth(settings.line_width);
        line_width_ = settings.line_width;
    }
}

void StreamToBuffer(unsigned target, const void* data, std::size_t bytes, std::size_t& capacity) {
    if (bytes > capacity) {
        capacity = bytes > 2 * capacity ? bytes : 2 * capacity;
        glBufferData(target, static_cast<GLsizeiptr>(capacity), nullptr, GL_STREAM_DRAW);
    }
    glBufferSubData(target, 0, static_cast<GLsizeiptr>(bytes), data);
}

// Only the bars round the picture are cleared: the picture covers the rest.
void ClearAroundPicture(const Letterbox& box, int window_width, int window_height) {
    glEnable(GL_SCISSOR_TEST);
    glClearColor(0, 0, 0, 1);
    int left = box.left, bottom = window_height - box.top - box.height;
    int right = left + box.width, top = bottom + box.height;
    if (bottom > 0) {
        glScissor(0, 0, window_width, bottom);
        glClear(GL_COLOR_BUFFER_BIT);
    }
    if (top < window_height) {
        glScissor(0, top, window_width, window_height - top);
        glClear(GL_COLOR_BUFFER_BIT);
    }
    if (left > 0) {
        glScissor(0, 0, left, window_height);
        glClear(GL_COLOR_BUFFER_BIT);
    }
    if (right < window_width) {
        glScissor(right, 0, window_width - right, window_height);
        glClear(GL_COLOR_BUFFER_BIT);
    }
}

TPixmap ReadFramebuffer(int x, int y, int width, int height) {
    TPixmap upside_down = TPixmap::Create(width, height);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(x, y, width, height, GL_RGBA, GL_UNSIGNED_BYTE, upside_down.pixels.data());
    TPixmap pixmap = TPixmap::Create(width, height);
    for (int row = 0; row < height; ++row) {
        const std::uint8_t* from = upside_down.PixelPtr(0, height - 1 - row);
        std::uint8_t* to = pixmap.PixelPtr(0, row);
        for (int column = 0; column < width; ++column) {
            to[4 * column] = from[4 * column];
            to[4 * column + 1] = from[4 * column + 1];
            to[4 * column + 2] = from[4 * column + 2];
            // The back buffer has no alpha of its own.
            to[4 * column + 3] = 255;
        }
    }
    return pixmap;
}
