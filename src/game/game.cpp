#include "game/game.hpp"

#include <utility>

#include "platform/input/input.hpp"
#include "platform/video/collision.hpp"
#include "platform/video/display.hpp"
#include "platform/video/text.hpp"

Game::Game(Services& services_, GameFolders folders_)
    : services(services_), sound(services_.audio, random, folders_.sounds), folders(std::move(folders_)) {}

Game::~Game() = default;
