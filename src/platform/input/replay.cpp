#include "platform/input/replay.hpp"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iterator>
#include <system_error>

#include "platform/system/message.hpp"
#include "platform/system/text_parse.hpp"

namespace {

// What one text event of the system holds at most.
constexpr std::size_t kMaxTextBytes = 32;

// Plain decimal only ("-1.0", "0.5e-3"): strtod, as the browser build's
// library has no from_chars for reals, minus the forms strtod adds (leading
// blanks or plus, hexadecimal).
std::optional<double> ParseReal(std::string_view word) {
    if (word.empty() || word.find_first_not_of("0123456789.-eE") != std::string_view::npos) return std::nullopt;
    std::string text(word);
    char* end = nullptr;
    errno = 0;
    double value = std::strtod(text.c_str(), &end);
    if (errno == ERANGE || end != text.c_str() + text.size() || !std::isfinite(value)) return std::nullopt;
    return value;
}

// Appended in place: GCC 12 at -O3 misreads "'" + std::string as an
// overlapping copy (-Wrestrict).
std::string Quoted(std::string_view word) {
    std::string quoted = "'";
    quoted += Printable(word);
    quoted += '\'';
    return quoted;
}

// Reads the lines of one file; each method returns an error text, empty when
// the line was good.
class ReplayParser {
public:
    std::string ParseLine(std::string_view line) {
        std::vector<std::string_view> words = SplitWords(line);
        if (words.empty()) return {};
        if (words[0] == "seed") return ParseSeed(words);
        if (words[0] == "settings") return ParseSettings(words);
        return ParseEvent(words);
    }

    std::optional<ReplayFile> Finish() {
        if (!has_seed_) return std::nullopt;
        return std::move(replay_);
    }

private:
    std::string ParseSeed(const std::vector<std::string_view>& words) {
        if (has_seed_) return "a second seed line";
        if (!replay_.events.empty()) return "the seed line must come before the first event";
        if (words.size() < 2) return "seed needs a number";
        std::optional<int> seed = ParseInt(words[1]);
        if (!seed) return "seed " + Quoted(words[1]) + " is not a 32-bit integer";
        if (words.size() > 2) return Unexpected(words[2]);
        replay_.seed = *seed;
        has_seed_ = true;
        return {};
    }

    // "settings S M T", once, right after the seed line.
    std::string ParseSettings(const std::vector<std::string_view>& words) {
        if (has_settings_) return "a second settings line";
        if (!has_seed_ || !replay_.events.empty()) return "settings must come right after the seed";
        if (words.size() < 4) return "settings needs S M T";
        std::optional<int> sound = ParseSetting(words[1], kVolumeSteps);
        std::optional<int> music = ParseSetting(words[2], kVolumeSteps);
        std::optional<int> track = ParseSetting(words[3], kMusicTracks);
        if (!sound) return "sound volume " + Quoted(words[1]) + " is not in " + RangeText(kVolumeSteps);
        if (!music) return "music volume " + Quoted(words[2]) + " is not in " + RangeText(kVolumeSteps);
        if (!track) return "music track " + Quoted(words[3]) + " is not in " + RangeText(kMusicTracks);
        if (words.size() > 4) return Unexpected(words[4]);
        replay_.settings.sfx_vol_step = *sound;
        replay_.settings.music_vol_step = *music;
        replay_.settings.music_track = *track;
        has_settings_ = true;
        return {};
    }

    std::string ParseEvent(const std::vector<std::string_view>& words) {
        std::optional<int> frame = ParseIntIn(words[0], 0, 0x7fffffff);
        if (!frame) {
            std::string_view digits = words[0].substr(words[0][0] == '-' ? 1 : 0);
            if (!digits.empty() && digits.find_first_not_of("0123456789") == std::string_view::npos)
                return "frame number " + Quoted(words[0]) + " is out of range (0..2147483647)";
            return "unknown line start " + Quoted(words[0]) + ": expected 'seed' or a frame number";
        }
        if (!replay_.events.empty() && *frame < replay_.events.back().frame) {
            return "frame " + std::to_string(*frame) + " comes after frame " +
                   std::to_string(replay_.events.back().frame);
        }
        if (words.size() < 2) return "frame " + std::to_string(*frame) + " has no event";
        std::string_view kind = words[1];
        std::size_t used = 0;
        std::string problem;
        InputEvent event;
        if (kind == "key") {
            problem = ParseButton(words, "key code", 1, 255, &InputEvent::Key, event);
            used = 4;
        } else if (kind == "mouse") {
            problem = ParseButton(words, "mouse button", 1, 3, &InputEvent::Mouse, event);
            used = 4;
        } else if (kind == "move") {
            problem = ParseMove(words, event);
            used = 4;
        } else if (kind == "joy") {
            problem = ParseJoy(words, event);
            used = 5;
        } else if (kind == "focus") {
            if (words.size() < 3 || (words[2] != "lost" && words[2] != "gained")) {
                problem = "focus needs 'lost' or 'gained'";
            } else {
                event = InputEvent::Focus(words[2] == "gained");
            }
            used = 3;
        } else if (kind == "close") {
            event = InputEvent::Close();
            used = 2;
        } else if (kind == "text") {
            problem = ParseText(words, event);
            used = 3;
        } else {
            return "unknown event " + Quoted(kind);
        }
        if (!problem.empty()) return problem;
        if (words.size() > used) return Unexpected(words[used]);
        replay_.events.push_back({*frame, event});
        return {};
    }

