// Replay files: any text either parses or is refused with one message, and
// whatever parses survives being written back and read again unchanged.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "fuzz_check.hpp"
#include "platform/input/replay.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    std::string error;
    std::optional<ReplayFile> first = ParseReplay(text, "input", error);
    if (!first) {
        FUZZ_CHECK(error.rfind("input", 0) == 0, "refusal without the file's name: %s", error.c_str());
        return 0;
    }
    const Settings& settings = first->settings;
    std::string written = "seed " + std::to_string(first->seed) + "\nsettings " +
                          std::to_string(settings.sfx_vol_step) + " " + std::to_string(settings.music_vol_step) + " " +
                          std::to_string(settings.music_track) + "\n";
    for (const ReplayEvent& event : first->events) {
        std::string line = FormatReplayEvent(event.frame, event.event);
        FUZZ_CHECK(!line.empty(), "a parsed event of type %d cannot be written", static_cast<int>(event.event.type));
        written += line + "\n";
    }
    std::string again_error;
    std::optional<ReplayFile> second = ParseReplay(written, "written", again_error);
    FUZZ_CHECK(second.has_value(), "the written file is refused: %s", again_error.c_str());
    FUZZ_CHECK(second->seed == first->seed, "seed %d became %d", first->seed, second->seed);
    FUZZ_CHECK(second->settings == first->settings, "the settings line changed");
    FUZZ_CHECK(second->has_joystick == first->has_joystick, "the joystick flag changed");
    FUZZ_CHECK(second->events == first->events, "the events changed:\n%s", written.c_str());
    return 0;
}
