#pragma once

#include "entities/player/autopow.hpp"
#include "entities/player/trigpow.hpp"

// The power-up kinds, each named once: what the HUD's power-up line calls
// it, the uses a pickup gives a trigger kind (automatic kinds have none) and
// the popup where it is picked up (null for the kinds no pickup gives).
struct PowerUpKind {
    const char* name;
    int uses;
    const char* pickup_text;
};

// Indexed by AutoKind.
inline constexpr PowerUpKind kAutoKinds[] = {
    {"None", 0, nullptr},
    {"Shield", 0, "Auto: Shield"},
    {"Gun Sat", 0, "Auto: Gun Sat"},
    {"Hologram", 0, "Auto: Hologram"},
    // Given by a second Hologram.
    {"Tri-Force", 0, "Auto: Tri-Force"},
};

// Indexed by TriggerKind.
inline constexpr PowerUpKind kTriggerKinds[] = {
    // The ship's own, never used up.
    {"Hyper-Space", 0, nullptr},
    {"Mines", 8, "Trigger: Mines"},
    {"Rocket", 5, "Trigger: Rocket"},
    {"Armageddon", 3, "Trigger: Armageddon"},
    // No uses, yet the trigger still fires it once. Its popup reads "Auto"
    // though it is a trigger power-up, and spells "Smart Bomb" unlike the
    // HUD: the wording is kept on purpose.
    {"Smart-Bomb", 0, "Auto: Smart Bomb"},
};
