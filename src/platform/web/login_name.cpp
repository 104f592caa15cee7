#include "platform/system/login_name.hpp"

// The page runs for whoever opened it: there is no login to take a name from.
std::string LoginName() { return {}; }
