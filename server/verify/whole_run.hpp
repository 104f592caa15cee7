#pragma once

#include <memory>
#include <string>

#include "game/game.hpp"
#include "platform/input/input.hpp"
#include "platform/input/replay.hpp"
#include "verify/null_platform.hpp"

// A whole-run recording played by the game's own code as the desktop game's
// --replay plays it, from the first frame of the splash, but on the null
// platform and with no file written.
class WholeRunPlay {
public:
    // `empty_folder` stands in for the player's data folder: it holds no best
    // score and no score table, as on a fresh install, and nothing is ever
    // written to it.
    WholeRunPlay(ReplayFile replay, const std::string& empty_folder, FrameObserver* observer = nullptr);
    ~WholeRunPlay();
    WholeRunPlay(const WholeRunPlay&) = delete;
    WholeRunPlay& operator=(const WholeRunPlay&) = delete;

    // Start-up and the splash, whose frames are the recording's first ones;
    // frames from `frame_limit` on are never played.
    void Start(int frame_limit);
    // One frame of the main loop; false once the game has left it (Esc, a
    // close request, "Exit Rezarudev", the frame limit), and from then on.
    bool Step();

    Game& game() { return *game_; }
    // Every event of the recording has been delivered.
    bool input_finished() const { return source_.finished(); }

private:
    NullPlatform platform_;
    int seed_;
    Settings settings_;
    ReplaySource source_;
    Input input_{source_};
    Services services_ = platform_.With(input_);
    std::unique_ptr<Game> game_;
    bool left_ = false;
};
