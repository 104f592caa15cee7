#include "game/game.hpp"

#include <utility>

#include "platform/input/input.hpp"
#include "platform/video/collision.hpp"
#include "platform/video/display.hpp"
#include "platform/video/text.hpp"

Game::Game(Services& services_, GameFolders folders_)
    : services(services_), sound(services_.audio, random, folders_.sounds), folders(std::move(folders_)) {}

Game::~Game() = default;

void Game::Flip() {
    picture_drawn = services.display.DrawsPicture(observer && observer->ReadsPicture(*this));
    if (observer) observer->FrameDrawn(*this);
    sound.frame_sounds.clear();
    services.display.Flip(-1);
}

void Game::NextFrame() {
    ++frame;
    services.input.BeginFrame(frame);
    if (run.frame_limit >= 0 && frame >= run.frame_limit) frame_limit_reached = 1;
}

void Game::WaitWhileSuspended() {
    if (!services.input.IsSuspended()) return;
    sound.PauseMusic();
    ::WaitWhileSuspended(services.input);
    sound.ResumeMusic();
}

void Game::FlushInput() { ::FlushInput(services.input); }
