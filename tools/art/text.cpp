#include "text.hpp"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <climits>
#include <cmath>
#include <stdexcept>

struct FontRasteriser::Library {
    FT_Library library = nullptr;
    FT_Face face = nullptr;
};

FontRasteriser::FontRasteriser(const std::string& font_path) : library_(new Library) {
    if (FT_Init_FreeType(&library_->library) != 0 ||
        FT_New_Face(library_->library, font_path.c_str(), 0, &library_->face) != 0) {
        if (library_->library) {
            FT_Done_FreeType(library_->library);
        }
        delete library_;
        throw std::runtime_error("cannot open font " + font_path);
    }
}

FontRasteriser::~FontRasteriser() {
    FT_Done_Face(library_->face);
    FT_Done_FreeType(library_->library);
    delete library_;
}

namespace {

struct PlacedGlyph {
    std::vector<unsigned char> pixels;
    int width = 0;
    int height = 0;
    int pitch = 0;
    int left = 0;  // pen-relative, y grows downwards from the baseline
    int top = 0;
};

}  // namespace

RenderedText FontRasteriser::Render(const std::string& text, int pixel_width, int pixel_height,
                                    int extra_spacing) const {
    FT_Face face = library_->face;
    if (FT_Set_Pixel_Sizes(face, static_cast<FT_UInt>(pixel_width), static_cast<FT_UInt>(pixel_height)) != 0) {
        throw std::runtime_error("font size refused");
    }
    std::vector<PlacedGlyph> glyphs;
    long pen = 0;  // 26.6 fixed point
    FT_UInt previous = 0;
    for (char letter : text) {
        const FT_UInt index = FT_Get_Char_Index(face, static_cast<FT_ULong>(static_cast<unsigned char>(letter)));
        if (previous != 0 && index != 0 && FT_HAS_KERNING(face)) {
            FT_Vector kerning;
            FT_Get_Kerning(face, previous, index, FT_KERNING_DEFAULT, &kerning);
            pen += kerning.x;
        }
        if (FT_Load_Glyph(face, index, FT_LOAD_RENDER | FT_LOAD_NO_HINTING) != 0) {
            throw std::runtime_error("glyph failed to render");
        }
        const FT_GlyphSlot slot = face->glyph;
        PlacedGlyph glyph;
        glyph.width = static_cast<int>(slot->bitmap.width);
        glyph.height = static_cast<int>(slot->bitmap.rows);
        glyph.pitch = slot->bitmap.pitch;
        glyph.left = static_cast<int>(pen >> 6) + slot->bitmap_left;
        glyph.top = -slot->bitmap_top;
        glyph.pixels.assign(slot->bitmap.buffer,
                            slot->bitmap.buffer + static_cast<std::size_t>(glyph.height * std::abs(glyph.pitch)));
        glyphs.push_back(std::move(glyph));
        pen += slot->advance.x + extra_spacing * 64;
        previous = index;
    }
    int left = INT_MAX;
    int top = INT_MAX;
    int right = INT_MIN;
    int bottom = INT_MIN;
    for (const PlacedGlyph& glyph : glyphs) {
        if (glyph.width == 0 || glyph.height == 0) {
            continue;
        }
        left = std::min(left, glyph.left);
        top = std::min(top, glyph.top);
        right = std::max(right, glyph.left + glyph.width);
        bottom = std::max(bottom, glyph.top + glyph.height);
    }
    if (left > right) {
        return {Mask(1, 1), {}};
    }
    RenderedText result{Mask(right - left, bottom - top), {}};
    for (const PlacedGlyph& glyph : glyphs) {
        if (glyph.width == 0) {
            continue;
        }
        result.letter_centres.push_back(glyph.left - left + glyph.width / 2);
        for (int y = 0; y < glyph.height; ++y) {
            for (int x = 0; x < glyph.width; ++x) {
                const float value =
                    static_cast<float>(glyph.pixels[static_cast<std::size_t>(y * glyph.pitch + x)]) / 255.0f;
                result.mask.Max(glyph.left - left + x, glyph.top - top + y, value);
            }
        }
    }
    return result;
}

RenderedText FontRasteriser::Fit(const std::string& text, int box_width, int box_height, float stretch,
                                 int extra_spacing) const {
    int height = 8;
    RenderedText best = Render(text, std::max(1, static_cast<int>(std::lround(8.0f * stretch))), height, extra_spacing);
    for (height = 9; height < 2000; ++height) {
        const int width = std::max(1, static_cast<int>(std::lround(static_cast<float>(height) * stretch)));
        RenderedText candidate = Render(text, width, height, extra_spacing);
        if (candidate.mask.Width() > box_width || candidate.mask.Height() > box_height) {
            break;
        }
        best = std::move(candidate);
    }
    return best;
}
