#pragma once

#include "game/game.hpp"
#include "platform/audio/audio.hpp"
#include "platform/input/input.hpp"
#include "platform/system/manual_clock.hpp"
#include "platform/video/collision.hpp"
#include "platform/video/draw.hpp"
#include "platform/video/null_display.hpp"
#include "platform/video/text.hpp"

// What the board plays a game on: no window, no GL, no sound device. A null
// display, a clock that stands still and a mixer nobody listens to; with no
// sound files every effect and track is silence. Nothing in a game's course
// depends on a sound (track 0 draws its random number all the same), so a
// game goes frame for frame as on the desktop.
struct NullPlatform {
    ManualClock clock;
    NullDisplay display{clock};
    Graphics graphics{display.renderer()};
    Audio audio{clock, false};
    Text text{graphics};
    Collision collision{graphics};

    // As every display is set up before a game starts: without it, images
    // and their collisions are made from a draw state the renderer was
    // never given, and some collisions come out otherwise than on the
    // desktop.
    NullPlatform() { graphics.ApplyState(); }
    NullPlatform(const NullPlatform&) = delete;
    NullPlatform& operator=(const NullPlatform&) = delete;

    // The platform with `input` for its input.
    Services With(Input& input) { return {clock, display, graphics, input, audio, text, collision}; }
};
