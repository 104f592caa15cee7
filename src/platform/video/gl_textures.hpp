#pragma once

#include <memory>

#include "platform/video/pixmap.hpp"
#include "platform/video/queued_renderer.hpp"

// The GL renderer whose context is current (null: none). Textures of any
// other display went with their context and are not freed again.
void SetLiveRenderer(QueuedRenderer* renderer);
// The renderer's context is going: if it is the live one, none is.
void LeaveLiveRenderer(QueuedRenderer* renderer);

// Makes a frame's texture from the pixmap, as a power-of-two texture of
// the largest size the driver accepts (`accepts`), stored with
// `internal_format`; the flags choose filtering and mipmaps. Leaves the new
// texture bound. Stops the program when even 1x1 is refused.
std::unique_ptr<TRenderFrame> MakeTexture(const TPixmap& pixmap, int flags, bool (*accepts)(int width, int height),
                                          int internal_format);
