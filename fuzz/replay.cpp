// Replay files, of a whole run or of one game: any text either parses and
// passes the game's checks or is refused with one message, and whatever is
// accepted survives being written back and read again unchanged.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "fuzz_check.hpp"
#include "game/game_start.hpp"
#include "platform/input/replay.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    std::string error;
    std::optional<ReplayFile> first = ParseRecording(text, "input", error);
    if (!first) {
        FUZZ_CHECK(error.rfind("input", 0) == 0, "refusal without the file's name: %s", error.c_str());
        FUZZ_CHECK(error.find('\n') == std::string::npos, "refusal of more than one line: %s", error.c_str());
        return 0;
    }
    FUZZ_CHECK(!first->one_game || (first->seed >= 1 && first->seed <= 2147483646),
               "a generator's state %d that it never has", first->seed);
    FUZZ_CHECK(!first->one_game || size <= kMaxGameRecordingBytes, "a recording of one game over 1 MB");
    for (const ReplayEvent& event : first->events) {
        FUZZ_CHECK(!FormatReplayEvent(event.frame, event.event).empty(), "a parsed event of type %d cannot be written",
                   static_cast<int>(event.event.type));
        FUZZ_CHECK(!first->one_game || event.frame <= first->end, "an event after the end");
    }
    std::string written = FormatReplay(*first);
    std::string again_error;
    std::optional<ReplayFile> second = ParseRecording(written, "written", again_error);
    FUZZ_CHECK(second.has_value(), "the written file is refused: %s", again_error.c_str());
    FUZZ_CHECK(second->seed == first->seed, "seed %d became %d", first->seed, second->seed);
    FUZZ_CHECK(second->settings == first->settings, "the settings line changed");
    FUZZ_CHECK(second->has_joystick == first->has_joystick, "the joystick flag changed");
    FUZZ_CHECK(second->events == first->events, "the events changed:\n%s", written.c_str());
    FUZZ_CHECK(second->one_game == first->one_game && second->name == first->name && second->state == first->state &&
                   second->controls == first->controls && second->end == first->end,
               "the start or end of the game changed:\n%s", written.c_str());
    return 0;
}
