#pragma once

#include "canvas.hpp"
#include "text.hpp"

// Every sprite points up (angle 0) and is centred in its own canvas, because the game rotates it about the centre.
Canvas DrawShip(int frame);
Canvas DrawShot();
Canvas DrawParticle();
Canvas DrawIcon(int frame);
Canvas DrawBurger();
Canvas DrawUfo();
Canvas DrawFries();
Canvas DrawFlame();
Canvas DrawRing();
Canvas DrawExplosion();
Canvas DrawGameOver(const FontRasteriser& font);
Canvas DrawTitle(const FontRasteriser& font);

// Text with an outline and a drop, drawn supersampled; shared by the title, the caption and the splash logo.
struct TextStyle {
    float outline = 2.0f;  // pixels
    int drop_x = 0;        // pixels of extruded shadow
    int drop_y = 0;
    Colour outline_colour;
    Colour drop_colour;
    float stretch = 1.0f;  // glyph width:height
    int spacing = 0;       // extra pixels between letters
};
using LetterShader = std::function<Colour(float x, float y, float top, float bottom, int letter)>;
void DrawStyledText(Canvas& canvas, const FontRasteriser& font, const std::string& text, int left, int top, int width,
                    int height, const TextStyle& style, const LetterShader& fill);
