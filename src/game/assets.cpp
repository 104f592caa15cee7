#include "game/assets.hpp"

#include "game/game.hpp"
#include "platform/video/text.hpp"

namespace {

// Where each sprite sits in the atlas; frame n of a strip is 16 pixels
// further right.
struct SpriteCut {
    std::unique_ptr<TImage> GameImages::*image;
    int width, height, frames, x, y;
};

constexpr SpriteCut kShipCut{&GameImages::ship_img, 15, 37, 4, 1, 1};
constexpr SpriteCut kIconsCut{&GameImages::icons_img, 15, 15, 12, 89, 1};
// The order of the single-frame grabs is the order the sprites are cut.
constexpr SpriteCut kSingleCuts[] = {
    {&GameImages::title_img, 321, 104, 1, 1, 209},   {&GameImages::shot_img, 4, 9, 1, 66, 1},
    {&GameImages::burger_img, 77, 63, 1, 1, 40},     {&GameImages::particle_img, 20, 17, 1, 66, 13},
    {&GameImages::flame_img, 112, 68, 1, 158, 36},   {&GameImages::ring_img, 139, 132, 1, 274, 72},
    {&GameImages::explosion_img, 58, 55, 1, 1, 152}, {&GameImages::gameover_img, 203, 24, 1, 1, 106},
    {&GameImages::ufo_img, 53, 53, 1, 81, 40},       {&GameImages::fries_img, 18, 30, 1, 137, 40},
};

void CreateSprite(Game& game, const SpriteCut& cut) {
    game.images.*cut.image = game.services.graphics.CreateImage(cut.width, cut.height, cut.frames);
}

}  // namespace

void CreateSprites(Game& game) {
    Graphics& gfx = game.services.graphics;
    gfx.SetAutoMidHandle(true);
    CreateSprite(game, kShipCut);
    CreateSprite(game, kIconsCut);
    for (const SpriteCut& cut : kSingleCuts) CreateSprite(game, cut);
    gfx.SetAutoMidHandle(false);
}

void LoadAssets(Game& game) {
    Graphics& gfx = game.services.graphics;
    std::unique_ptr<TImage> atlas = gfx.LoadImage("incbin::burger1_sf1.png", -1);
    gfx.Cls();
    if (atlas) gfx.DrawImage(*atlas, 0, 0, 0);
    for (int n = 0; n < kShipCut.frames; ++n) gfx.GrabImage(*game.images.ship_img, kShipCut.x + 16 * n, kShipCut.y, n);
    for (int n = 0; n < kIconsCut.frames; ++n)
        gfx.GrabImage(*game.images.icons_img, kIconsCut.x + 16 * n, kIconsCut.y, n);
    for (const SpriteCut& cut : kSingleCuts) gfx.GrabImage(*(game.images.*cut.image), cut.x, cut.y, 0);
    game.images.game_font = game.services.text.LoadFont("incbin::256bytes.ttf", 22, 4);
    game.services.text.SetFont(game.images.game_font.get());
    game.images.bg_img = gfx.LoadImage("incbin::burger1_bg.png", -1);
    if (!game.images.bg_img) game.images.bg_img = gfx.CreateImage(640, 640, 1);
    gfx.SetImageMidHandle(*game.images.bg_img);
    game.sound.LoadEffects();
}