    // "F key CODE down|up", "F mouse B down|up"
    static std::string ParseButton(const std::vector<std::string_view>& words, const std::string& what, int low,
                                   int high, InputEvent (*make)(int, bool), InputEvent& event) {
        std::string range = std::to_string(low) + ".." + std::to_string(high);
        if (words.size() < 3) return what + " missing";
        std::optional<int> code = ParseIntIn(words[2], low, high);
        if (!code) return what + " " + Quoted(words[2]) + " is not in " + range;
        if (words.size() < 4) return "'down' or 'up' missing";
        if (words[3] != "down" && words[3] != "up") return "expected 'down' or 'up', not " + Quoted(words[3]);
        event = make(*code, words[3] == "down");
        return {};
    }

    // "F move X Y"
    static std::string ParseMove(const std::vector<std::string_view>& words, InputEvent& event) {
        if (words.size() < 4) return "move needs X and Y";
        std::optional<int> x = ParseIntIn(words[2], 0, Input::kWidth - 1);
        if (!x) return "move X " + Quoted(words[2]) + " is not in 0.." + std::to_string(Input::kWidth - 1);
        std::optional<int> y = ParseIntIn(words[3], 0, Input::kHeight - 1);
        if (!y) return "move Y " + Quoted(words[3]) + " is not in 0.." + std::to_string(Input::kHeight - 1);
        event = InputEvent::MoveTo(*x, *y);
        return {};
    }

    // "F text HEX": the bytes typed, two hexadecimal digits each.
    static std::string ParseText(const std::vector<std::string_view>& words, InputEvent& event) {
        if (words.size() < 3) return "text needs its bytes in hexadecimal";
        std::string_view hex = words[2];
        std::string bytes;
        for (std::size_t at = 0; at + 1 < hex.size(); at += 2) {
            std::optional<int> byte = ParseHexByte(hex.substr(at, 2));
            if (!byte) break;
            bytes += static_cast<char>(*byte);
        }
        if (hex.size() % 2 != 0 || bytes.size() * 2 != hex.size() || bytes.size() > kMaxTextBytes) {
            return "text " + Quoted(hex) + " is not 1 to " + std::to_string(kMaxTextBytes) + " bytes in hexadecimal";
        }
        event = InputEvent::Text(std::move(bytes));
        return {};
    }

    static std::optional<int> ParseHexByte(std::string_view digits) {
        int value = 0;
        auto [end, status] = std::from_chars(digits.data(), digits.data() + digits.size(), value, 16);
        if (status != std::errc() || end != digits.data() + digits.size() || digits[0] == '-') return std::nullopt;
        return value;
    }

    // "F joy axis A VALUE", "F joy button B down|up"
    std::string ParseJoy(const std::vector<std::string_view>& words, InputEvent& event) {
        if (words.size() < 3 || (words[2] != "axis" && words[2] != "button")) return "joy needs 'axis' or 'button'";
        std::string range = "0.." + std::to_string(Input::kJoyAxes - 1);
        if (words[2] == "axis") {
            if (words.size() < 5) return "joy axis needs an axis and a value";
            std::optional<int> axis = ParseIntIn(words[3], 0, Input::kJoyAxes - 1);
            if (!axis) return "joystick axis " + Quoted(words[3]) + " is not in " + range;
            std::optional<double> value = ParseReal(words[4]);
            if (!value || *value < -1.0 || *value > 1.0) {
                return "joystick axis value " + Quoted(words[4]) + " is not a number from -1 to 1";
            }
            event = InputEvent::JoyAxis(*axis, static_cast<float>(*value));
        } else {
            if (words.size() < 5) return "joy button needs a button and 'down' or 'up'";
            std::optional<int> button = ParseIntIn(words[3], 0, Input::kJoyButtons - 1);
            if (!button) return "joystick button " + Quoted(words[3]) + " is not in " + range;
            if (words[4] != "down" && words[4] != "up") return "expected 'down' or 'up', not " + Quoted(words[4]);
            event = InputEvent::JoyButton(*button, words[4] == "down");
        }
        replay_.has_joystick = true;
        return {};
    }

    static std::string Unexpected(std::string_view word) { return "unexpected " + Quoted(word) + " at the end"; }

    ReplayFile replay_;
    bool has_seed_ = false;
    bool has_settings_ = false;
};

std::string FormatHex(const std::string& bytes) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string hex;
    for (unsigned char byte : bytes) {
        hex += kDigits[byte >> 4];
        hex += kDigits[byte & 15];
    }
    return hex;
}

