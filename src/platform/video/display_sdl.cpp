#include <SDL.h>

#include <algorithm>
#include <optional>

#ifdef __GLIBC__
#include <malloc.h>
#endif

#include "platform/system/resources.hpp"
#include "platform/video/display.hpp"
#include "platform/video/display_platform.hpp"
#include "platform/video/png.hpp"

namespace {

constexpr const char* kDisplayOfWindow = "rezarudev-display";

void GiveBackFreedMemory();

// The same picture as the desktop menu's icon.
void SetWindowIcon(SDL_Window* window) {
    std::optional<TPixmap> icon = DecodePng(FindResource("rezarudev-64.png"));
    if (!icon) return;
    TPixmap rgba = ConvertToRGBA(*icon);
    SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormatFrom(rgba.pixels.data(), rgba.width, rgba.height, 32,
                                                              rgba.pitch, SDL_PIXELFORMAT_RGBA32);
    if (!surface) return;
    SDL_SetWindowIcon(window, surface);
    SDL_FreeSurface(surface);
}

class SdlDisplay final : public Display {
public:
    SdlDisplay(Clock& clock, bool fullscreen, int hertz, bool fast, int width, int height)
        : Display(clock, fullscreen, hertz, fast), width_(width), height_(height) {}

    ~SdlDisplay() override {
        SDL_DelEventWatch(WatchWindow, this);
        if (context_) {
            if (renderer_) renderer_->Detach();
            SDL_GL_DeleteContext(context_);
        }
        if (window_) SDL_DestroyWindow(window_);
        // The video system may well stay up; news of this window must not
        // reach the next one.
        SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
    }

    // Takes over one reference to the started video system.
    bool Open(const std::string& title, std::string& error) {
        SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
        SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
        SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
        SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
        // Resizable and sized as a window even in full screen, which is
        // the window SDL goes back to when full screen is toggled off.
        Uint32 flags = SDL_WINDOW_OPENGL | SDL_WINDOW_ALLOW_HIGHDPI | SDL_WINDOW_RESIZABLE;
        if (fullscreen()) flags |= SDL_WINDOW_FULLSCREEN_DESKTOP;
        int width = width_, height = height_;
        // A bigger window on big screens; the picture scales to fit.
        SDL_DisplayMode mode;
        if (SDL_GetDesktopDisplayMode(0, &mode) == 0) {
            int scale = std::max(1, std::min((mode.w - 80) / width, (mode.h - 120) / height));
            width *= scale;
            height *= scale;
        }
        // Shown only once it has its icon: an icon set on a mapped window changes
        // what X11 does with the focus.
        window_ = SDL_CreateWindow(title.c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, width, height,
                                   flags | SDL_WINDOW_HIDDEN);
        window_width_ = width;
        window_height_ = height;
        if (!window_) {
            error = std::string("cannot open a window: ") + SDL_GetError();
            return false;
        }
        SetWindowIcon(window_);
        SDL_SetWindowData(window_, kDisplayOfWindow, this);
        SDL_AddEventWatch(WatchWindow, this);
        SDL_ShowWindow(window_);
        context_ = SDL_GL_CreateContext(window_);
        if (!context_) {
            error = std::string("cannot create an OpenGL context: ") + SDL_GetError();
            return false;
        }
        int drawable_width = 0, drawable_height = 0;
        SDL_GL_GetDrawableSize(window_, &drawable_width, &drawable_height);
        renderer_ = AttachRenderer(width_, height_, drawable_width, drawable_height);
        if (!renderer_) {
            error = "cannot draw with this OpenGL driver";
            return false;
        }
        swap_interval_ = -1;
        SetSwapInterval(0);
        // Both buffers start cleared.
        renderer_->Cls();
        Flip(0);
        renderer_->Cls();
        Flip(0);
        return true;
    }

    Renderer& renderer() override { return *renderer_; }
    const QueuedRenderer* queued_renderer() const { return renderer_.get(); }
    SDL_Window* window() { return window_; }

protected:
    void Present(int swap_interval) override {
        // Losing focus in full screen stops waiting for the vertical blank.
        if (fullscreen() && !Focused()) swap_interval = 0;
        SetSwapInterval(swap_interval);
        int window_width = 0, window_height = 0;
        SDL_GL_GetDrawableSize(window_, &window_width, &window_height);
        // Swaps wait for the refresh when paced by it, so those are never left out.
        bool show_unchanged = swap_interval != 0 || uncovered_;
        uncovered_ = false;
        int kept_before = renderer_->frames_kept();
        renderer_->Present(window_width, window_height, show_unchanged, [this] { SDL_GL_SwapWindow(window_); });
        bool kept = renderer_->frames_kept() != kept_before;
        if (kept && !last_kept_) GiveBackFreedMemory();
        last_kept_ = kept;
        AfterPresent();
    }

