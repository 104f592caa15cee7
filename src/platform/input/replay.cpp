#include "platform/input/replay.hpp"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <filesystem>
#include <iterator>
#include <system_error>

#include "platform/system/message.hpp"
#include "platform/system/text_parse.hpp"

namespace {

// What one text event of the system holds at most.
constexpr std::size_t kMaxTextBytes = 32;

// Appended in place: GCC 12 at -O3 misreads "'" + std::string as an
// overlapping copy (-Wrestrict).
std::string Quoted(std::string_view word) {
    std::string quoted = "'";
    quoted += Printable(word);
    quoted += '\'';
    return quoted;
}

// The name line holds the rest of its line, blanks and '#' included; a name
// is at most 12 characters of up to 2 bytes each.
constexpr std::size_t kMaxNameBytes = 64;
constexpr std::size_t kMaxStateNameBytes = 40;
// Presses not yet taken: a handful at most in any real frame.
constexpr int kMaxHits = 1000;

// Reads the lines of one file; each method returns an error text, empty when
// the line was good.
class ReplayParser {
public:
    std::string ParseLine(std::string_view line) {
        std::vector<std::string_view> words = SplitWords(line);
        if (words.empty()) return {};
        if (ended_) return "nothing may follow the end line";
        if (words[0] == "seed") return ParseStart(words, false);
        if (words[0] == "game") return ParseStart(words, true);
        if (words[0] == "settings") return ParseSettings(words);
        if (IsGameLine(words[0])) {
            if (!replay_.one_game) return Quoted(words[0]) + " belongs to a recording of one game";
            if (words[0] == "end") return ParseEnd(words);
            if (!replay_.events.empty()) return Quoted(words[0]) + " must come before the first event";
            ++header_lines_;
            if (words[0] == "name") return ParseName(line);
            if (words[0] == "state") return ParseState(words);
            return ParseInput(words);
        }
        return ParseEvent(words);
    }

    std::optional<ReplayFile> Finish(std::string& problem) {
        if (!has_start_) {
            problem = "no seed or game line";
            return std::nullopt;
        }
        if (replay_.one_game && !ended_) {
            problem = "no end line: the recording of the game is cut short";
            return std::nullopt;
        }
        return std::move(replay_);
    }

private:
    static bool IsGameLine(std::string_view word) {
        return word == "name" || word == "state" || word == "input" || word == "end";
    }

    // "seed N" (any 32-bit value, of which the generator takes what it can)
    // or "game STATE" (exactly a state the generator can be in).
    std::string ParseStart(const std::vector<std::string_view>& words, bool one_game) {
        const char* what = one_game ? "game" : "seed";
        if (has_start_) return std::string("a second ") + (replay_.one_game ? "game" : "seed") + " line";
        if (!replay_.events.empty()) return std::string("the ") + what + " line must come before the first event";
        if (words.size() < 2) return std::string(what) + " needs a number";
        std::optional<int> seed = one_game ? ParseIntIn(words[1], 1, 0x7ffffffe) : ParseInt(words[1]);
        if (!seed && one_game)
            return "the generator's state " + Quoted(words[1]) + " is not one it can have (1..2147483646)";
        if (!seed) return "seed " + Quoted(words[1]) + " is not a 32-bit integer";
        if (words.size() > 2) return Unexpected(words[2]);
        replay_.seed = *seed;
        replay_.one_game = one_game;
        has_start_ = true;
        return {};
    }

