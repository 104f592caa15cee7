#include "game/watch.hpp"

#include <cstdio>
#include <memory>
#include <optional>
#include <utility>

#include "game/game.hpp"
#include "game/hud.hpp"
#include "game/game_start.hpp"
#include "game/kept_replays.hpp"
#include "game/scores.hpp"
#include "platform/input/input.hpp"
#include "platform/system/message.hpp"
#include "platform/system/replay_page.hpp"
#include "platform/video/text.hpp"

namespace {

// Any key, mouse button or joystick button pressed since the last look, its
// press taken. Moving the mouse or the stick is not a press.
bool TakeAnyPress(Input& input) {
    bool pressed = false;
    for (int key = 0; key < Input::kKeys; ++key) pressed = input.KeyHits(key) != 0 || pressed;
    for (int button = 1; button < Input::kMouseButtons; ++button) pressed = input.MouseHits(button) != 0 || pressed;
    for (int button = 0; button < Input::kJoyButtons; ++button)
        pressed = input.JoyButtonHits(button, 0) != 0 || pressed;
    return pressed;
}

// Small, in the top left corner under the score, where the playfield is
// empty of the HUD.
void DrawReplayCaption(Game& host, const std::string& name) {
    Graphics& gfx = host.services.graphics;
    std::string caption = name.empty() ? "REPLAY" : "REPLAY - " + name;
    gfx.SetScale(0.7f, 0.7f);
    ShadowedText(host, caption, 4, 28, 2, 26, 250, 80, 80);
    gfx.SetScale(1, 1);
    gfx.SetColor(255, 255, 255);
}

void Report(const OneGamePlay& play) {
    const char* how = nullptr;
    switch (play.ending()) {
    case OneGamePlay::Ending::kGameOver:
        how = "its game over came";
        break;
    case OneGamePlay::Ending::kQuit:
        how = "it was quit from the pause menu";
        break;
    case OneGamePlay::Ending::kNewGame:
        how = "another game was started";
        break;
    case OneGamePlay::Ending::kLeft:
        how = "the game was left";
        break;
    case OneGamePlay::Ending::kPastEnd:
        how = "no game over had come";
        break;
    case OneGamePlay::Ending::kPlaying:
        return;
    }
    std::fprintf(stderr,
                 "rezarudev: the watched game does not play as recorded: %s at frame %d, where its recording has its "
                 "game over at frame %d\n",
                 how, play.last_frame(), play.recording().end);
}

}  // namespace

Watch::Watch(Game& host, ReplayFile recording, std::string name, bool ends_run)
    : host_(host),
      play_(host.services, std::move(recording), host.folders.sounds),
      name_(std::move(name)),
      ends_run_(ends_run) {}

void Watch::Begin() {
    host_music_ = host_.sound.MusicPlaying();
    if (host_music_) host_.sound.PauseMusic();
    play_.BorrowAssets(host_);
    play_.Start();
}

Watch::~Watch() {
    if (host_music_) host_.sound.ResumeMusic();
}

void StartWatching(Game& host, ReplayFile recording, std::string name, bool ends_run) {
    host.next_watch = std::make_unique<Watch>(host, std::move(recording), std::move(name), ends_run);
}

bool WatchFile(Game& host, const std::string& path) {
    std::string error;
    std::optional<ReplayFile> recording = ReadRecording(path, error);
    if (recording && !recording->one_game) {
        error = Printable(path) + ": a recording of a whole run, not of one game";
        recording.reset();
    }
    if (!recording) {
        std::fprintf(stderr, "rezarudev: %s\n", error.c_str());
        RefuseOpenedReplay(error);
        return false;
    }
    std::string name = NameCharsOf(recording->name);
    StartWatching(host, std::move(*recording), std::move(name), false);
    return true;
}

bool WatchEntry(Game& host, int index) {
    if (!CanWatchEntry(host, index)) return false;
    std::string error;
    std::optional<ReplayFile> recording = ReadEntryReplay(host.scores.path, host.scores.table, index, error);
    if (!recording) {
        // Changed or gone since it was last looked at.
        std::fprintf(stderr, "rezarudev: %s\n", error.c_str());
        host.scores.watchable[host.scores.table.entries[static_cast<std::size_t>(index)].replay] = false;
        return false;
    }
    StartWatching(host, std::move(*recording), host.scores.table.entries[static_cast<std::size_t>(index)].name, false);
    return true;
}

bool WatchFrame(Game& host) {
    Watch& watch = *host.watch;
    Input& live = host.services.input;
    bool stop = TakeAnyPress(live);
    OneGamePlay& play = watch.play();
    play.DrawFrame();
    DrawReplayCaption(host, watch.name());
    host.Flip();
    host.WaitWhileSuspended();
    play.FinishFrame();
    bool close = live.TerminateRequested() != 0;
    bool ended = stop || play.over();
    bool ends_run = watch.ends_run();
    if (ended) {
        bool as_recorded = stop || (play.ending() == OneGamePlay::Ending::kGameOver &&
                                    play.last_frame() == play.recording().end);
        if (!as_recorded) Report(play);
        if (!as_recorded && ends_run) host.watch_failed = true;
        host.watch.reset();
        // The press that ended it does nothing on the screen it returns to.
        host.title_idle.seen_activity = live.Activity();
        host.table_screen.frames = 0;
    }
    host.NextFrame();
    if (ended && ends_run) return false;
    return !close && !host.frame_limit_reached;
}
