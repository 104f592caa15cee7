#include <SDL.h>
#include <SDL_opengl.h>

#include <algorithm>

#include "platform/display.hpp"
#include "platform/gl_renderer.hpp"

namespace {

// Framebuffer objects are not in OpenGL 1.x headers; they come from the
// driver at run time.
struct FramebufferApi {
    PFNGLGENFRAMEBUFFERSPROC GenFramebuffers = nullptr;
    PFNGLDELETEFRAMEBUFFERSPROC DeleteFramebuffers = nullptr;
    PFNGLBINDFRAMEBUFFERPROC BindFramebuffer = nullptr;
    PFNGLFRAMEBUFFERTEXTURE2DPROC FramebufferTexture2D = nullptr;
    PFNGLCHECKFRAMEBUFFERSTATUSPROC CheckFramebufferStatus = nullptr;
    PFNGLBLITFRAMEBUFFERPROC BlitFramebuffer = nullptr;

    bool Load() {
        GenFramebuffers = reinterpret_cast<PFNGLGENFRAMEBUFFERSPROC>(SDL_GL_GetProcAddress("glGenFramebuffers"));
        DeleteFramebuffers =
            reinterpret_cast<PFNGLDELETEFRAMEBUFFERSPROC>(SDL_GL_GetProcAddress("glDeleteFramebuffers"));
        BindFramebuffer = reinterpret_cast<PFNGLBINDFRAMEBUFFERPROC>(SDL_GL_GetProcAddress("glBindFramebuffer"));
        FramebufferTexture2D =
            reinterpret_cast<PFNGLFRAMEBUFFERTEXTURE2DPROC>(SDL_GL_GetProcAddress("glFramebufferTexture2D"));
        CheckFramebufferStatus =
            reinterpret_cast<PFNGLCHECKFRAMEBUFFERSTATUSPROC>(SDL_GL_GetProcAddress("glCheckFramebufferStatus"));
        BlitFramebuffer = reinterpret_cast<PFNGLBLITFRAMEBUFFERPROC>(SDL_GL_GetProcAddress("glBlitFramebuffer"));
        return GenFramebuffers && DeleteFramebuffers && BindFramebuffer && FramebufferTexture2D &&
               CheckFramebufferStatus && BlitFramebuffer;
    }
};

class SdlDisplay final : public Display {
public:
    SdlDisplay(Clock& clock, bool fullscreen, int hertz, bool fast, int width, int height)
        : Display(clock, fullscreen, hertz, fast), renderer_(width, height) {}

    ~SdlDisplay() override {
        if (context_) {
            if (framebuffer_) api_.DeleteFramebuffers(1, &framebuffer_);
            if (colour_texture_) glDeleteTextures(1, &colour_texture_);
            SDL_GL_DeleteContext(context_);
        }
        if (window_) SDL_DestroyWindow(window_);
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
    }

    bool Open(const std::string& title, std::string& error) {
        if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
            error = std::string("cannot start the video system: ") + SDL_GetError();
            return false;
        }
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 2);
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 1);
        SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
        SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
        SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
        SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
        Uint32 flags = SDL_WINDOW_OPENGL | SDL_WINDOW_ALLOW_HIGHDPI;
        int width = renderer_.width(), height = renderer_.height();
        if (fullscreen()) {
            flags |= SDL_WINDOW_FULLSCREEN_DESKTOP;
        } else {
            flags |= SDL_WINDOW_RESIZABLE;
            // A bigger window on big screens; the picture scales to fit.
            SDL_DisplayMode mode;
            if (SDL_GetDesktopDisplayMode(0, &mode) == 0) {
                int scale = std::max(1, std::min((mode.w - 80) / width, (mode.h - 120) / height));
                width *= scale;
                height *= scale;
            }
        }
        window_ = SDL_CreateWindow(title.c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, width, height, flags);
        if (!window_) {
            error = std::string("cannot open a window: ") + SDL_GetError();
            return false;
        }
        context_ = SDL_GL_CreateContext(window_);
        if (!context_) {
            error = std::string("cannot create an OpenGL context: ") + SDL_GetError();
            return false;
        }
        if (!api_.Load()) {
            error = "the OpenGL driver has no framebuffer objects";
            return false;
        }
        glGenTextures(1, &colour_texture_);
        glBindTexture(GL_TEXTURE_2D, colour_texture_);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB8, renderer_.width(), renderer_.height(), 0, GL_RGB, GL_UNSIGNED_BYTE,
                     nullptr);
        glBindTexture(GL_TEXTURE_2D, 0);
        api_.GenFramebuffers(1, &framebuffer_);
        api_.BindFramebuffer(GL_FRAMEBUFFER, framebuffer_);
        api_.FramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, colour_texture_, 0);
        if (api_.CheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) {
            error = "cannot create the 640x480 back buffer";
            return false;
        }
        swap_interval_ = -1;
        SetSwapInterval(0);
        renderer_.NewDisplay();
        renderer_.MakeCurrent();
        // Both buffers start cleared.
        renderer_.Cls();
        Flip(0);
        renderer_.Cls();
        Flip(0);
        return true;
    }

    Renderer& renderer() override { return renderer_; }
    SDL_Window* window() { return window_; }

