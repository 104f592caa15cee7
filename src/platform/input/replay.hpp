#pragma once

#include <cstddef>
#include <cstdint>
#include <fstream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/input/input.hpp"
#include "platform/system/player_settings.hpp"

// Replay files: plain text, one item a line, '#' starts a comment.
//
// A whole run, from the first frame of the splash:
//
//   seed 4660
//   settings 10 10 2
//   5 key 32 down
//   40 move 100 300
//   90 joy axis 0 -1.0
//   120 focus lost
//   130 text 416e6e
//   600 close
//
// Each event line starts with the frame that receives it; frames never go
// backwards. Joystick lines are for port 0; text lines hold the UTF-8 bytes
// typed, in hexadecimal. The optional settings line, right after the seed,
// holds the sound volume step, music volume step and music track the
// recorded run started with.
//
// One game, from "Start New Game" to its game over:
//
//   game 1043618065
//   settings 10 10 2
//   name Ann
//   state best 12000
//   state player.shot_tmr 7
//   input joy axis 0 -0.25
//   0 key 38 down
//   ...
//   1834 key 38 up
//   end 2210
//
// The game line holds the random generator's state as the game started
// (1..2147483646, a state the generator can have). The lines up to the
// first event say what else the game started from: its player's name (the
// rest of the line, UTF-8), `state NAME VALUE` for what the game takes over
// from the one before it (the game itself knows the names), and `input`
// lines for the controls as its first frame found them (ControlState). The
// events' frames count from the game's first frame; the last line, `end F`,
// is the frame of its game over, so a file cut short is told from a whole
// one.

// A recording of one game is shared and kept; no real one comes near this.
constexpr std::size_t kMaxGameRecordingBytes = 1 << 20;

struct ReplayEvent {
    int frame = 0;
    InputEvent event;

    bool operator==(const ReplayEvent&) const = default;
};

// "state NAME VALUE": a name of lower-case letters, digits, '_' and '.', and a
// number as written.
struct StateLine {
    std::string name;
    std::string value;

    bool operator==(const StateLine&) const = default;
};

struct ReplayFile {
    // The seed line of a whole run; the generator's state of one game.
    int seed = 0;
    // Files without a settings line start from the defaults; the choice of
    // full screen is not recorded and stays at its default.
    Settings settings;
    std::vector<ReplayEvent> events;
    bool has_joystick = false;

    // A recording of one game, and what it starts from and ends at.
    bool one_game = false;
    std::string name;
    std::vector<StateLine> state;
    ControlState controls;
    int end = -1;
};

// Parses replay text. On a bad line, returns nothing and sets `error` to
// "NAME:LINE: problem".
std::optional<ReplayFile> ParseReplay(std::string_view text, const std::string& name, std::string& error);
std::optional<ReplayFile> ReadReplayFile(const std::string& path, std::string& error);

// One event line without its line end, e.g. "5 key 32 down". Empty for an
// event a file cannot hold (relative motion, joystick ports other than 0).
std::string FormatReplayEvent(int frame, const InputEvent& event);
// The lines before the first event: seed and settings of a whole run; of one
// game its game, settings, name, state and input lines.
std::string FormatReplayStart(const ReplayFile& replay);
// A whole file: start, events and, of one game, its end line.
std::string FormatReplay(const ReplayFile& replay);

// Writes a record of a session as it is played.
class ReplayWriter final : public InputRecorder {
public:
    // Creates the file and writes its seed and settings lines. False, with a
    // message in `error`, when the file cannot be written.
    bool Open(const std::string& path, int seed, const Settings& settings, std::string& error);
    void Record(int frame, const InputEvent& event) override;
    // Bytes written so far.
    std::uint64_t written() const { return written_; }

private:
    std::ofstream file_;
    std::uint64_t written_ = 0;
};

// Plays back a replay file's events under the frame rule of Input.
class ReplaySource final : public InputSource {
public:
    explicit ReplaySource(ReplayFile replay) : replay_(std::move(replay)) {}

    void FetchFrame(int frame, std::vector<InputEvent>& events) override;
    bool FetchWait(int frame, std::vector<InputEvent>& events) override;
    int JoystickCount() override { return replay_.has_joystick ? 1 : 0; }
    void SetMouseVisible(bool) override {}

    int seed() const { return replay_.seed; }
    bool finished() const { return next_ >= replay_.events.size(); }

private:
    ReplayFile replay_;
    std::size_t next_ = 0;
};
