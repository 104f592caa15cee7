#pragma once

#include <filesystem>
#include <memory>
#include <string>

#include "game/game.hpp"
#include "platform/audio/audio.hpp"
#include "platform/input/input.hpp"
#include "platform/input/replay.hpp"
#include "platform/input/scripted_input.hpp"
#include "platform/system/manual_clock.hpp"
#include "platform/video/collision.hpp"
#include "platform/video/display.hpp"
#include "platform/video/draw.hpp"
#include "platform/video/text.hpp"
#include "support/temp_folder.hpp"

// A whole game on the test back ends: software renderer, manual clock,
// scripted input, an audio mixer nobody listens to. The sprites, font and
// sounds are the real ones; the best-score file lives in a fresh temporary
// folder.
class GameHarness {
public:
    // Set up as start-up leaves things, but for the settings, the title
    // music, the splash and the pointer: sprites cut, font and sounds loaded,
    // best score read, seeded with `seed`.
    explicit GameHarness(int seed = 0x1234);
    // The same on a display given by the caller (the real OpenGL one, say).
    GameHarness(int seed, std::unique_ptr<Display> display);
    // Takes its seed and every input event from a replay instead of the
    // scripted source; the replay's frame 0 is the harness's first frame.
    explicit GameHarness(ReplayFile replay, std::unique_ptr<Display> display = nullptr);
    ~GameHarness();

    // Starts a game as Space on the title does, without running a frame.
    void StartPlaying();
    // Runs frames of the main loop; false if the loop asked to end.
    bool RunFrames(int count);
    // Presses and releases a key within the next frame.
    void Tap(int key);
    void Press(int key) { source.Add(InputEvent::Key(key, true)); }
    void Release(int key) { source.Add(InputEvent::Key(key, false)); }

    TempFolder temp_folder_;
    std::filesystem::path folder;
    ManualClock clock;
    std::unique_ptr<Display> display_;
    Display& display;
    Graphics graphics{display.renderer()};
    ScriptedInputSource source;
    // Set only by the replay constructor; then it, not `source`, feeds input.
    std::unique_ptr<ReplaySource> replay_source;
    Input input{replay_source ? static_cast<InputSource&>(*replay_source) : source};
    Audio audio{clock};
    Text text{graphics};
    Collision collision{graphics};
    Services services{clock, display, graphics, input, audio, text, collision};
    std::unique_ptr<Game> game_;
    Game& game;

private:
    GameHarness(int seed, std::unique_ptr<Display> display, std::unique_ptr<ReplaySource> replay);
};

// Parses replay text written in a test; fails the test on a bad line.
ReplayFile ReplayFromText(std::string_view text);
