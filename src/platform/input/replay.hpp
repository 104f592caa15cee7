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

struct ReplayEvent {
    int frame = 0;
    InputEvent event;

    bool operator==(const ReplayEvent&) const = default;
};

struct ReplayFile {
    int seed = 0;
    // Files without a settings line start from the defaults; the choice of
    // full screen is not recorded and stays at its default.
    Settings settings;
    std::vector<ReplayEvent> events;
    bool has_joystick = false;
};

// Parses replay text. On a bad line, returns nothing and sets `error` to
// "NAME:LINE: problem".
std::optional<ReplayFile> ParseReplay(std::string_view text, const std::string& name, std::string& error);
std::optional<ReplayFile> ReadReplayFile(const std::string& path, std::string& error);

// One event line without its line end, e.g. "5 key 32 down". Empty for an
// event a file cannot hold (relative motion, joystick ports other than 0).
std::string FormatReplayEvent(int frame, const InputEvent& event);

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
