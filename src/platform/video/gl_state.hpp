#pragma once

#include <cstddef>

#include "platform/video/letterbox.hpp"
#include "platform/video/pixmap.hpp"
#include "platform/video/queued_renderer.hpp"

// The GL state both back ends set the same way, with what was last sent, so
// that a run changes only what differs from the run before it.
class GlStateCache {
public:
    // Sends the clip, and the clear colour of a clearing run or else the
    // blend function, the bound texture and the line width. The back end
    // sets the rest (alpha test, texturing).
    void Apply(const QueuedRenderer::DrawSettings& settings);
    // Everything is sent again.
    void Forget();
    // The clip and clear colour are sent again (someone else set them).
    void ForgetClipAndClear();
    // The texture of that name is gone, or was bound behind the cache's back.
    void ForgetTexture(unsigned name);
    void ForgetTexture() { texture_known_ = false; }

private:
    int blend_ = -1;
    unsigned texture_ = 0;
    bool texture_known_ = false;
    int scissor_ = -1;
    int scissor_rect_[4] = {0, 0, 0, 0};
    float line_width_ = -1;
    int clear_[3] = {-1, -1, -1};
};

// Writes the data at the start of the buffer bound to `target`, which grows
// (to twice its size at least) only when the data does not fit: vertices
// reach the driver with one copy a frame and no new memory.
void StreamToBuffer(unsigned target, const void* data, std::size_t bytes, std::size_t& capacity);

// Clears the window outside the picture's rectangle to black; leaves the
// scissor test on.
void ClearAroundPicture(const Letterbox& box, int window_width, int window_height);

// The bound framebuffer's rectangle at (x, y) from the bottom-left, width x
// height, as RGBA with row 0 at the top and full alpha.
TPixmap ReadFramebuffer(int x, int y, int width, int height);
