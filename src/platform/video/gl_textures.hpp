#pragma once

#include "platform/video/pixmap.hpp"
#include "platform/video/queued_renderer.hpp"

// Makes the frame's texture from the pixmap, as a power-of-two texture of
// the largest size the driver accepts (`accepts`), stored with
// `internal_format`; the flags choose filtering and mipmaps. Leaves the new
// texture bound. Stops the program when even 1x1 is refused.
void MakeTexture(TextureFrame& frame, const TPixmap& pixmap, int flags, bool (*accepts)(int width, int height),
                 int internal_format);
