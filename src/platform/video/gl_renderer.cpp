#include "platform/video/gl_renderer.hpp"

#include <cstddef>
#include <cstdint>

#include "platform/video/gl_headers.hpp"
#include "platform/video/gl_textures.hpp"

namespace {

bool TextureAccepted(int width, int height) {
    glTexImage2D(GL_PROXY_TEXTURE_2D, 0, GL_RGBA8, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    GLint accepted_width = 0;
    glGetTexLevelParameteriv(GL_PROXY_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &accepted_width);
    return accepted_width != 0;
}

GLenum GlPrimitive(QueuedRenderer::Primitive primitive) {
    switch (primitive) {
    case QueuedRenderer::Primitive::kPoints:
        return GL_POINTS;
    case QueuedRenderer::Primitive::kLines:
        return GL_LINES;
    default:
        return GL_QUADS;
    }
}

}  // namespace

GlRenderer::GlRenderer(int width, int height) : QueuedRenderer(width, height) {}

GlRenderer::~GlRenderer() { LeaveLiveRenderer(this); }

void GlRenderer::Attach(int window_width, int window_height) {
    AdvanceSequence();
    SetLiveRenderer(this);
    to_window_ = !LoadFramebufferApi(framebuffer_api_);
    if (!to_window_) {
        FramebufferApi& api = framebuffer_api_;
        glGenTextures(1, &colour_texture_);
        glBindTexture(GL_TEXTURE_2D, colour_texture_);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB8, width(), height(), 0, GL_RGB, GL_UNSIGNED_BYTE, nullptr);
        glBindTexture(GL_TEXTURE_2D, 0);
        api.GenFramebuffers(1, &framebuffer_);
        api.BindFramebuffer(GL_FRAMEBUFFER, framebuffer_);
        api.FramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, colour_texture_, 0);
        if (api.CheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) {
            api.BindFramebuffer(GL_FRAMEBUFFER, 0);
            api.DeleteFramebuffers(1, &framebuffer_);
            glDeleteTextures(1, &colour_texture_);
            framebuffer_ = colour_texture_ = 0;
            to_window_ = true;
        }
    }
    // Client-side arrays are copied into fresh memory at every draw; a buffer
    // object takes them once a frame into memory it keeps.
    if (MajorMinorVersion() >= 15) {
        glGenBuffers(1, &vertex_buffer_);
        vertex_capacity_ = 0;
    }
    attached_ = true;
    SetUpContext();
    PlaceInWindow(window_width, window_height);
}

void GlRenderer::Detach() {
    if (!attached_) return;
    DropQueue();
    if (framebuffer_) framebuffer_api_.DeleteFramebuffers(1, &framebuffer_);
    if (colour_texture_) glDeleteTextures(1, &colour_texture_);
    if (vertex_buffer_) glDeleteBuffers(1, &vertex_buffer_);
    framebuffer_ = colour_texture_ = vertex_buffer_ = 0;
    attached_ = false;
    LeaveLiveRenderer(this);
}

void GlRenderer::SetUpContext() {
    ResetCaches();
    ForgetAppliedState();
    glDisable(GL_TEXTURE_2D);
    applied_texturing_ = 0;
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, width(), height(), 0, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glEnableClientState(GL_COLOR_ARRAY);
}

void GlRenderer::ForgetAppliedState() {
    state_.Forget();
    applied_alpha_test_ = -1;
    applied_texturing_ = -1;
}

Letterbox GlRenderer::PictureIn(int drawable_width, int drawable_height) const {
    if (!to_window_) return QueuedRenderer::PictureIn(drawable_width, drawable_height);
    int bottom = (drawable_height - height()) / 2;
    return {(drawable_width - width()) / 2, drawable_height - bottom - height(), width(), height()};
}

// In the window the picture keeps its own pixels and sits in the middle.
void GlRenderer::PlaceInWindow(int window_width, int window_height) {
    int left = 0, bottom = 0;
    if (to_window_) {
        Letterbox box = PictureIn(window_width, window_height);
        left = box.left;
        bottom = window_height - box.top - box.height;
    }
    glViewport(left, bottom, width(), height());
    PlacePicture(left, bottom, to_window_);
}

std::unique_ptr<TRenderFrame> GlRenderer::BuildFrame(const TPixmap& pixmap, int flags) {
    std::unique_ptr<TRenderFrame> frame = MakeTexture(pixmap, flags, TextureAccepted, GL_RGBA8);
    // The new texture is bound now; the caches must not believe otherwise.
    // Queued runs name their own textures, so they need not be drawn first.
    state_.ForgetTexture();
    ForgetBoundTexture();
    return frame;
}

