#include "platform/video/gl_renderer.hpp"

#include <SDL.h>
#include <SDL_opengl.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

// Marks a run that clears instead of drawing.
constexpr unsigned kClearRun = 0xffffffffu;

// Framebuffer objects are not in OpenGL 1.x: they come from GL 3.0 or an
// extension, and Mesa hands out a function pointer for any name at all, so
// only the version and the extension string say whether they work.
struct FramebufferApi {
    PFNGLGENFRAMEBUFFERSPROC GenFramebuffers = nullptr;
    PFNGLDELETEFRAMEBUFFERSPROC DeleteFramebuffers = nullptr;
    PFNGLBINDFRAMEBUFFERPROC BindFramebuffer = nullptr;
    PFNGLFRAMEBUFFERTEXTURE2DPROC FramebufferTexture2D = nullptr;
    PFNGLCHECKFRAMEBUFFERSTATUSPROC CheckFramebufferStatus = nullptr;
    PFNGLBLITFRAMEBUFFERPROC BlitFramebuffer = nullptr;
};
FramebufferApi framebuffer_api;

// The renderer whose context is current; textures of any other display went
// with their context.
GlRenderer* live_renderer = nullptr;

bool HasExtension(const char* list, const char* name) {
    if (!list) return false;
    std::size_t length = std::strlen(name);
    for (const char* at = std::strstr(list, name); at; at = std::strstr(at + 1, name)) {
        bool starts = at == list || at[-1] == ' ';
        bool ends = at[length] == ' ' || at[length] == '\0';
        if (starts && ends) return true;
    }
    return false;
}

template <typename Function>
Function Load(const char* name, const char* suffix) {
    std::string full = std::string(name) + suffix;
    return reinterpret_cast<Function>(SDL_GL_GetProcAddress(full.c_str()));
}

bool LoadFramebufferApi() {
    const char* version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
    const char* extensions = reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
    bool core = (version && std::atoi(version) >= 3) || HasExtension(extensions, "GL_ARB_framebuffer_object");
    bool ext = HasExtension(extensions, "GL_EXT_framebuffer_object") &&
               HasExtension(extensions, "GL_EXT_framebuffer_blit");
    if (!core && !ext) return false;
    const char* suffix = core ? "" : "EXT";
    FramebufferApi& api = framebuffer_api;
    api.GenFramebuffers = Load<PFNGLGENFRAMEBUFFERSPROC>("glGenFramebuffers", suffix);
    api.DeleteFramebuffers = Load<PFNGLDELETEFRAMEBUFFERSPROC>("glDeleteFramebuffers", suffix);
    api.BindFramebuffer = Load<PFNGLBINDFRAMEBUFFERPROC>("glBindFramebuffer", suffix);
    api.FramebufferTexture2D = Load<PFNGLFRAMEBUFFERTEXTURE2DPROC>("glFramebufferTexture2D", suffix);
    api.CheckFramebufferStatus = Load<PFNGLCHECKFRAMEBUFFERSTATUSPROC>("glCheckFramebufferStatus", suffix);
    api.BlitFramebuffer = Load<PFNGLBLITFRAMEBUFFERPROC>("glBlitFramebuffer", suffix);
    return api.GenFramebuffers && api.DeleteFramebuffers && api.BindFramebuffer && api.FramebufferTexture2D &&
           api.CheckFramebufferStatus && api.BlitFramebuffer;
}

struct GlFrame final : TRenderFrame {
    GLuint name = 0;
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

void Upload(int level, const TPixmap& pixmap) {
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, pixmap.pitch / 4);
    glTexSubImage2D(GL_TEXTURE_2D, level, 0, 0, pixmap.width, pixmap.height, GL_RGBA, GL_UNSIGNED_BYTE,
                    pixmap.pixels.data());
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
}

