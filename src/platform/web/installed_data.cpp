#include "platform/system/installed_data.hpp"

std::string InstalledDataFolder() { return {}; }
