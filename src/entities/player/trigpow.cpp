#include "entities/player/trigpow.hpp"

#include "game/game.hpp"

// The ring, the flash and a running spin are left alone: a new pickup only
// changes what the next trigger press does.
void trigpow_tag::Create(Game& game, int p) {
    trigpow_tag& trigpow = game.trigpow;
    switch (p) {
    case kTriggerHyperspace:
        trigpow.ptype = kTriggerHyperspace;
        break;
    case kTriggerMines:
        trigpow.ptype = kTriggerMines;
        trigpow.uses = 8;
        break;
    case kTriggerRocket:
        trigpow.ptype = kTriggerRocket;
        trigpow.uses = 5;
        break;
    case kTriggerArmageddon:
        trigpow.ptype = kTriggerArmageddon;
        trigpow.uses = 3;
        break;
    case kTriggerSmartBomb:
        // No uses left, yet the trigger still fires it once.
        trigpow.ptype = kTriggerSmartBomb;
        trigpow.uses = 0;
        break;
    default:
        break;
    }
}
