// Every game is recorded as it is played; a recording of one game, watched
// alone from the state it started from, is that game again frame for frame.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "game/game_start.hpp"
#include "game/kept_replays.hpp"
#include "game/one_game_play.hpp"
#include "game/trace.hpp"
#include "platform/video/null_display.hpp"
#include "soak.hpp"
#include "support/game_harness.hpp"
#include "support/trace_fields.hpp"

namespace {

// A trace line without its frame number, which a game watched alone counts
// from 0.
std::string WithoutFrame(const std::string& line) { return line.substr(line.find(',')); }

std::string ReadFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

// The recording played alone on test back ends of its own: one trace line a
// frame, until it is over.
std::vector<std::string> PlayAlone(const std::string& text, OneGamePlay::Ending* ending = nullptr) {
    std::string error;
    std::optional<ReplayFile> recording = ParseRecording(text, "game", error);
    EXPECT_TRUE(recording && recording->one_game) << error;
    if (!recording) return {};
    ManualClock clock;
    GameHarness platform(1, std::make_unique<NullDisplay>(clock));
    OneGamePlay play(platform.services, std::move(*recording), platform.game.folders.sounds);
    play.LoadAssets();
    // As the board does: once the sprites are cut, nothing drawn counts.
    platform.display.Flip(0);
    play.Start();
    std::vector<std::string> lines;
    while (!play.over()) {
        play.DrawFrame();
        lines.push_back(TraceLine(play.game()));
        play.FinishFrame();
    }
    if (ending) *ending = play.ending();
    return lines;
}

}  // namespace

// The soak's random play, for a long run of many games: turns, thrust, fire,
// power-ups, pauses, the menu (new games started from it amid a game), the
// joystick and the focus lost and won back. Each game that enters the table
// is kept with it in replays/; its kept file, played alone, must give the
// very frames the run showed, from the first after "Start New Game" to the
// game over, sounds, best score and table size included.
TEST(GameRecordings, EveryKeptGameOfALongRunWatchedAloneIsTheSameGame) {
    ManualClock clock;
    GameHarness run(ReplayFromText(MakeSoakReplay(3, 40000)), std::make_unique<NullDisplay>(clock));
    TraceLog trace;
    run.game.observer = &trace;
    std::map<int, int> first_frames;  // game number -> its first frame
    std::vector<std::pair<int, PlayedGame>> played_games;
    bool waiting = false;
    for (int frame = 0; frame < 40000; ++frame) {
        int started = run.game.games_started;
        if (!run.RunFrames(1)) break;
        if (run.game.games_started != started) first_frames[run.game.games_started] = run.game.frame;
        const std::optional<PlayedGame>& played = run.game.name_entry.played;
        if (played && !waiting) played_games.emplace_back(run.game.games_started, *played);
        waiting = played.has_value();
    }
    const ScoreTable& table = run.game.scores.table;
    ASSERT_GE(table.entries.size(), 4u);
    int carried = 0;
    for (const ScoreEntry& entry : table.entries) {
        SCOPED_TRACE(std::to_string(entry.score) + " " + entry.name);
        std::string kept = ReadFile(ReplayPath(run.game.scores.path, entry.replay));
        auto played = std::find_if(played_games.begin(), played_games.end(),
                                   [&](const auto& game) { return game.second.Text(ToUtf8(entry.name)) == kept; });
        ASSERT_NE(played, played_games.end()) << "kept as it was played";
        OneGamePlay::Ending ending{};
        std::vector<std::string> alone = PlayAlone(kept, &ending);
        EXPECT_EQ(ending, OneGamePlay::Ending::kGameOver);
        ASSERT_FALSE(alone.empty());
        EXPECT_EQ(NumberIn(alone.back(), "score"), entry.score);
        int first = first_frames.at(played->first);
        ASSERT_LE(first + alone.size(), trace.lines.size());
        for (std::size_t at = 0; at < alone.size(); ++at)
            ASSERT_EQ(WithoutFrame(alone[at]), WithoutFrame(trace.lines[first + at])) << "frame " << at;
        EXPECT_EQ(TextIn(trace.lines[first + alone.size()], "screen"), "name_entry");
        if (kept.find("state player.") != std::string::npos) ++carried;
    }
    EXPECT_GE(carried, 2) << "games that took something over from the game before";
}

// Hostile recordings of one game in the fuzz corpus are refused before
// anything plays, each with one line; only the good one is taken.
TEST(GameRecordings, HostileRecordingsInTheCorpusAreRefused) {
    int hostile = 0;
    for (const auto& file : std::filesystem::directory_iterator(std::string(REZARUDEV_SOURCE_DIR) + "/fuzz/corpus/replay")) {
        std::string name = file.path().filename().string();
        if (name.rfind("one_game", 0) != 0) continue;
        std::string error;
        std::optional<ReplayFile> recording = ReadRecording(file.path().string(), error);
        if (name == "one_game.txt") {
            EXPECT_TRUE(recording) << error;
            continue;
        }
        ++hostile;
        EXPECT_FALSE(recording) << name;
        EXPECT_FALSE(error.empty()) << name;
        EXPECT_EQ(error.find('\n'), std::string::npos) << error;
    }
    EXPECT_GE(hostile, 9);
}
