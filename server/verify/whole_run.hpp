#pragma once

#include <memory>
#include <string>

#include "game/game.hpp"
#include "platform/audio/audio.hpp"
#include "platform/input/input.hpp"
#include "platform/input/replay.hpp"
#include "platform/system/manual_clock.hpp"
#include "platform/video/collision.hpp"
#include "platform/video/draw.hpp"
#include "platform/video/null_display.hpp"
#include "platform/video/text.hpp"

// A whole-run recording played by the game's own code as the desktop game's
// --replay plays it, from the first frame of the splash, but with no window,
// no GL, no sound device and no file written: a null display, a clock that
// stands still, a mixer nobody listens to and no sound files, so every effect
// and track is silence. Nothing in a game's course depends on a sound (track
// 0 draws its random number all the same), so the game goes frame for frame
// as on the desktop.
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
    ManualClock clock_;
    NullDisplay display_{clock_};
    Graphics graphics_{display_.renderer()};
    int seed_;
    Settings settings_;
    ReplaySource source_;
    Input input_{source_};
    Audio audio_{clock_, false};
    Text text_{graphics_};
    Collision collision_{graphics_};
    Services services_{clock_, display_, graphics_, input_, audio_, text_, collision_};
    std::unique_ptr<Game> game_;
    bool left_ = false;
};
