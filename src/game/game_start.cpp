#include "game/game_start.hpp"

#include <climits>
#include <cmath>

#include "game/game.hpp"
#include "platform/system/message.hpp"
#include "platform/system/text_parse.hpp"

namespace {

// The whole-number state and the range a game can leave it in.
struct WholeState {
    const char* name;
    int low, high;
    int& (*field)(Game&);
};

// A real-valued one. The angles only ever grow or shrink by a step a frame,
// so any value is one some long game could reach; what is far beyond any is
// refused.
struct RealState {
    const char* name;
    float low, high;
    float& (*field)(Game&);
};

constexpr float kFarAngle = 1e9f;

// The best score is whatever the file held; the rest as the game leaves them
// between two frames: the gun's cooldown counts down from 15, the satellite
// fires at 40, each hit takes 125 of the shield's 255, the Armageddon spin
// ends after 72 frames and the ring at scale 10.
const WholeState kWholeStates[] = {
    {"best", INT_MIN, INT_MAX, [](Game& game) -> int& { return game.player.best; }},
    {"player.shot_tmr", 0, 15, [](Game& game) -> int& { return game.player.shot_tmr; }},
    {"player.thrust_on", 0, 1, [](Game& game) -> int& { return game.player.thrust_on; }},
    {"player.gsat_tmr", 0, 39, [](Game& game) -> int& { return game.player.gsat_tmr; }},
    {"player.shieldhits", -120, 255, [](Game& game) -> int& { return game.player.shieldhits; }},
    {"player.frame", 0, 3, [](Game& game) -> int& { return game.player.frame; }},
    {"player.frame_ctr", 0, 3, [](Game& game) -> int& { return game.player.frame_ctr; }},
    {"trigpow.aspin_ctr", 0, 72, [](Game& game) -> int& { return game.trigpow.aspin_ctr; }},
    // Where the last pickup was and what it held: the trace shows it while
    // none is in play. It leaves beyond the playfield's right edge.
    {"powerup.x", -100, 1100, [](Game& game) -> int& { return game.powerup.x; }},
    {"powerup.y", -100, 600, [](Game& game) -> int& { return game.powerup.y; }},
    {"powerup.frame", 0, 11, [](Game& game) -> int& { return game.powerup.frame; }},
};

const RealState kRealStates[] = {
    {"bg_angle", -kFarAngle, kFarAngle, [](Game& game) -> float& { return game.bg_angle; }},
    {"player.shieldrot", -kFarAngle, kFarAngle, [](Game& game) -> float& { return game.player.shieldrot; }},
    {"autopow.rotation", -kFarAngle, kFarAngle, [](Game& game) -> float& { return game.autopow.rotation; }},
    {"ufo.rotation", -kFarAngle, kFarAngle, [](Game& game) -> float& { return game.ufo.rotation; }},
    // The same of the last UFO.
    {"ufo.x", -100, 800, [](Game& game) -> float& { return game.ufo.x; }},
    {"ufo.y", -100, 600, [](Game& game) -> float& { return game.ufo.y; }},
    {"ufo.scale", 0, 1, [](Game& game) -> float& { return game.ufo.scale; }},
    // Where the ship was when the bomb went off: on the playfield, give or
    // take its wrapping margin.
    {"trigpow.sb_x", -100, 800, [](Game& game) -> float& { return game.trigpow.sb_x; }},
    {"trigpow.sb_y", -100, 600, [](Game& game) -> float& { return game.trigpow.sb_y; }},
    {"trigpow.sb_scale", 0, 10.2f, [](Game& game) -> float& { return game.trigpow.sb_scale; }},
    {"trigpow.sb_alpha", -1.1f, 1, [](Game& game) -> float& { return game.trigpow.sb_alpha; }},
    {"trigpow.sb_flash", -0.05f, 1, [](Game& game) -> float& { return game.trigpow.sb_flash; }},
};

constexpr const char* kTableState = "table";

template <typename Table>
auto Find(const Table& table, const std::string& name) -> decltype(&table[0]) {
    for (const auto& state : table)
        if (name == state.name) return &state;
    return nullptr;
}

std::string RangeOf(double low, double high) {
    char text[64];
    std::snprintf(text, sizeof text, "%.9g..%.9g", low, high);
    return text;
}

std::string Problem(const StateLine& line, const std::string& why) {
    return "state " + line.name + " " + Printable(line.value) + " " + why;
}

// The player's name as the table keeps it, from its UTF-8.
bool IsRecordedName(const std::string& utf8) {
    std::string name = NameCharsOf(utf8);
    return IsValidName(name) && ToUtf8(name) == utf8;
}

}  // namespace