void SendBlend(int mode) {
    switch (mode) {
    case BLEND_MASK:
        glDisable(GL_BLEND);
        glEnable(GL_ALPHA_TEST);
        glAlphaFunc(GL_GEQUAL, 0.5f);
        break;
    case BLEND_ALPHA:
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        glDisable(GL_ALPHA_TEST);
        break;
    case BLEND_LIGHT:
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE);
        glDisable(GL_ALPHA_TEST);
        break;
    case BLEND_SHADE:
        glEnable(GL_BLEND);
        glBlendFunc(GL_DST_COLOR, GL_ZERO);
        glDisable(GL_ALPHA_TEST);
        break;
    default:
        glDisable(GL_BLEND);
        glDisable(GL_ALPHA_TEST);
        break;
    }
}

bool Opaque(int blend) {
    return blend != BLEND_MASK && blend != BLEND_ALPHA && blend != BLEND_LIGHT && blend != BLEND_SHADE;
}

}  // namespace

GlRenderer::GlRenderer(int width, int height) : Renderer(width, height) {
    viewport_[2] = width;
    viewport_[3] = height;
}

GlRenderer::~GlRenderer() {
    if (live_renderer == this) live_renderer = nullptr;
}

void GlRenderer::Attach(int window_width, int window_height) {
    AdvanceSequence();
    live_renderer = this;
    to_window_ = !LoadFramebufferApi();
    if (!to_window_) {
        FramebufferApi& api = framebuffer_api;
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
    runs_.clear();
    vertices_.clear();
    last_frame_known_ = false;
    if (framebuffer_) framebuffer_api.DeleteFramebuffers(1, &framebuffer_);
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
    applied_blend_ = -1;
    applied_texturing_ = -1;
    applied_texture_known_ = false;
    applied_scissor_ = -1;
    applied_line_width_ = -1;
    applied_clear_[0] = applied_clear_[1] = applied_clear_[2] = -1;
}

// The picture keeps its 640x480 pixels; in the window it sits in the middle.
void GlRenderer::PlaceInWindow(int window_width, int window_height) {
    left_ = to_window_ ? (window_width - width()) / 2 : 0;
    bottom_ = to_window_ ? (window_height - height()) / 2 : 0;
    glViewport(left_, bottom_, width(), height());
    ApplyViewport(viewport_[0], viewport_[1], viewport_[2], viewport_[3], viewport_clips_);
}

void GlRenderer::SetBatching(bool on) {
    Flush();
    batching_ = on;
    last_frame_known_ = false;
}

void GlRenderer::ForgetTexture(unsigned name) {
    Flush();
    if (applied_texture_known_ && applied_texture_ == name) applied_texture_known_ = false;
}

std::unique_ptr<TRenderFrame> GlRenderer::BuildFrame(const TPixmap& pixmap, int flags) {
    TextureSize size = ChooseTextureSize(pixmap.width, pixmap.height, TextureAccepted);
    if (size.width == 0) {
        std::fprintf(stderr, "rezarudev: Unable to calculate tex size\n");
        std::exit(1);
    }
    TPixmap texels = BuildTexturePixmap(pixmap, size);
    auto frame = std::make_unique<GlFrame>();
    glGenTextures(1, &frame->name);
    glBindTexture(GL_TEXTURE_2D, frame->name);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    bool filtered = flags & kImageFiltered;
    bool mipmapped = flags & kImageMipmapped;
    GLint magnify = filtered ? GL_LINEAR : GL_NEAREST;
    GLint minify = mipmapped ? (filtered ? GL_LINEAR_MIPMAP_LINEAR : GL_NEAREST_MIPMAP_NEAREST) : magnify;
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, magnify);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, minify);
    int level_width = size.width, level_height = size.height;
    for (int level = 0;; ++level) {
        glTexImage2D(GL_TEXTURE_2D, level, GL_RGBA8, level_width, level_height, 0, GL_RGBA, GL_UNSIGNED_BYTE,
                     nullptr);
        if (!mipmapped || (level_width == 1 && level_height == 1)) break;
        if (level_width > 1) level_width /= 2;
        if (level_height > 1) level_height /= 2;
    }
    Upload(0, texels);
    if (mipmapped) {
        for (int level = 1; texels.width > 1 || texels.height > 1; ++level) {
            texels = ResizePixmap(texels, texels.width > 1 ? texels.width / 2 : 1,
                                  texels.height > 1 ? texels.height / 2 : 1);
            Upload(level, texels);
        }
    }
    int fit_width = pixmap.width < size.width ? pixmap.width : size.width;
    int fit_height = pixmap.height < size.height ? pixmap.height : size.height;
    frame->u1 = static_cast<float>(fit_width) / static_cast<float>(size.width);
    frame->v1 = static_cast<float>(fit_height) / static_cast<float>(size.height);
    // The new texture is bound now; the caches must not believe otherwise.
    // Queued runs name their own textures, so they need not be drawn first.
    applied_texture_known_ = false;
    ForgetBoundTexture();
    return frame;
}

