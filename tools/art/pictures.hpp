#pragma once

#include "canvas.hpp"
#include "text.hpp"

// The three embedded pictures. The atlas keeps every sprite inside its own rectangle.
Canvas DrawAtlas(const FontRasteriser& font);
Canvas DrawBackground();
Canvas DrawSplashLogo(const FontRasteriser& font);