GameStart CaptureStart(Game& game) {
    GameStart start;
    start.state = game.random.state();
    start.settings.sfx_vol_step = game.sound.sfx_vol_step;
    start.settings.music_vol_step = game.sound.music_vol_step;
    start.settings.music_track = game.sound.music_track;
    for (const WholeState& state : kWholeStates) {
        int value = state.field(game);
        if (value != 0) start.carried.push_back({state.name, std::to_string(value)});
    }
    auto entries = static_cast<int>(game.scores.table.entries.size());
    if (entries != 0) start.carried.push_back({kTableState, std::to_string(entries)});
    for (const RealState& state : kRealStates) {
        float value = state.field(game);
        if (value != 0.0f) start.carried.push_back({state.name, FormatReal(value)});
    }
    return start;
}

std::string CheckStartState(const std::vector<StateLine>& state) {
    for (const StateLine& line : state) {
        if (line.name == kTableState) {
            if (!ParseIntIn(line.value, 0, static_cast<int>(kTableSize)))
                return Problem(line, "is not a number of entries from 0 to " + std::to_string(kTableSize));
        } else if (const WholeState* whole = Find(kWholeStates, line.name)) {
            if (!ParseIntIn(line.value, whole->low, whole->high))
                return Problem(line, "is not a whole number in " + RangeOf(whole->low, whole->high));
        } else if (const RealState* real = Find(kRealStates, line.name)) {
            std::optional<double> value = ParseReal(line.value);
            if (!value || *value < real->low || *value > real->high)
                return Problem(line, "is not a number in " + RangeOf(real->low, real->high));
        } else {
            return "state " + Printable(line.name) + " is not something a game starts from";
        }
    }
    return {};
}

void ApplyStart(Game& game, const ReplayFile& recording) {
    game.random.SeedRandom(recording.seed);
    Settings settings = recording.settings;
    settings.fullscreen = game.run.settings.fullscreen;
    game.run.settings = settings;
    ApplySettings(game, settings);
    for (const StateLine& line : recording.state) {
        if (line.name == kTableState) {
            game.scores.table.entries.assign(static_cast<std::size_t>(ParseInt(line.value).value_or(0)), {});
        } else if (const WholeState* whole = Find(kWholeStates, line.name)) {
            whole->field(game) = ParseInt(line.value).value_or(0);
        } else if (const RealState* real = Find(kRealStates, line.name)) {
            real->field(game) = static_cast<float>(ParseReal(line.value).value_or(0.0));
        }
    }
}

namespace {

bool CheckRecording(std::optional<ReplayFile>& recording, const std::string& name, std::string& error) {
    if (!recording || !recording->one_game) return recording.has_value();
    std::string problem = CheckStartState(recording->state);
    if (problem.empty() && !recording->name.empty() && !IsRecordedName(recording->name))
        problem = "the name " + Printable(recording->name) + " is not 1 to 12 printable characters";
    if (problem.empty()) return true;
    error = Printable(name) + ": " + problem;
    recording.reset();
    return false;
}

}  // namespace

std::optional<ReplayFile> ParseRecording(std::string_view text, const std::string& name, std::string& error) {
    std::optional<ReplayFile> recording = ParseReplay(text, name, error);
    CheckRecording(recording, name, error);
    return recording;
}

std::optional<ReplayFile> ReadRecording(const std::string& path, std::string& error) {
    std::optional<ReplayFile> recording = ReadReplayFile(path, error);
    CheckRecording(recording, path, error);
    return recording;
}