protected:
    void Present(int swap_interval) override {
        // Losing focus in full screen stops waiting for the vertical blank.
        if (fullscreen() && !Focused()) swap_interval = 0;
        SetSwapInterval(swap_interval);
        int window_width = 0, window_height = 0;
        SDL_GL_GetDrawableSize(window_, &window_width, &window_height);
        int width = renderer_.width(), height = renderer_.height();
        // Largest picture that fits with the aspect kept; whole multiples
        // stay sharp, other sizes are filtered.
        int scaled_width = window_width, scaled_height = window_width * height / width;
        if (scaled_height > window_height) {
            scaled_height = window_height;
            scaled_width = window_height * width / height;
        }
        int left = (window_width - scaled_width) / 2, bottom = (window_height - scaled_height) / 2;
        bool whole = scaled_width % width == 0 && scaled_width / width == scaled_height / height;
        glDisable(GL_SCISSOR_TEST);
        api_.BindFramebuffer(GL_READ_FRAMEBUFFER, framebuffer_);
        api_.BindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
        glViewport(0, 0, window_width, window_height);
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT);
        api_.BlitFramebuffer(0, 0, width, height, left, bottom, left + scaled_width, bottom + scaled_height,
                             GL_COLOR_BUFFER_BIT, whole ? GL_NEAREST : GL_LINEAR);
        SDL_GL_SwapWindow(window_);
        api_.BindFramebuffer(GL_FRAMEBUFFER, framebuffer_);
        glViewport(0, 0, width, height);
        renderer_.RestoreAfterPresent();
    }

    bool HasFocus() override {
        // Only moves the news into SDL's queue; the input layer still gets
        // every event.
        SDL_PumpEvents();
        return Focused();
    }

private:
    bool Focused() const { return (SDL_GetWindowFlags(window_) & SDL_WINDOW_INPUT_FOCUS) != 0; }

    void SetSwapInterval(int interval) {
        if (interval == swap_interval_) return;
        swap_interval_ = interval;
        SDL_GL_SetSwapInterval(interval);
    }

    GlRenderer renderer_;
    FramebufferApi api_;
    SDL_Window* window_ = nullptr;
    SDL_GLContext context_ = nullptr;
    GLuint framebuffer_ = 0;
    GLuint colour_texture_ = 0;
    int swap_interval_ = -1;
};

// With no X or Wayland display SDL falls back to drivers that show nothing,
// and the game would run unseen, for ever without a frame limit; those are
// for whoever asks for them by name.
bool HaveDisplay(std::string& error) {
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        error = std::string("no display could be opened: ") + SDL_GetError();
        return false;
    }
    const char* chosen = SDL_getenv("SDL_VIDEODRIVER");
    const char* driver = SDL_GetCurrentVideoDriver();
    bool seen = (chosen != nullptr && *chosen != '\0') || driver == nullptr ||
                (SDL_strcmp(driver, "offscreen") != 0 && SDL_strcmp(driver, "dummy") != 0);
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    if (!seen) error = "no display could be opened (no X or Wayland display found)";
    return seen;
}

}  // namespace

std::unique_ptr<Display> OpenSdlDisplay(const std::string& title, int width, int height, bool windowed, int hertz,
                                        bool fast, Clock& clock, std::string& error) {
    if (!HaveDisplay(error)) return nullptr;
    auto display = std::make_unique<SdlDisplay>(clock, !windowed, hertz, fast, width, height);
    if (!display->Open(title, error)) return nullptr;
    display->Calibrate();
    return display;
}

SDL_Window* SdlDisplayWindow(Display& display) {
    auto* sdl = dynamic_cast<SdlDisplay*>(&display);
    return sdl ? sdl->window() : nullptr;
}