void GlRenderer::Apply(const DrawSettings& settings) {
    state_.Apply(settings);
    if (settings.primitive == Primitive::kClear) return;
    int alpha_test = settings.blend == BLEND_MASK;
    if (alpha_test != applied_alpha_test_) {
        if (alpha_test) {
            glEnable(GL_ALPHA_TEST);
            glAlphaFunc(GL_GEQUAL, 0.5f);
        } else {
            glDisable(GL_ALPHA_TEST);
        }
        applied_alpha_test_ = alpha_test;
    }
    if (static_cast<int>(settings.textured) != applied_texturing_) {
        if (settings.textured) glEnable(GL_TEXTURE_2D);
        else glDisable(GL_TEXTURE_2D);
        applied_texturing_ = settings.textured;
    }
}

void GlRenderer::Execute(const std::vector<Run>& runs, const std::vector<QueuedVertex>& vertices) {
    if (batching() && !vertices.empty()) {
        // Offsets into the buffer object, or addresses of the queue itself.
        auto first = reinterpret_cast<std::uintptr_t>(vertices.data());
        if (vertex_buffer_) {
            glBindBuffer(GL_ARRAY_BUFFER, vertex_buffer_);
            StreamToBuffer(GL_ARRAY_BUFFER, vertices.data(), vertices.size() * sizeof(QueuedVertex), vertex_capacity_);
            first = 0;
        }
        auto at = [first](std::size_t offset) { return reinterpret_cast<const void*>(first + offset); };
        GLsizei stride = sizeof(QueuedVertex);
        glVertexPointer(2, GL_FLOAT, stride, at(offsetof(QueuedVertex, x)));
        glTexCoordPointer(2, GL_FLOAT, stride, at(offsetof(QueuedVertex, u)));
        glColorPointer(4, GL_UNSIGNED_BYTE, stride, at(offsetof(QueuedVertex, rgba)));
    }
    for (const Run& run : runs) {
        Apply(run.settings);
        if (run.settings.primitive == Primitive::kClear) {
            glClear(GL_COLOR_BUFFER_BIT);
        } else if (batching()) {
            glDrawArrays(GlPrimitive(run.settings.primitive), run.first, run.count);
        } else {
            glBegin(GlPrimitive(run.settings.primitive));
            for (int i = run.first; i < run.first + run.count; ++i) {
                const QueuedVertex& vertex = vertices[static_cast<std::size_t>(i)];
                glColor4ub(vertex.rgba[0], vertex.rgba[1], vertex.rgba[2], vertex.rgba[3]);
                if (run.settings.textured) glTexCoord2f(vertex.u, vertex.v);
                glVertex2f(vertex.x, vertex.y);
            }
            glEnd();
        }
    }
}

void GlRenderer::ShowPicture(int window_width, int window_height, const std::function<void()>& swap) {
    // Whole multiples stay sharp, other sizes are filtered.
    int width = this->width(), height = this->height();
    Letterbox box = PictureIn(window_width, window_height);
    FramebufferApi& api = framebuffer_api_;
    if (!to_window_) {
        api.BindFramebuffer(GL_READ_FRAMEBUFFER, framebuffer_);
        api.BindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
    }
    // A changed viewport is also what tells Mesa's software driver to look
    // for a resized window.
    glViewport(0, 0, window_width, window_height);
    ClearAroundPicture(box, window_width, window_height);
    if (!to_window_) {
        glDisable(GL_SCISSOR_TEST);
        bool whole = box.width % width == 0 && box.width / width == box.height / height;
        int bottom = window_height - box.top - box.height;
        api.BlitFramebuffer(0, 0, width, height, box.left, bottom, box.left + box.width, bottom + box.height,
                            GL_COLOR_BUFFER_BIT, whole ? GL_NEAREST : GL_LINEAR);
    }
    state_.ForgetClipAndClear();
    swap();
    if (!to_window_) {
        api.BindFramebuffer(GL_FRAMEBUFFER, framebuffer_);
        glViewport(0, 0, width, height);
    } else {
        PlaceInWindow(window_width, window_height);
    }
}

TPixmap GlRenderer::ReadPixels(int x, int y, int width, int height) {
    Flush();
    return ReadFramebuffer(picture_left() + x, picture_bottom() + this->height() - height - y, width, height);
}
