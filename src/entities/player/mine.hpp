#pragma once

class Game;
class TImage;

struct mine_tag {
    float x = 0, y = 0;
    float rotation = 0;
    float direction = 0;
    float speed = 0;

    static void Create(Game& game, float x, float y, float rotation);
    void update(Game& game);
};

// Tests a mine or rocket, drawn as icons_img `frame` at (x, y) turned by
// `rotation`, against the UFO and then its fries, scoring each hit with a
// popup at the weapon. True when either was hit: the weapon is spent.
bool StrikeUfo(Game& game, int frame, float x, float y, float rotation);
