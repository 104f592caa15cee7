#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/input/bindings.hpp"
#include "platform/system/text_parse.hpp"

// What the player chose and finds again on the next run: the two volume
// steps (0 Off, 1..10 for 10 %..100 %), the music track, full screen or
// window, and the keys and pad buttons of each action. A replay holds the
// three sound settings its run started with, and plays with the default
// bindings, which it never needs: it holds the game's own codes.
struct Settings {
    int sfx_vol_step = 10;
    int music_vol_step = 10;
    int music_track = 2;
    bool fullscreen = true;
    Bindings bindings = DefaultBindings();
    // The score board's address, from a "board URL" line; empty: none.
    std::string board = {};

    bool operator==(const Settings&) const = default;
};

struct SettingRange {
    int low;
    int high;
};
inline constexpr SettingRange kVolumeSteps{0, 10};
// 0 picks one of the others at random.
inline constexpr SettingRange kMusicTracks{0, 3};

// A value for one setting, from the whole word and within the range.
inline std::optional<int> ParseSetting(std::string_view word, SettingRange range) {
    return ParseIntIn(word, range.low, range.high);
}
// "0..10", for messages.
inline std::string RangeText(SettingRange range) {
    return std::to_string(range.low) + ".." + std::to_string(range.high);
}
