#include "platform/video/gl_textures.hpp"

#include <cstdio>
#include <cstdlib>

#include "platform/video/gl_headers.hpp"

namespace {

QueuedRenderer* live_renderer = nullptr;

struct GlTexture final : TextureFrame {
    ~GlTexture() override {
        // The name of a texture whose display has closed may already belong
        // to a texture of the next display.
        if (name && live_renderer && seq == live_renderer->sequence()) {
            live_renderer->ForgetTexture(name);
            glDeleteTextures(1, &name);
        }
    }
};

// The texel pixmaps are tightly packed, which is all that OpenGL ES reads.
void Upload(int level, const TPixmap& pixmap) {
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexSubImage2D(GL_TEXTURE_2D, level, 0, 0, pixmap.width, pixmap.height, GL_RGBA, GL_UNSIGNED_BYTE,
                    pixmap.pixels.data());
}

}  // namespace

void SetLiveRenderer(QueuedRenderer* renderer) { live_renderer = renderer; }

void LeaveLiveRenderer(QueuedRenderer* renderer) {
    if (live_renderer == renderer) live_renderer = nullptr;
}

std::unique_ptr<TRenderFrame> MakeTexture(const TPixmap& pixmap, int flags, bool (*accepts)(int width, int height),
                                          int internal_format) {
    TextureSize size = ChooseTextureSize(pixmap.width, pixmap.height, accepts);
    if (size.width == 0) {
        std::fprintf(stderr, "rezarudev: Unable to calculate tex size\n");
        std::exit(1);
    }
    TPixmap texels = BuildTexturePixmap(pixmap, size);
    auto frame = std::make_unique<GlTexture>();
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
        glTexImage2D(GL_TEXTURE_2D, level, internal_format, level_width, level_height, 0, GL_RGBA, GL_UNSIGNED_BYTE,
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
    return frame;
}
