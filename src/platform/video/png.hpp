#pragma once

#include <optional>
#include <span>
#include <string>

#include "platform/video/pixmap.hpp"

// Decodes a PNG into a grey, RGB or RGBA pixmap (8 bits per channel).
std::optional<TPixmap> DecodePng(std::span<const unsigned char> bytes);

// Writes an RGBA pixmap as a PNG; false (with errno-style detail lost) when
// the file cannot be written.
bool WritePng(const std::string& path, const TPixmap& pixmap);
