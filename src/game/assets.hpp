#pragma once

#include <memory>

class Game;
class TImage;
class TImageFont;

// The images and the font the game draws with, made once at start-up.
struct GameImages {
    std::unique_ptr<TImage> ship_img, shot_img, particle_img, icons_img, burger_img, ufo_img, fries_img, flame_img,
        ring_img, gameover_img, explosion_img, title_img, bg_img, pause_img;
    std::unique_ptr<TImageFont> game_font;
};

// The empty sprite images, each the size of its cut of the atlas, handle at
// the centre.
void CreateSprites(Game& game);
// The sprites cut from the embedded atlas, the font, the background and the
// sound effects.
void LoadAssets(Game& game);
