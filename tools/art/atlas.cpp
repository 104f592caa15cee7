#include "pictures.hpp"

#include "sprites.hpp"

Canvas DrawAtlas(const FontRasteriser& font) {
    Canvas atlas(415, 317);
    for (int frame = 0; frame < 4; ++frame) {
        atlas.Paste(DrawShip(frame), 1 + 16 * frame, 1);
    }
    atlas.Paste(DrawShot(), 66, 1);
    atlas.Paste(DrawParticle(), 66, 13);
    for (int frame = 0; frame < 12; ++frame) {
        atlas.Paste(DrawIcon(frame), 89 + 16 * frame, 1);
    }
    atlas.Paste(DrawBurger(), 1, 40);
    atlas.Paste(DrawUfo(), 81, 40);
    atlas.Paste(DrawFries(), 137, 40);
    atlas.Paste(DrawFlame(), 158, 36);
    atlas.Paste(DrawRing(), 274, 72);
    atlas.Paste(DrawGameOver(font), 1, 106);
    atlas.Paste(DrawExplosion(), 1, 152);
    atlas.Paste(DrawTitle(font), 1, 209);
    return atlas;
}
