#pragma once

#include <string>

// The user's login name as the system gives it, for the name a new entry of
// the score table offers; empty where there is none (a browser has no users).
std::string LoginName();