    bool HasFocus() override {
        // Only moves the news into SDL's queue; the input layer still gets
        // every event.
        SDL_PumpEvents();
        return Focused();
    }

    bool SwitchFullscreen(bool fullscreen) override {
        if (fullscreen) SDL_GetWindowSize(window_, &window_width_, &window_height_);
        if (SDL_SetWindowFullscreen(window_, fullscreen ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0) != 0) return false;
        // Not every window manager gives the window its size back.
        if (!fullscreen) SDL_SetWindowSize(window_, window_width_, window_height_);
        return true;
    }

private:
    // A window shown again, or uncovered, needs its picture once more even
    // when the picture has not changed.
    static int WatchWindow(void* data, SDL_Event* event) {
        auto* display = static_cast<SdlDisplay*>(data);
        if (event->type != SDL_WINDOWEVENT || !display->window_ ||
            event->window.windowID != SDL_GetWindowID(display->window_))
            return 0;
        Uint8 what = event->window.event;
        if (what == SDL_WINDOWEVENT_EXPOSED || what == SDL_WINDOWEVENT_SHOWN || what == SDL_WINDOWEVENT_RESTORED ||
            what == SDL_WINDOWEVENT_SIZE_CHANGED)
            display->uncovered_ = true;
        return 0;
    }

    bool Focused() const { return (SDL_GetWindowFlags(window_) & SDL_WINDOW_INPUT_FOCUS) != 0; }

    void SetSwapInterval(int interval) {
        if (interval == swap_interval_) return;
        swap_interval_ = interval;
        SDL_GL_SetSwapInterval(interval);
    }

    int width_, height_;
    std::unique_ptr<QueuedRenderer> renderer_;
    SDL_Window* window_ = nullptr;
    SDL_GLContext context_ = nullptr;
    int swap_interval_ = -1;
    bool uncovered_ = true;
    bool last_kept_ = false;
    // The window's size out of full screen.
    int window_width_ = 0;
    int window_height_ = 0;
};

// With no X or Wayland display SDL falls back to drivers that show nothing,
// and the game would run unseen, for ever without a frame limit; those are
// for whoever asks for them by name. On success the caller holds one
// reference to the video system.
bool StartVideo(std::string& error) {
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        error = std::string("no display could be opened: ") + SDL_GetError();
        return false;
    }
    const char* chosen = SDL_getenv("SDL_VIDEODRIVER");
    const char* driver = SDL_GetCurrentVideoDriver();
    bool seen = (chosen != nullptr && *chosen != '\0') || driver == nullptr ||
                (SDL_strcmp(driver, "offscreen") != 0 && SDL_strcmp(driver, "dummy") != 0);
    if (!seen) {
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        error = "no display could be opened (no X or Wayland display found)";
    }
    return seen;
}

// Mesa's software driver allocates and frees megabytes of working memory in
// every frame. Given back to the system each time, it is faulted in again
// page by page at the next frame, which cost a quarter of a busy frame; kept
// in the heap, it is used again as it is.
void KeepFreedMemory() {
#ifdef __GLIBC__
    mallopt(M_MMAP_THRESHOLD, 32 << 20);
    mallopt(M_TRIM_THRESHOLD, 32 << 20);
#endif
}

// A still picture needs none of that working memory, so what is kept goes
// back once a still picture starts.
void GiveBackFreedMemory() {
#ifdef __GLIBC__
    malloc_trim(0);
#endif
}

}  // namespace

std::unique_ptr<Display> OpenSdlDisplay(const std::string& title, int width, int height, bool windowed, int hertz,
                                        bool fast, Clock& clock, std::string& error) {
    if (!StartVideo(error)) return nullptr;
    KeepFreedMemory();
    if (!MayOpenFullscreen()) windowed = true;
    auto display = std::make_unique<SdlDisplay>(clock, !windowed, hertz, fast, width, height);
    if (!display->Open(title, error)) return nullptr;
    // An X server whose last client leaves resets and refuses connections
    // meanwhile, so the next display of this process could find none; once
    // a display has opened, the connection stays until the process ends.
    static const bool kept = SDL_InitSubSystem(SDL_INIT_VIDEO) == 0;
    static_cast<void>(kept);
    display->Calibrate();
    return display;
}

SDL_Window* SdlDisplayWindow(Display& display) {
    auto* sdl = dynamic_cast<SdlDisplay*>(&display);
    return sdl ? sdl->window() : nullptr;
}

Letterbox PictureInWindow(SDL_Window* window, int drawable_width, int drawable_height, int width, int height) {
    auto* display = window ? static_cast<SdlDisplay*>(SDL_GetWindowData(window, kDisplayOfWindow)) : nullptr;
    if (display && display->queued_renderer())
        return display->queued_renderer()->PictureIn(drawable_width, drawable_height);
    return FitPicture(drawable_width, drawable_height, width, height);
}
