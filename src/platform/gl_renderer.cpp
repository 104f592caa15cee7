#include "platform/gl_renderer.hpp"

#include <SDL_opengl.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

struct GlFrame final : TRenderFrame {
    GLuint name = 0;
    ~GlFrame() override {
        if (name) glDeleteTextures(1, &name);
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

}  // namespace

GlRenderer::GlRenderer(int width, int height) : Renderer(width, height) {}

GlRenderer::~GlRenderer() = default;

void GlRenderer::MakeCurrent() {
    ResetCaches();
    glDisable(GL_TEXTURE_2D);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, width(), height(), 0, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glViewport(0, 0, width(), height());
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
    // The new texture is bound now; the cache must not believe otherwise.
    ForgetBoundTexture();
    return frame;
}

void GlRenderer::ApplyBlend(int mode) {
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

void GlRenderer::ApplyClsColor(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
    clear_[0] = red / 255.0f;
    clear_[1] = green / 255.0f;
    clear_[2] = blue / 255.0f;
    glClearColor(clear_[0], clear_[1], clear_[2], 1.0f);
}

void GlRenderer::ApplyViewport(int x, int y, int width, int height, bool scissor) {
    scissor_ = scissor;
    scissor_rect_[0] = x;
    scissor_rect_[1] = this->height() - y - height;
    scissor_rect_[2] = width;
    scissor_rect_[3] = height;
    if (!scissor) {
        glDisable(GL_SCISSOR_TEST);
        return;
    }
    glEnable(GL_SCISSOR_TEST);
    glScissor(scissor_rect_[0], scissor_rect_[1], scissor_rect_[2], scissor_rect_[3]);
}

void GlRenderer::RestoreAfterPresent() {
    glClearColor(clear_[0], clear_[1], clear_[2], 1.0f);
    if (scissor_) {
        glEnable(GL_SCISSOR_TEST);
        glScissor(scissor_rect_[0], scissor_rect_[1], scissor_rect_[2], scissor_rect_[3]);
    }
}

void GlRenderer::ApplyLineWidth(float width) { glLineWidth(width); }

void GlRenderer::EnableTexturing(bool on) {
    if (on)
        glEnable(GL_TEXTURE_2D);
    else
        glDisable(GL_TEXTURE_2D);
}

void GlRenderer::BindTexture(TRenderFrame& frame) { glBindTexture(GL_TEXTURE_2D, static_cast<GlFrame&>(frame).name); }

void GlRenderer::Clear() { glClear(GL_COLOR_BUFFER_BIT); }

void GlRenderer::DrawQuad(const Vertex (&corners)[4], bool textured) {
    glBegin(GL_QUADS);
    glColor4ub(rgba_[0], rgba_[1], rgba_[2], rgba_[3]);
    for (const Vertex& corner : corners) {
        if (textured) glTexCoord2f(corner.u, corner.v);
        glVertex2f(corner.x, corner.y);
    }
    glEnd();
}

void GlRenderer::DrawPoint(float x, float y) {
    glBegin(GL_POINTS);
    glColor4ub(rgba_[0], rgba_[1], rgba_[2], rgba_[3]);
    glVertex2f(x, y);
    glEnd();
}

void GlRenderer::DrawSegment(float x0, float y0, float x1, float y1) {
    glBegin(GL_LINES);
    glColor4ub(rgba_[0], rgba_[1], rgba_[2], rgba_[3]);
    glVertex2f(x0, y0);
    glVertex2f(x1, y1);
    glEnd();
}

TPixmap GlRenderer::ReadPixels(int x, int y, int width, int height) {
    TPixmap upside_down = TPixmap::Create(width, height);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(x, this->height() - height - y, width, height, GL_RGBA, GL_UNSIGNED_BYTE,
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