std::string FormatReal(float value) {
    char text[32];
    // Nine significant digits bring every float back exactly.
    std::snprintf(text, sizeof text, "%.9g", static_cast<double>(value));
    return text;
}

}  // namespace

std::optional<ReplayFile> ParseReplay(std::string_view text, const std::string& name, std::string& error) {
    ReplayParser parser;
    bool broken = false;
    ForEachLine(text, [&](std::string_view line, int line_number) {
        std::string problem = parser.ParseLine(line);
        if (problem.empty()) return true;
        error = Printable(name) + ":" + std::to_string(line_number) + ": " + problem;
        broken = true;
        return false;
    });
    if (broken) return std::nullopt;
    std::optional<ReplayFile> replay = parser.Finish();
    if (!replay) error = Printable(name) + ": no seed line";
    return replay;
}

std::optional<ReplayFile> ReadReplayFile(const std::string& path, std::string& error) {
    // A folder would open and then fail in the middle of reading; a FIFO
    // or a device might never end.
    std::error_code problem;
    if (!std::filesystem::is_regular_file(path, problem)) {
        error = Printable(path) + ": " + (std::filesystem::exists(path, problem) ? "not a file" : "no such file");
        return std::nullopt;
    }
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        error = Printable(path) + ": cannot be opened";
        return std::nullopt;
    }
    std::string text;
    try {
        text.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    } catch (const std::ios_base::failure&) {
        // The stream buffer throws on a read error whatever the stream's exception mask.
        file.setstate(std::ios::badbit);
    }
    if (file.bad()) {
        error = Printable(path) + ": cannot be read";
        return std::nullopt;
    }
    return ParseReplay(text, path, error);
}

std::string FormatReplayEvent(int frame, const InputEvent& event) {
    std::string prefix = std::to_string(frame) + " ";
    auto state = [](bool down) { return down ? " down" : " up"; };
    switch (event.type) {
    case InputEventType::KeyDown:
    case InputEventType::KeyUp:
        return prefix + "key " + std::to_string(event.code) + state(event.type == InputEventType::KeyDown);
    case InputEventType::MouseDown:
    case InputEventType::MouseUp:
        return prefix + "mouse " + std::to_string(event.code) + state(event.type == InputEventType::MouseDown);
    case InputEventType::MoveTo:
        return prefix + "move " + std::to_string(event.x) + " " + std::to_string(event.y);
    case InputEventType::MoveBy:
        return {};
    case InputEventType::JoyAxis:
        if (event.port != 0) return {};
        return prefix + "joy axis " + std::to_string(event.code) + " " + FormatReal(event.value);
    case InputEventType::JoyButtonDown:
    case InputEventType::JoyButtonUp:
        if (event.port != 0) return {};
        return prefix + "joy button " + std::to_string(event.code) + state(event.type == InputEventType::JoyButtonDown);
    case InputEventType::FocusLost:
        return prefix + "focus lost";
    case InputEventType::FocusGained:
        return prefix + "focus gained";
    case InputEventType::Close:
        return prefix + "close";
    case InputEventType::Text:
        if (event.text.empty() || event.text.size() > kMaxTextBytes) return {};
        return prefix + "text " + FormatHex(event.text);
    }
    return {};
}

bool ReplayWriter::Open(const std::string& path, int seed, const Settings& settings, std::string& error) {
    file_.open(path, std::ios::binary | std::ios::trunc);
    if (file_) {
        // Appended piece by piece: GCC 12 at -O3 takes "literal" + std::string for an overlapping copy (-Wrestrict).
        std::string head = "seed ";
        head += std::to_string(seed);
        head += "\nsettings ";
        head += std::to_string(settings.sfx_vol_step);
        head += ' ';
        head += std::to_string(settings.music_vol_step);
        head += ' ';
        head += std::to_string(settings.music_track);
        head += '\n';
        file_ << head << std::flush;
        written_ = head.size();
    }
    if (!file_) {
        error = Printable(path) + ": cannot be written";
        return false;
    }
    return true;
}

// Flushed line by line so that a session that ends abruptly still leaves a
// usable record.
void ReplayWriter::Record(int frame, const InputEvent& event) {
    std::string line = FormatReplayEvent(frame, event);
    if (line.empty() || !file_.is_open()) return;
    file_ << line << '\n' << std::flush;
    written_ += line.size() + 1;
}

void ReplaySource::FetchFrame(int frame, std::vector<InputEvent>& events) {
    while (next_ < replay_.events.size() && replay_.events[next_].frame <= frame) {
        events.push_back(replay_.events[next_++].event);
    }
}

bool ReplaySource::FetchWait(int frame, std::vector<InputEvent>& events) {
    if (next_ >= replay_.events.size()) return false;
    int group = std::max(frame, replay_.events[next_].frame);
    FetchFrame(group, events);
    return next_ < replay_.events.size();
}
