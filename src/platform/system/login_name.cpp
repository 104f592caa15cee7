#include "platform/system/login_name.hpp"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>

std::string LoginName() {
    std::string login;
    if (const passwd* user = ::getpwuid(::getuid()); user != nullptr && user->pw_name != nullptr) login = user->pw_name;
    if (login.empty() && std::getenv("USER") != nullptr) login = std::getenv("USER");
    return login;
}
