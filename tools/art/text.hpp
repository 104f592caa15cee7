#pragma once

#include <string>
#include <vector>

#include "canvas.hpp"

struct RenderedText {
    Mask mask;
    std::vector<int> letter_centres;  // x of each letter's middle, in mask pixels
};

// Rasterises a TrueType face; glyphs may be stretched by giving different pixel width and height.
class FontRasteriser {
public:
    explicit FontRasteriser(const std::string& font_path);
    ~FontRasteriser();
    FontRasteriser(const FontRasteriser&) = delete;
    FontRasteriser& operator=(const FontRasteriser&) = delete;

    // The mask is cropped to the inked pixels.
    RenderedText Render(const std::string& text, int pixel_width, int pixel_height, int extra_spacing = 0) const;

    // The largest rendering whose ink fits in the box, keeping the given width:height stretch of the glyphs.
    RenderedText Fit(const std::string& text, int box_width, int box_height, float stretch,
                     int extra_spacing = 0) const;

private:
    struct Library;
    Library* library_;
};
