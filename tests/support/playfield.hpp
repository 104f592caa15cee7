#pragma once

#include <algorithm>
#include <string>
#include <vector>

#include "game/game.hpp"

// Helpers the entity and rules tests share for looking at one frame and for
// putting the ship where a test needs it.

// How often the effect `stem` was started since the sound list was last
// cleared.
inline int Sounds(const Game& game, const std::string& stem) {
    return static_cast<int>(std::ranges::count(game.sound.frame_sounds, stem));
}

// The texts of the score popups, oldest first.
inline std::vector<std::string> PopupTexts(Game& game) {
    std::vector<std::string> texts;
    for (points_tag* popup : game.points_list.Objects()) texts.push_back(popup->str);
    return texts;
}

// The ship in normal flight at (x, y), facing up, where hazards can touch it.
inline void PutShipInPlay(Game& game, float x, float y) {
    player_tag& player = game.player;
    player.x = x, player.y = y, player.rotation = 0;
    player.death_tmr = 0, player.hspace_ctr = 0, player.flash_on = 0;
    game.game_over = 0, game.warp_on = 0;
}

// The ship in a death countdown that never ends, far from the centre: no
// hazard can touch it until a test puts it in play.
inline void PutShipOutOfPlay(Game& game) {
    game.player.death_tmr = 1;
    game.player.x = 600, game.player.y = 440;
}
