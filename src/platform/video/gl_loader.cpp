#include "platform/video/gl_loader.hpp"

#include <SDL.h>
#include <SDL_opengl.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

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
void Load(Function& function, const char* name, const char* suffix) {
    std::string full = std::string(name) + suffix;
    function = reinterpret_cast<Function>(SDL_GL_GetProcAddress(full.c_str()));
}

int MajorVersion() {
    const char* version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
    return version ? std::atoi(version) : 0;
}

}  // namespace

int MajorMinorVersion() {
    const char* version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
    int major = 0, minor = 0;
    if (!version || std::sscanf(version, "%d.%d", &major, &minor) < 1) return 0;
    return major * 10 + minor;
}

namespace {

const char* Extensions() { return reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS)); }

bool CoreFramebuffers() { return MajorVersion() >= 3 || HasExtension(Extensions(), "GL_ARB_framebuffer_object"); }

}  // namespace

// Mesa hands out a function pointer for any name at all, so only the
// version and the extension string say whether the functions work.
bool LoadFramebufferApi(FramebufferApi& api) {
    bool core = CoreFramebuffers();
    bool ext = HasExtension(Extensions(), "GL_EXT_framebuffer_object") &&
               HasExtension(Extensions(), "GL_EXT_framebuffer_blit");
    if (!core && !ext) return false;
    const char* suffix = core ? "" : "EXT";
    Load(api.GenFramebuffers, "glGenFramebuffers", suffix);
    Load(api.DeleteFramebuffers, "glDeleteFramebuffers", suffix);
    Load(api.BindFramebuffer, "glBindFramebuffer", suffix);
    Load(api.FramebufferTexture2D, "glFramebufferTexture2D", suffix);
    Load(api.CheckFramebufferStatus, "glCheckFramebufferStatus", suffix);
    Load(api.BlitFramebuffer, "glBlitFramebuffer", suffix);
    return api.GenFramebuffers && api.DeleteFramebuffers && api.BindFramebuffer && api.FramebufferTexture2D &&
           api.CheckFramebufferStatus && api.BlitFramebuffer;
}

bool OffersGles2() { return MajorVersion() >= 2 && CoreFramebuffers(); }

RendererKind ChooseRenderer() {
    const char* wanted = std::getenv("REZARUDEV_RENDERER");
    bool offered = OffersGles2();
    if (wanted && *wanted) {
        if (std::strcmp(wanted, "gl1") == 0) return RendererKind::kGl1;
        if (std::strcmp(wanted, "gles2") == 0) {
            if (offered) return RendererKind::kGles2;
            std::fprintf(stderr,
                         "rezarudev: REZARUDEV_RENDERER=gles2: the driver offers OpenGL %s without "
                         "framebuffer objects; drawing with gl1\n",
                         reinterpret_cast<const char*>(glGetString(GL_VERSION)));
            return RendererKind::kGl1;
        }
        std::fprintf(stderr, "rezarudev: REZARUDEV_RENDERER=%s is neither gl1 nor gles2; choosing by the driver\n",
                     wanted);
    }
    return offered ? RendererKind::kGles2 : RendererKind::kGl1;
}
