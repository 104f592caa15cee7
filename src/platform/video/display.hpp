#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/system/clock.hpp"
#include "platform/video/letterbox.hpp"
#include "platform/video/renderer.hpp"

// The software frame timer: 1000 / hertz milliseconds a frame with the
// remainder carried in an accumulator, so 60 Hz paces 16, 17, 17 ms and 60
// frames take exactly one second. A late frame is not made up, unless the
// frames after it are to make up for it (by dropping their pictures).
class FramePacer {
public:
    void Start(int hertz, int now);
    // Sleeps until the next frame is due. A frame already late starts the
    // schedule again from now, or, with `keep_schedule`, is shown at once
    // and leaves its lateness to the frames after it.
    void Wait(Clock& clock, bool keep_schedule = false);
    // Milliseconds past the moment the next frame is due (negative: before).
    int Lateness(Clock& clock) const;
    // The next frame's slot passes with no picture and no sleep.
    void Skip();

    int frame_ms() const { return frame_ms_; }
    int frame_rem() const { return frame_rem_; }

private:
    std::uint32_t NextDue(int& accumulator) const;

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
    // Paced flips keep the game at its rate when pictures take too long to
    // draw: the steps that follow a late picture drop theirs (their drawing
    // never reaches the screen) until the game is back on time, at most
    // kMostDroppedInARow in a row, after which the game slows instead.
    void Flip(int sync);
    // Whether the coming paced flip shows this step's picture; asked before
    // anything reports the step. A picture that is `kept` (read back, or
    // wanted for its own sake) is never dropped.
    bool DrawsPicture(bool kept);

    static constexpr int kMostDroppedInARow = 3;
    // Times flips at the vertical blank for up to a second; when three in a
    // row take one refresh period the hardware paces us, otherwise the
    // software timer does. A full-screen window that lacks the input focus
    // does not wait for the vertical blank, so this first waits a little
    // (kFocusWaitMs at most) for the focus that a new window is given. Full
    // screen calibrates again whenever it regains the focus, so a session that
    // began without it does not keep the software timer.
    void Calibrate();

    static constexpr int kFocusWaitMs = 500;

    // Full screen or window from the next flip on; nothing else restarts.
    void ToggleFullscreen() { wanted_fullscreen_ = !wanted_fullscreen_; }

    bool fullscreen() const { return fullscreen_; }
    bool soft_pacing() const { return soft_pacing_; }
    int flips() const { return flips_; }
    int dropped() const { return dropped_; }
    int longest_dropped_run() const { return longest_dropped_run_; }
    // Vertical blanks a shown picture waits for: more than one on screens
    // refreshed at a multiple of the game's rate.
    int refreshes_a_frame() const { return refreshes_a_frame_; }

protected:
    // Shows the back buffer; swap_interval 1 waits for the vertical blank.
    virtual void Present(int swap_interval) = 0;
    // Takes in the window system's pending news and tells whether the window
    // has the input focus.
    virtual bool HasFocus() { return true; }
    // Switches the platform's window; false when it refuses.
    virtual bool SwitchFullscreen(bool) { return true; }
    // Whether none of this step's drawing has reached the screen yet, and
    // discarding it. Displays that cannot drop a picture draw every one.
    virtual bool CanDropPicture() const { return false; }
    virtual void DropPicture() {}

private:
    void ApplyWantedMode();
    bool PictureLate();

    Clock& clock_;
    bool fullscreen_;
    bool wanted_fullscreen_;
    bool fast_;
    int hertz_;
    bool soft_pacing_;
    FramePacer pacer_;
    int flips_ = 0;
    bool had_focus_ = true;
    int refreshes_a_frame_ = 1;
    // The answer DrawsPicture gave for the coming flip.
    bool decided_ = false;
    bool drawn_ = true;
    int dropped_ = 0;
    int dropped_in_a_row_ = 0;
    int longest_dropped_run_ = 0;
    // At the vertical blank: refresh periods the last pictures took beyond
    // one a step, still to be made up, and when the last one was shown.
    int owed_ = 0;
    int steps_since_shown_ = 0;
    int last_shown_ = 0;
};

struct SDL_Window;

// Opens the real display: an SDL window with an OpenGL context, drawn into a
// 640x480 framebuffer object that each flip scales to the window, keeping the
// aspect (letterboxed). Null, with a message in `error`, when it cannot.
std::unique_ptr<Display> OpenSdlDisplay(const std::string& title, int width, int height, bool windowed, int hertz,
                                        bool fast, Clock& clock, std::string& error);
SDL_Window* SdlDisplayWindow(Display& display);
// Where the display of that window shows its width x height picture in a
// drawable of the given size; a window of no display letterboxes it.
Letterbox PictureInWindow(SDL_Window* window, int drawable_width, int drawable_height, int width, int height);
