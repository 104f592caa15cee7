#pragma once

#include <memory>

#include "platform/video/queued_renderer.hpp"

// Where the display differs in a browser, which has WebGL only and shares
// its one thread with the page (desktop: display_platform.cpp, browser:
// platform/web/display_platform.cpp).

// The back end that draws into a drawable of that size on the current
// context: the OpenGL ES 2.0 one wherever the driver has what it needs, the
// GL 1.x one on older desktop drivers and where the other could not start
// (it said why). Null when none can draw.
std::unique_ptr<QueuedRenderer> AttachRenderer(int width, int height, int drawable_width, int drawable_height);

// Whether the display may open full screen by itself: a page may go full
// screen only when the player asks, with a click or a key.
bool MayOpenFullscreen();

// After each picture is shown: a browser draws, plays sound and takes input
// only while the game waits, so a game that has not waited for a while
// (--fast, or frames that run late) waits here for a moment.
void AfterPresent();
