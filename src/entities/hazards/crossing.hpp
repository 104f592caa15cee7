#pragma once

#include "platform/system/random.hpp"

// The countdown to the next crossing of the UFO or the pickup: 250 to 1249
// frames.
inline int CrossingDelay(Random& random) { return static_cast<int>(250 + random.RandomReal(0, 1000)); }
