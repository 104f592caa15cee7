#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/system/clock.hpp"
#include "platform/video/letterbox.hpp"
#include "platform/video/renderer.hpp"

// The software frame timer: 1000 / hertz milliseconds a frame with the
// remainder carried in an accumulator, so 60 Hz paces 16, 17, 17 ms and 60
// frames take exactly one second. A late frame is not made up.
class FramePacer {
public:
    void Start(int hertz, int now);
    // Sleeps until the next frame is due.
    void Wait(Clock& clock);

    int frame_ms() const { return frame_ms_; }
    int frame_rem() const { return frame_rem_; }

private:
    int hertz_ = 0;
    int frame_ms_ = 0;
    int frame_rem_ = 0;
    int accumulator_ = 0;
    // Unsigned, as the clock it follows wraps.
    std::uint32_t next_frame_ = 0;
};

// An open display: a 640x480 back buffer to draw into and the page flip that
// presents it and paces the game.
class Display {
public:
    Display(Clock& clock, bool fullscreen, int hertz, bool fast);
    virtual ~Display() = default;

    virtual Renderer& renderer() = 0;

    // -1: paced to the refresh rate; 0: at once; 1: at the vertical blank.
    void Flip(int sync);
    // Times flips at the vertical blank for up to a second; when three in a
    // row take one refresh period the hardware paces us, otherwise the
    // software timer does. A full-screen window that lacks the input focus
    // does not wait for the vertical blank, so this first waits a little
    // (kFocusWaitMs at most) for the focus that a new window is given.
    void Calibrate();

    static constexpr int kFocusWaitMs = 500;

    // Full screen or window from the next flip on; nothing else restarts.
    void ToggleFullscreen() { wanted_fullscreen_ = !wanted_fullscreen_; }

    bool fullscreen() const { return fullscreen_; }
    bool soft_pacing() const { return soft_pacing_; }
    int flips() const { return flips_; }

protected:
    // Shows the back buffer; swap_interval 1 waits for the vertical blank.
    virtual void Present(int swap_interval) = 0;
    // Takes in the window system's pending news and tells whether the window
    // has the input focus.
    virtual bool HasFocus() { return true; }
    // Switches the platform's window; false when it refuses.
    virtual bool SwitchFullscreen(bool) { return true; }

private:
    void ApplyWantedMode();

    Clock& clock_;
    bool fullscreen_;
    bool wanted_fullscreen_;
    bool fast_;
    int hertz_;
    bool soft_pacing_;
    FramePacer pacer_;
    int flips_ = 0;
};

struct SDL_Window;

// Opens the real display: an SDL window with an OpenGL context, drawn into a
// 640x480 framebuffer object that each flip scales to the window, keeping the
// aspect (letterboxed). Null, with a message in `error`, when it cannot.
std::unique_ptr<Display> OpenSdlDisplay(const std::string& title, int width, int height, bool windowed, int hertz,
                                        bool fast, Clock& clock, std::string& error);
SDL_Window* SdlDisplayWindow(Display& display);
