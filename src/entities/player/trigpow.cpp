#include "entities/player/trigpow.hpp"

#include "game/game.hpp"

// The ring, the flash and a running spin are left alone: a new pickup only
// changes what the next trigger press does.
void trigpow_tag::Create(Game& game, int p) {
    trigpow_tag& trigpow = game.trigpow;
    switch (p) {
    case 0:
        trigpow.ptype = 0;
        break;
    case 1:
        trigpow.ptype = 1;
        trigpow.uses = 8;
        break;
    case 2:
        trigpow.ptype = 2;
        trigpow.uses = 5;
        break;
    case 3:
        trigpow.ptype = 3;
        trigpow.uses = 3;
        break;
    case 4:
        // No uses left, yet the trigger still fires it once.
        trigpow.ptype = 4;
        trigpow.uses = 0;
        break;
    default:
        break;
    }
}
