#pragma once

#include "platform/input/input.hpp"

struct Bindings;

// The browser's page keeps the game's keys from the browser and shows them on
// its help line, so it is told the bindings in force, and whether a key is
// awaited (then every key is the game's, Esc too). Nothing on the desktop.
void TellPageTheControls(const Bindings& bindings, ControlMode mode);
