#include "game/game.hpp"

#include <utility>

#include "game/watch.hpp"
#include "platform/input/input.hpp"
#include "platform/video/collision.hpp"
#include "platform/video/display.hpp"
#include "platform/video/text.hpp"

Game::Game(Services& services_, GameFolders folders_)
    : services(services_), sound(services_.audio, random, folders_.sounds), folders(std::move(folders_)) {
    services.input.AddRecorder(&recorder);
}

Game::~Game() {
    next_watch.reset();
    watch.reset();
    services.input.RemoveRecorder(&recorder);
}

void Game::Flip() {
    picture_drawn = services.display.DrawsPicture(observer && observer->ReadsPicture(*this));
    if (observer) observer->FrameDrawn(*this);
    sound.frame_sounds.clear();
    services.display.Flip(-1);
}

void Game::NextFrame() {
    ++frame;
    services.input.BeginFrame(frame);
    if (recorder.starting()) recorder.FirstFrame(services.input.Controls());
    if (run.frame_limit >= 0 && frame >= run.frame_limit) frame_limit_reached = 1;
}

void Game::WaitWhileSuspended() {
    if (!services.input.IsSuspended()) return;
    // While a recording is watched its music is the one playing.
    GameSound& playing = watch ? watch->game().sound : sound;
    playing.PauseMusic();
    ::WaitWhileSuspended(services.input);
    playing.ResumeMusic();
}

void Game::FlushInput() { ::FlushInput(services.input); }