void GlRenderer::ApplyBlend(int mode) { wanted_.blend = mode; }

void GlRenderer::ApplyClsColor(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
    wanted_.clear[0] = red;
    wanted_.clear[1] = green;
    wanted_.clear[2] = blue;
}

void GlRenderer::ApplyViewport(int x, int y, int width, int height, bool scissor) {
    viewport_[0] = x;
    viewport_[1] = y;
    viewport_[2] = width;
    viewport_[3] = height;
    viewport_clips_ = scissor;
    // In the window the picture is clipped to its own rectangle as well.
    wanted_.scissor = scissor || to_window_;
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

void GlRenderer::ApplyLineWidth(float width) { wanted_.line_width = width; }

void GlRenderer::EnableTexturing(bool on) { wanted_.textured = on; }

void GlRenderer::BindTexture(TRenderFrame& frame) {
    wanted_.texture = static_cast<GlFrame&>(frame).name;
    wanted_.texture_id = frame.id;
}

void GlRenderer::Clear() { Queue(kClearRun, nullptr, 0); }

void GlRenderer::DrawQuad(const Vertex (&corners)[4], bool textured) {
    QueuedVertex quad[4];
    for (int i = 0; i < 4; ++i) {
        quad[i] = {corners[i].x, corners[i].y, textured ? corners[i].u : 0, textured ? corners[i].v : 0,
                   {rgba_[0], rgba_[1], rgba_[2], rgba_[3]}};
    }
    Queue(GL_QUADS, quad, 4);
}

void GlRenderer::DrawPoint(float x, float y) {
    QueuedVertex point{x, y, 0, 0, {rgba_[0], rgba_[1], rgba_[2], rgba_[3]}};
    Queue(GL_POINTS, &point, 1);
}

void GlRenderer::DrawSegment(float x0, float y0, float x1, float y1) {
    QueuedVertex segment[2] = {{x0, y0, 0, 0, {rgba_[0], rgba_[1], rgba_[2], rgba_[3]}},
                               {x1, y1, 0, 0, {rgba_[0], rgba_[1], rgba_[2], rgba_[3]}}};
    Queue(GL_LINES, segment, 2);
}

void GlRenderer::Queue(unsigned primitive, const QueuedVertex* vertices, int count) {
    DrawSettings settings;
    settings.primitive = primitive;
    settings.scissor = wanted_.scissor;
    std::memcpy(settings.scissor_rect, wanted_.scissor_rect, sizeof settings.scissor_rect);
    if (primitive == kClearRun) {
        std::memcpy(settings.clear, wanted_.clear, sizeof settings.clear);
    } else {
        settings.blend = wanted_.blend;
        settings.textured = wanted_.textured && primitive == GL_QUADS;
        if (settings.textured) {
            settings.texture = wanted_.texture;
            settings.texture_id = wanted_.texture_id;
        }
        if (primitive == GL_LINES) settings.line_width = wanted_.line_width;
    }
    if (!runs_.empty() && runs_.back().settings == settings) {
        runs_.back().count += count;
    } else {
        runs_.push_back({settings, static_cast<int>(vertices_.size()), count});
    }
    vertices_.insert(vertices_.end(), vertices, vertices + count);
    if (!batching_) Flush();
}

void GlRenderer::Flush() {
    if (runs_.empty()) return;
    Execute(runs_, vertices_);
    runs_.clear();
    vertices_.clear();
    drawn_since_present_ = true;
}

void GlRenderer::Apply(const DrawSettings& settings) {
    if (settings.scissor != (applied_scissor_ == 1)) {
        if (settings.scissor)
            glEnable(GL_SCISSOR_TEST);
        else
            glDisable(GL_SCISSOR_TEST);
        applied_scissor_ = settings.scissor;
    }
    if (settings.scissor && std::memcmp(settings.scissor_rect, applied_scissor_rect_, sizeof applied_scissor_rect_)) {
        const int* rect = settings.scissor_rect;
        glScissor(rect[0], rect[1], rect[2], rect[3]);
        std::memcpy(applied_scissor_rect_, rect, sizeof applied_scissor_rect_);
    }
    if (settings.primitive == kClearRun) {
        if (settings.clear[0] != applied_clear_[0] || settings.clear[1] != applied_clear_[1] ||
            settings.clear[2] != applied_clear_[2]) {
            glClearColor(settings.clear[0] / 255.0f, settings.clear[1] / 255.0f, settings.clear[2] / 255.0f, 1.0f);
            for (int i = 0; i < 3; ++i) applied_clear_[i] = settings.clear[i];
        }
        return;
    }
    if (settings.blend != applied_blend_) {
        SendBlend(settings.blend);
        applied_blend_ = settings.blend;
    }
    if (static_cast<int>(settings.textured) != applied_texturing_) {
        if (settings.textured)
            glEnable(GL_TEXTURE_2D);
        else
            glDisable(GL_TEXTURE_2D);
        applied_texturing_ = settings.textured;
    }
    if (settings.textured && (!applied_texture_known_ || applied_texture_ != settings.texture)) {
        glBindTexture(GL_TEXTURE_2D, settings.texture);
        applied_texture_ = settings.texture;
        applied_texture_known_ = true;
    }
    if (settings.primitive == GL_LINES && settings.line_width != applied_line_width_) {
        glLineWidth(settings.line_width);
        applied_line_width_ = settings.line_width;
    }
}

void GlRenderer::Execute(const std::vector<Run>& runs, const std::vector<QueuedVertex>& vertices) {
    if (batching_ && !vertices.empty()) {
        const QueuedVertex& first = vertices.front();
        GLsizei stride = sizeof(QueuedVertex);
        glVertexPointer(2, GL_FLOAT, stride, &first.x);
        glTexCoordPointer(2, GL_FLOAT, stride, &first.u);
        glColorPointer(4, GL_UNSIGNED_BYTE, stride, first.rgba);
    }
    for (const Run& run : runs) {
        Apply(run.settings);
        if (run.settings.primitive == kClearRun) {
            glClear(GL_COLOR_BUFFER_BIT);
        } else if (batching_) {
            glDrawArrays(run.settings.primitive, run.first, run.count);
        } else {
            glBegin(run.settings.primitive);
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

// Whether the run paints every pixel of the picture without looking at what
// was there: then nothing drawn before it shows.
bool GlRenderer::CoversPicture(const Run& run) const {
    const DrawSettings& settings = run.settings;
    if (settings.scissor) return false;
    if (settings.primitive == kClearRun) return true;
    if (settings.primitive != GL_QUADS || !Opaque(settings.blend)) return false;
    // The centres of the corner pixels; every other centre lies between them.
    const double corners[4][2] = {{0.5, 0.5},
                                  {width() - 0.5, 0.5},
                                  {width() - 0.5, height() - 0.5},
                                  {0.5, height() - 0.5}};
    for (int quad = run.first; quad + 4 <= run.first + run.count; quad += 4) {
        const QueuedVertex* v = &vertices_[static_cast<std::size_t>(quad)];
        double area = 0;
        for (int i = 0; i < 4; ++i) area += double(v[i].x) * v[(i + 1) % 4].y - double(v[(i + 1) % 4].x) * v[i].y;
        if (area == 0) continue;
        bool inside = true;
        for (int i = 0; i < 4 && inside; ++i) {
            const QueuedVertex& a = v[i];
            const QueuedVertex& b = v[(i + 1) % 4];
            double edge_x = double(b.x) - a.x, edge_y = double(b.y) - a.y;
            double length = std::sqrt(edge_x * edge_x + edge_y * edge_y);
            for (const auto& corner : corners) {
                double cross = edge_x * (corner[1] - a.y) - edge_y * (corner[0] - a.x);
                // Clear of the edge by a hundredth of a pixel at least.
                if ((area > 0 ? cross : -cross) < 0.01 * length) {
                    inside = false;
                    break;
                }
            }
        }
        if (inside) return true;
    }
    return false;
}

bool GlRenderer::SameAsLastFrame() const {
    // memcmp must not see the null data of an empty queue.
    return runs_ == last_runs_ && vertices_.size() == last_vertices_.size() &&
           (vertices_.empty() ||
            std::memcmp(vertices_.data(), last_vertices_.data(), vertices_.size() * sizeof(QueuedVertex)) == 0);
}

void GlRenderer::Present(int window_width, int window_height, const std::function<void()>& swap) {
    bool whole_frame = !drawn_since_present_;
    bool covered = false;
    for (const Run& run : runs_) covered = covered || CoversPicture(run);
    if (batching_ && !to_window_ && whole_frame && covered && last_frame_known_ && SameAsLastFrame()) {
        // The framebuffer object still holds this very picture.
        ++frames_kept_;
    } else {
        Execute(runs_, vertices_);
        ++frames_drawn_;
        last_frame_known_ = batching_ && whole_frame && covered;
        if (last_frame_known_) {
            runs_.swap(last_runs_);
            vertices_.swap(last_vertices_);
        }
    }
    runs_.clear();
    vertices_.clear();
    drawn_since_present_ = false;

    // Largest picture that fits with the aspect kept; whole multiples stay
    // sharp, other sizes are filtered. In the window it is drawn at its own
    // size.
    int width = this->width(), height = this->height();
    int scaled_width = width, scaled_height = height;
    if (!to_window_) {
        scaled_width = window_width;
        scaled_height = window_width * height / width;
        if (scaled_height > window_height) {
            scaled_height = window_height;
            scaled_width = window_height * width / height;
        }
    }
    int left = to_window_ ? left_ : (window_width - scaled_width) / 2;
    int bottom = to_window_ ? bottom_ : (window_height - scaled_height) / 2;
    FramebufferApi& api = framebuffer_api;
    if (!to_window_) {
        api.BindFramebuffer(GL_READ_FRAMEBUFFER, framebuffer_);
        api.BindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
    }
    // A changed viewport is also what tells Mesa's software driver to look
    // for a resized window.
    glViewport(0, 0, window_width, window_height);
    // Only the bars round the picture are cleared: the picture covers the rest.
    glEnable(GL_SCISSOR_TEST);
    glClearColor(0, 0, 0, 1);
    int right = left + scaled_width, top = bottom + scaled_height;
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
    if (!to_window_) {
        glDisable(GL_SCISSOR_TEST);
        bool whole = scaled_width % width == 0 && scaled_width / width == scaled_height / height;
        api.BlitFramebuffer(0, 0, width, height, left, bottom, right, top, GL_COLOR_BUFFER_BIT,
                            whole ? GL_NEAREST : GL_LINEAR);
    }
    applied_scissor_ = -1;
    std::memset(applied_scissor_rect_, -1, sizeof applied_scissor_rect_);
    applied_clear_[0] = applied_clear_[1] = applied_clear_[2] = -1;
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
    TPixmap upside_down = TPixmap::Create(width, height);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(left_ + x, bottom_ + this->height() - height - y, width, height, GL_RGBA, GL_UNSIGNED_BYTE,
                 upside_down.pixels.data());
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
