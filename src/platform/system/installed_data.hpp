#pragma once

#include <string>

// The installed data folder, found from the executable's own folder so that
// an install under any prefix works; empty when the platform cannot say (a
// page, whose sounds are packed at /data, has none: platform/web/installed_data.cpp).
std::string InstalledDataFolder();
