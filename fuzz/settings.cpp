// The settings file: any text gives settings within their ranges, with the
// skipped lines counted, and what it gives is written and read back intact.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz_check.hpp"
#include "game/settings.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    ParsedSettings parsed = ParseSettings(text);
    const Settings& settings = parsed.settings;
    auto within = [](int value, SettingRange range) { return value >= range.low && value <= range.high; };
    FUZZ_CHECK(within(settings.sfx_vol_step, kVolumeSteps), "sound volume %d", settings.sfx_vol_step);
    FUZZ_CHECK(within(settings.music_vol_step, kVolumeSteps), "music volume %d", settings.music_vol_step);
    FUZZ_CHECK(within(settings.music_track, kMusicTracks), "music track %d", settings.music_track);
    FUZZ_CHECK(parsed.skipped >= 0 && (parsed.skipped == 0) == parsed.first_problem.empty(),
               "%d skipped lines, problem '%s'", parsed.skipped, parsed.first_problem.c_str());

    ParsedSettings again = ParseSettings(FormatSettings(settings));
    FUZZ_CHECK(again.skipped == 0, "the written file has a bad line: %s", again.first_problem.c_str());
    FUZZ_CHECK(again.settings == settings, "the settings changed on the way back");
    return 0;
}