    // "settings S M T", once, right after the seed or game line.
    std::string ParseSettings(const std::vector<std::string_view>& words) {
        if (has_settings_) return "a second settings line";
        if (!has_start_ || !replay_.events.empty() || header_lines_ > 0)
            return std::string("settings must come right after the ") + (replay_.one_game ? "game" : "seed");
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

    // "name NAME": the rest of the line as it stands.
    std::string ParseName(std::string_view line) {
        if (has_name_) return "a second name line";
        line = line.substr(line.find("name") + 4);
        std::string_view name = line.substr(std::min(line.find_first_not_of(kBlanks), line.size()));
        if (name.empty() || name.size() > kMaxNameBytes)
            return "the name " + Quoted(name) + " is not 1 to " + std::to_string(kMaxNameBytes) + " bytes";
        replay_.name = std::string(name);
        has_name_ = true;
        return {};
    }

    // "state NAME VALUE"
    std::string ParseState(const std::vector<std::string_view>& words) {
        if (words.size() < 3) return "state needs a name and a value";
        std::string_view name = words[1];
        if (name.size() > kMaxStateNameBytes || name.find_first_not_of("abcdefghijklmnopqrstuvwxyz0123456789_.") !=
                                                     std::string_view::npos)
            return "state name " + Quoted(name) + " is not a name of the game's";
        for (const StateLine& state : replay_.state)
            if (state.name == name) return "a second state line for " + Quoted(name);
        if (!ParseReal(words[2])) return "state " + Quoted(name) + " has no number but " + Quoted(words[2]);
        if (words.size() > 3) return Unexpected(words[3]);
        replay_.state.push_back({std::string(name), std::string(words[2])});
        return {};
    }

    // "input pointer X Y", "input key CODE DOWN HITS", "input mouse B DOWN
    // HITS", "input joy button B DOWN HITS", "input joy axis A VALUE",
    // "input suspended", "input skip N".
    std::string ParseInput(const std::vector<std::string_view>& words) {
        ControlState& controls = replay_.controls;
        std::string_view what = words.size() > 1 ? words[1] : std::string_view();
        std::size_t used = 2;
        std::string problem;
        if (what == "pointer") {
            if (has_pointer_) return "a second input pointer line";
            if (words.size() < 4) return "input pointer needs X and Y";
            std::optional<int> x = ParseIntIn(words[2], 0, Input::kWidth - 1);
            std::optional<int> y = ParseIntIn(words[3], 0, Input::kHeight - 1);
            if (!x || !y) return "input pointer " + Quoted(words[2]) + " " + Quoted(words[3]) + " is off the playfield";
            controls.pointer_x = *x;
            controls.pointer_y = *y;
            has_pointer_ = true;
            used = 4;
        } else if (what == "key" || what == "mouse") {
            bool key = what == "key";
            problem = ParseHeld(words, 2, key ? ControlState::Device::kKey : ControlState::Device::kMouse,
                                key ? "key code" : "mouse button", 1, key ? 255 : 3);
            used = 5;
        } else if (what == "joy" && words.size() > 2 && words[2] == "button") {
            problem = ParseHeld(words, 3, ControlState::Device::kJoyButton, "joystick button", 0, Input::kJoyButtons - 1);
            replay_.has_joystick = true;
            used = 6;
        } else if (what == "joy" && words.size() > 2 && words[2] == "axis") {
            if (words.size() < 5) return "input joy axis needs an axis and a value";
            std::optional<int> axis = ParseIntIn(words[3], 0, Input::kJoyAxes - 1);
            if (!axis) return "joystick axis " + Quoted(words[3]) + " is not in 0.." + std::to_string(Input::kJoyAxes - 1);
            for (const auto& held : controls.axes)
                if (held.first == *axis) return "a second input line for joystick axis " + std::to_string(*axis);
            std::optional<double> value = ParseReal(words[4]);
            if (!value || *value < -1.0 || *value > 1.0)
                return "joystick axis value " + Quoted(words[4]) + " is not a number from -1 to 1";
            controls.axes.emplace_back(*axis, static_cast<float>(*value));
            replay_.has_joystick = true;
            used = 5;
        } else if (what == "suspended") {
            if (controls.suspended) return "a second input suspended line";
            controls.suspended = 1;
        } else if (what == "skip") {
            if (has_skip_) return "a second input skip line";
            if (words.size() < 3) return "input skip needs a number of frames";
            std::optional<int> skipped = ParseIntIn(words[2], 0, 0x7fffffff);
            if (!skipped) return "input skip " + Quoted(words[2]) + " is not a number of frames";
            controls.skipped = *skipped;
            has_skip_ = true;
            used = 3;
        } else {
            return "input needs pointer, key, mouse, joy, suspended or skip";
        }
        if (!problem.empty()) return problem;
        if (words.size() > used) return Unexpected(words[used]);
        return {};
    }

    // CODE DOWN HITS from words[at] on.
    std::string ParseHeld(const std::vector<std::string_view>& words, std::size_t at, ControlState::Device device,
                          const std::string& what, int low, int high) {
        if (words.size() < at + 3) return "input " + what + " needs the code, 0 or 1 for up or down, and its presses";
        std::optional<int> code = ParseIntIn(words[at], low, high);
        if (!code) return what + " " + Quoted(words[at]) + " is not in " + std::to_string(low) + ".." + std::to_string(high);
        std::optional<int> down = ParseIntIn(words[at + 1], 0, 1);
        if (!down) return "input " + what + " down " + Quoted(words[at + 1]) + " is not 0 or 1";
        std::optional<int> hits = ParseIntIn(words[at + 2], 0, kMaxHits);
        if (!hits) return "input " + what + " presses " + Quoted(words[at + 2]) + " are not in 0.." + std::to_string(kMaxHits);
        for (const ControlState::Button& held : replay_.controls.buttons)
            if (held.device == device && held.code == *code) return "a second input line for " + what + " " + std::to_string(*code);
        replay_.controls.buttons.push_back({device, *code, *down, *hits});
        return {};
    }

    // "end F": the last line, no earlier than the last event.
    std::string ParseEnd(const std::vector<std::string_view>& words) {
        if (words.size() < 2) return "end needs the frame of the game over";
        std::optional<int> frame = ParseIntIn(words[1], 0, 0x7fffffff);
        if (!frame) return "end frame " + Quoted(words[1]) + " is out of range (0..2147483647)";
        if (!replay_.events.empty() && *frame < replay_.events.back().frame)
            return "the end at frame " + std::to_string(*frame) + " comes before the event of frame " +
                   std::to_string(replay_.events.back().frame);
        if (words.size() > 2) return Unexpected(words[2]);
        replay_.end = *frame;
        ended_ = true;
        return {};
    }

    std::string ParseEvent(const std::vector<std::string_view>& words) {
        std::optional<int> frame = ParseIntIn(words[0], 0, 0x7fffffff);
        if (!frame) {
            std::string_view digits = words[0].substr(words[0][0] == '-' ? 1 : 0);
            if (!digits.empty() && digits.find_first_not_of("0123456789") == std::string_view::npos)
                return "frame number " + Quoted(words[0]) + " is out of range (0..2147483647)";
            return "unknown line start " + Quoted(words[0]) + ": expected 'seed', 'game' or a frame number";
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
    bool has_start_ = false;
    bool has_settings_ = false;
    bool has_name_ = false;
    bool has_pointer_ = false;
    bool has_skip_ = false;
    bool ended_ = false;
    int header_lines_ = 0;
};

// Whether the first line that says anything is a game line.
bool IsOneGame(std::string_view text) {
    bool one_game = false;
    ForEachLine(text, [&one_game](std::string_view line, int) {
        std::vector<std::string_view> words = SplitWords(line);
        if (words.empty()) return true;
        one_game = words[0] == "game";
        return false;
    });
    return one_game;
}

std::string FormatHex(const std::string& bytes) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string hex;
    for (unsigned char byte : bytes) {
        hex += kDigits[byte >> 4];
        hex += kDigits[byte & 15];
    }
    return hex;
}


}  // namespace

std::optional<ReplayFile> ParseReplay(std::string_view text, const std::string& name, std::string& error) {
    // Refused unread: nothing in it can matter.
    if (text.size() > kMaxGameRecordingBytes && IsOneGame(text)) {
        error = Printable(name) + ": a recording of one game may hold at most 1 MB (" +
                std::to_string(kMaxGameRecordingBytes) + " bytes), this one holds more";
        return std::nullopt;
    }
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
    std::string problem;
    std::optional<ReplayFile> replay = parser.Finish(problem);
    if (!replay) error = Printable(name) + ": " + problem;
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
    // A recording of one game is read no further than its limit: a huge file
    // sent as one is refused without being read whole. A whole run (a soak's
    // long random play) has no limit.
    std::string text(kMaxGameRecordingBytes + 1, '\0');
    try {
        file.read(text.data(), static_cast<std::streamsize>(text.size()));
        text.resize(static_cast<std::size_t>(file.gcount()));
        if (text.size() > kMaxGameRecordingBytes && !IsOneGame(text))
            text.append(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
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

std::string FormatReplayStart(const ReplayFile& replay) {
    // Appended piece by piece: GCC 12 at -O3 takes "literal" + std::string for an overlapping copy (-Wrestrict).
    std::string text = replay.one_game ? "game " : "seed ";
    text += std::to_string(replay.seed);
    text += "\nsettings ";
    text += std::to_string(replay.settings.sfx_vol_step);
    text += ' ';
    text += std::to_string(replay.settings.music_vol_step);
    text += ' ';
    text += std::to_string(replay.settings.music_track);
    text += '\n';
    if (!replay.one_game) return text;
    if (!replay.name.empty()) {
        text += "name ";
        text += replay.name;
        text += '\n';
    }
    for (const StateLine& state : replay.state) {
        text += "state ";
        text += state.name;
        text += ' ';
        text += state.value;
        text += '\n';
    }
    const ControlState& controls = replay.controls;
    if (controls.pointer_x != ControlState{}.pointer_x || controls.pointer_y != ControlState{}.pointer_y) {
        text += "input pointer ";
        text += std::to_string(controls.pointer_x);
        text += ' ';
        text += std::to_string(controls.pointer_y);
        text += '\n';
    }
    for (const ControlState::Button& button : controls.buttons) {
        text += button.device == ControlState::Device::kKey     ? "input key "
                : button.device == ControlState::Device::kMouse ? "input mouse "
                                                                : "input joy button ";
        text += std::to_string(button.code);
        text += ' ';
        text += std::to_string(button.down);
        text += ' ';
        text += std::to_string(button.hits);
        text += '\n';
    }
    for (const auto& [axis, value] : controls.axes) {
        text += "input joy axis ";
        text += std::to_string(axis);
        text += ' ';
        text += FormatReal(value);
        text += '\n';
    }
    if (controls.suspended) text += "input suspended\n";
    if (controls.skipped > 0) {
        text += "input skip ";
        text += std::to_string(controls.skipped);
        text += '\n';
    }
    return text;
}

std::string FormatReplay(const ReplayFile& replay) {
    std::string text = FormatReplayStart(replay);
    for (const ReplayEvent& event : replay.events) {
        std::string line = FormatReplayEvent(event.frame, event.event);
        if (line.empty()) continue;
        text += line;
        text += '\n';
    }
    if (replay.one_game) {
        text += "end ";
        text += std::to_string(replay.end);
        text += '\n';
    }
    return text;
}

bool ReplayWriter::Open(const std::string& path, int seed, const Settings& settings, std::string& error) {
    file_.open(path, std::ios::binary | std::ios::trunc);
    if (file_) {
        ReplayFile start;
        start.seed = seed;
        start.settings = settings;
        std::string head = FormatReplayStart(start);
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
