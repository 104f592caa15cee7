#pragma once

#include <memory>
#include <string>

#include "store/store.hpp"

// The embedded store: one SQLite file beside the board (or anywhere),
// written ahead in a log and synced at every commit, so a game answered for
// survives the board being killed and the machine losing power.
std::unique_ptr<Store> OpenSqliteStore(const std::string& path, std::string& error);
