#include "platform/video/gl_renderer.hpp"

#include "platform/video/gl_headers.hpp"
#include "platform/video/gl_textures.hpp"

namespace {

// The renderer whose context is current; textures of any other display went
// with their context.
GlRenderer* live_renderer = nullptr;

struct GlFrame final : TextureFrame {
    ~GlFrame() override {
        // The name of a texture whose display has closed may already belong
        // to a texture of the next display.
        if (name && live_renderer && seq == live_renderer->sequence()) {
            live_renderer->ForgetTexture(name);
            glDeleteTextures(1, &name);
        }
    }
};

bool TextureAccepted(int width, int height) {
    glTexImage2D(GL_PROXY_TEXTURE_2D, 0, GL_RGBA8, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    GLint accepted_width = 0;
    glGetTexLevelParameteriv(GL_PROXY_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &accepted_width);
    return accepted_width != 0;
}

GLenum GlPrimitive(QueuedRenderer::Primitive primitive) {
    switch (primitive) {
    case QueuedRenderer::Primitive::kPoints: return GL_POINTS;
    case QueuedRenderer::Primitive::kLines: return GL_LINES;
    default: return GL_QUADS;
    }
}

}  // namespace

GlRenderer::GlRenderer(int width, int height) : QueuedRenderer(width, height) {}

GlRenderer::~GlRenderer() {
    if (live_renderer == this) live_renderer = nullptr;
}

void GlRenderer::Attach(int window_width, int window_height) {
    AdvanceSequence();
    live_renderer = this;
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
    attached_ = true;
    SetUpContext();
    PlaceInWindow(window_width, window_height);
}

void GlRenderer::Detach() {
    if (!attached_) return;
    DropQueue();
    if (framebuffer_) framebuffer_api_.DeleteFramebuffers(1, &framebuffer_);
    if (colour_texture_) glDeleteTextures(1, &colour_texture_);
    framebuffer_ = colour_texture_ = 0;
    attached_ = false;
    if (live_renderer == this) live_renderer = nullptr;
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

// The picture keeps its 640x480 pixels; in the window it sits in the middle.
void GlRenderer::PlaceInWindow(int window_width, int window_height) {
    int left = to_window_ ? (window_width - width()) / 2 : 0;
    int bottom = to_window_ ? (window_height - height()) / 2 : 0;
    glViewport(left, bottom, width(), height());
    PlacePicture(left, bottom, to_window_);
}

std::unique_ptr<TRenderFrame> GlRenderer::BuildFrame(const TPixmap& pixmap, int flags) {
    auto frame = std::make_unique<GlFrame>();
    MakeTexture(*frame, pixmap, flags, TextureAccepted, GL_RGBA8);
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
        if (settings.textured)
            glEnable(GL_TEXTURE_2D);
        else
            glDisable(GL_TEXTURE_2D);
        applied_texturing_ = settings.textured;
    }
}

void GlRenderer::Execute(const std::vector<Run>& runs, const std::vector<QueuedVertex>& vertices) {
    if (batching() && !vertices.empty()) {
        const QueuedVertex& first = vertices.front();
        GLsizei stride = sizeof(QueuedVertex);
        glVertexPointer(2, GL_FLOAT, stride, &first.x);
        glTexCoordPointer(2, GL_FLOAT, stride, &first.u);
        glColorPointer(4, GL_UNSIGNED_BYTE, stride, first.rgba);
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
    // Largest picture that fits with the aspect kept; whole multiples stay
    // sharp, other sizes are filtered. In the window it is drawn at its own
    // size.
    int width = this->width(), height = this->height();
    Letterbox box{picture_left(), window_height - picture_bottom() - height, width, height};
    if (!to_window_) box = FitPicture(window_width, window_height, width, height);
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
