#include <gtest/gtest.h>

#include <fstream>

#include "game/name_entry.hpp"
#include "game/shell.hpp"
#include "support/game_harness.hpp"
#include "support/trace_fields.hpp"

namespace {

std::string LastScreen(const TraceLog& log) { return log.lines.empty() ? "" : TextIn(log.lines.back(), "screen"); }

// Plays the last frame of a game-over caption after a game of `score`.
void EndGame(GameHarness& h, int score) {
    h.StartPlaying();
    Game& game = h.game;
    game.warp_on = 0;
    game.player.lives = 0;
    game.player.score = score;
    game.player.best = score;
    game.player.level = 4;
    game.game_over = 1;
    game.msg_alpha = 0.004f;
    h.RunFrames(1);
}

class NameEntryTest : public testing::Test {
protected:
    NameEntryTest() {
        h.game.observer = &screens;
        h.game.scores.table.last_name = "Bo";
    }

    void EndGame(int score) { ::EndGame(h, score); }
    void Type(const std::string& text) { h.source.Add(InputEvent::Text(text)); }

    std::string FileText() {
        std::ifstream file(h.game.scores.path, std::ios::binary);
        return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    }

    GameHarness h;
    TraceLog screens;
};

}  // namespace

TEST_F(NameEntryTest, ANameTypedCorrectedAndKeptWithTheKeyboard) {
    EndGame(1230);
    EXPECT_EQ(LastScreen(screens), "playing") << "the caption's last frame is as it always was";
    EXPECT_FALSE(PlayedIn(screens.lines.back(), "hscore"));
    ASSERT_EQ(h.game.title_on, 1);
    h.RunFrames(1);
    EXPECT_EQ(LastScreen(screens), "name_entry");
    EXPECT_TRUE(PlayedIn(screens.lines.back(), "hscore"));
    EXPECT_EQ(h.game.scores.name, "Bo") << "the last name given is offered";

    h.Tap(8);
    h.Tap(8);
    h.Tap(8);
    Type("Ann");
    h.RunFrames(1);
    // Typed, then corrected within one frame: the order counts.
    Type("x");
    h.Tap(8);
    Type(" Lee \xc3\xa9\xe6\x97\xa5");
    h.Tap(32);  // its text came above; the key starts no game here
    h.RunFrames(1);
    EXPECT_EQ(h.game.scores.name, "Ann Lee \xe9");
    EXPECT_EQ(h.game.title_on, 1);
    Type("12345");
    h.RunFrames(1);
    EXPECT_EQ(h.game.scores.name,
              "Ann Lee \xe9"
              "123")
        << "twelve characters at most";

    h.Tap(13);
    h.RunFrames(1);
    EXPECT_EQ(LastScreen(screens), "scores");
    ASSERT_EQ(h.game.scores.table.entries.size(), 1u);
    EXPECT_EQ(h.game.scores.table.entries[0].name,
              "Ann Lee \xe9"
              "123");
    EXPECT_EQ(h.game.scores.table.entries[0].level, 4);
    EXPECT_NE(FileText().find(" 4 " + Today() +
                              " Ann Lee \xc3\xa9"
                              "123\n"),
              std::string::npos)
        << FileText();

    // The highlighted table stays until the player does something, and what
    // he does brings the menu without starting a game.
    h.game.scores.table_limit = 20;
    h.RunFrames(100);
    EXPECT_EQ(LastScreen(screens), "scores");
    h.Tap(32);
    h.RunFrames(1);
    EXPECT_EQ(LastScreen(screens), "title");
    h.RunFrames(1);
    EXPECT_EQ(h.game.title_on, 1);
}

TEST_F(NameEntryTest, APadSpellsAndKeepsTheName) {
    h.source.SetJoystickCount(1);
    EndGame(500);
    h.game.scores.name = "Al";
    h.game.scores.cursor = 2;
    auto stick = [&](int axis, float value) {
        h.source.Add(InputEvent::JoyAxis(axis, value));
        h.RunFrames(1);
    };
    stick(1, -1.0f);  // up: a new letter at the end
    EXPECT_EQ(h.game.scores.name, "AlA");
    h.RunFrames(20);  // held: it steps again
    EXPECT_EQ(h.game.scores.name, "AlB");
    stick(1, 0.0f);
    stick(0, -1.0f);  // left, to the 'l'
    stick(0, 0.0f);
    stick(1, 1.0f);  // down, from the 'L' the pad knows
    stick(1, 0.0f);
    EXPECT_EQ(h.game.scores.name, "AKB");
    h.source.Add(InputEvent::JoyAxis(0, -1.0f));
    h.source.Add(InputEvent::JoyButton(0, true));
    h.source.Add(InputEvent::JoyButton(0, false));
    h.RunFrames(4);
    EXPECT_EQ(LastScreen(screens), "scores") << "a stick still held over is no new input";
    ASSERT_EQ(h.game.scores.table.entries.size(), 1u);
    EXPECT_EQ(h.game.scores.table.entries[0].name, "AKB");
    EXPECT_EQ(h.game.scores.table.last_name, "AKB");
}

TEST_F(NameEntryTest, OkTakesAClickOnlyOnItsRowAndEscKeepsTheNameShown) {
    EndGame(300);
    h.game.scores.name = " \xa0 ";
    h.source.Add(InputEvent::MoveTo(320, 335));
    h.source.Add(InputEvent::Mouse(1, true));
    h.source.Add(InputEvent::Mouse(1, false));
    h.RunFrames(1);
    EXPECT_EQ(LastScreen(screens), "name_entry") << "a blank name cannot be kept";
    Type("Kim");
    h.source.Add(InputEvent::MoveTo(320, 250));
    h.source.Add(InputEvent::Mouse(1, true));
    h.source.Add(InputEvent::Mouse(1, false));
    h.RunFrames(1);
    EXPECT_EQ(LastScreen(screens), "name_entry") << "a click beside OK";
    h.Tap(27);
    EXPECT_FALSE(h.RunFrames(1));
    ShutDown(h.game);
    EXPECT_NE(FileText().find(" Kim\n"), std::string::npos) << FileText();
}

TEST_F(NameEntryTest, NoEntryForAScoreOutsideTheTable) {
    EndGame(0);
    h.RunFrames(1);
    EXPECT_EQ(LastScreen(screens), "title");
    EXPECT_TRUE(h.game.scores.table.entries.empty());
}

// After 15 s without input the table takes the menu's place for 10 s; input
// brings the menu back at once and does nothing else.
TEST_F(NameEntryTest, TheTitleShowsTheTableWhenLeftAlone) {
    ScoreScreens& scores = h.game.scores;
    EXPECT_EQ(scores.idle_limit, 900);
    EXPECT_EQ(scores.table_limit, 600);
    scores.idle_limit = 30;
    scores.table_limit = 20;
    h.RunFrames(100);
    EXPECT_EQ(LastScreen(screens), "title") << "an empty table is not shown";
    scores.table.entries = {{900, 3, "2026-01-01", "Ann"}};
    screens.lines.clear();
    h.source.Add(InputEvent::MoveTo(320, 204));  // over "Start New Game"
    h.RunFrames(90);
    EXPECT_EQ(TextIn(screens.lines[29], "screen"), "title");
    EXPECT_EQ(TextIn(screens.lines[30], "screen"), "scores");
    EXPECT_EQ(TextIn(screens.lines[49], "screen"), "scores");
    EXPECT_EQ(TextIn(screens.lines[50], "screen"), "title");
    EXPECT_EQ(TextIn(screens.lines[79], "screen"), "title");
    EXPECT_EQ(TextIn(screens.lines[80], "screen"), "scores");

    // A click on "Start New Game" only brings the menu.
    h.source.Add(InputEvent::Mouse(1, true));
    h.source.Add(InputEvent::Mouse(1, false));
    h.RunFrames(1);
    EXPECT_EQ(LastScreen(screens), "title");
    h.RunFrames(1);
    EXPECT_EQ(h.game.title_on, 1);
    h.RunFrames(29);
    EXPECT_EQ(LastScreen(screens), "scores");
    h.source.Add(InputEvent::MoveTo(300, 300));
    h.RunFrames(1);
    EXPECT_EQ(LastScreen(screens), "title");
}

TEST(NameEntryReplay, TypedTextAndCorrectionsReplayExactly) {
    GameHarness h(
        ReplayFromText("seed 7\n"
                       "2 key 8 down\n2 key 8 up\n"
                       "3 key 8 down\n3 key 8 up\n3 text 5a6fc3ab\n"
                       "4 key 13 down\n"));
    h.game.scores.table.last_name = "Bo";
    EndGame(h, 800);
    h.RunFrames(5);
    ASSERT_EQ(h.game.scores.table.entries.size(), 1u);
    EXPECT_EQ(h.game.scores.table.entries[0].name, "Zo\xeb");
}

TEST(ReplayText, TextLinesAreBytesInHexadecimal) {
    ReplayFile replay = ReplayFromText("seed 1\n5 text 416E6e\n");
    ASSERT_EQ(replay.events.size(), 1u);
    EXPECT_EQ(replay.events[0].event, InputEvent::Text("Ann"));
    EXPECT_EQ(FormatReplayEvent(5, InputEvent::Text("Zo\xc3\xab")), "5 text 5a6fc3ab");
    for (const char* bad : {"5 text", "5 text 4", "5 text 4g", "5 text -1", "5 text 41 42",
                            "5 text 000102030405060708090a0b0c0d0e0f101112131415161718191a1b1c1d1e1f20"}) {
        std::string error;
        EXPECT_FALSE(ParseReplay(std::string("seed 1\n") + bad + "\n", "r", error)) << bad;
        EXPECT_EQ(error.rfind("r:2: ", 0), 0u) << error;
    }
}

// Two games of one player in one folder, each entering the table: each save
// reads the file again, so neither undoes the other, and no entry is kept
// twice however often the table is saved.
TEST(TableSaves, TwoGamesInOneFolderKeepBothEntries) {
    GameHarness first;
    GameHarness second;
    second.game.folders = first.game.folders;
    LoadScoreTable(second.game);
    for (GameHarness* h : {&first, &second}) {
        EndGame(*h, h == &first ? 700 : 900);
        h->RunFrames(1);
        h->game.scores.name = h == &first ? "Ann" : "Bob";
    }
    FinishNameEntry(first.game);
    FinishNameEntry(second.game);
    SaveScoreTable(first.game);
    ScoresRead stored = ReadScores(first.game.scores.path);
    ASSERT_EQ(stored.table.entries.size(), 2u);
    EXPECT_EQ(stored.table.entries[0].name, "Bob");
    EXPECT_EQ(stored.table.entries[1].name, "Ann");
    EXPECT_EQ(second.game.scores.table.entries, stored.table.entries) << "what the other saved is shown too";
    EXPECT_FALSE(first.game.save_failed || second.game.save_failed);
}

// Lines the game cannot read are kept aside before the first rewrite of the
// file, once; those it can read (a byte-order mark, lone CR line ends) are
// read.
TEST(TableSaves, UnreadableLinesAreKeptBesideTheFileBeforeItIsRewritten) {
    GameHarness h;
    std::string path = h.game.scores.path;
    const std::string original =
        "\xef\xbb\xbf"
        "1430 2 2026-12-01 Ann\r200 1 2026-12-01 Bo\r"
        "300\t1\t2026-12-01\tTab\n"
        "400 1 2026-12-01 Trail \n"
        "+7 1 2026-12-01 Plus\n";
    std::ofstream(path, std::ios::binary) << original;
    testing::internal::CaptureStderr();
    LoadScoreTable(h.game);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("skipped 3"), std::string::npos);
    ASSERT_EQ(h.game.scores.table.entries.size(), 2u);
    EXPECT_EQ(h.game.scores.table.entries[1].name, "Bo");

    EndGame(h, 900);
    h.RunFrames(1);
    h.game.scores.name = "Cy";
    testing::internal::CaptureStderr();
    FinishNameEntry(h.game);
    std::string said = testing::internal::GetCapturedStderr();
    EXPECT_NE(said.find(path + ".bad"), std::string::npos) << said;
    std::ifstream kept(path + ".bad", std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(kept), {}), original);
    EXPECT_EQ(ReadScores(path).table.entries.size(), 3u);

    EndGame(h, 950);
    h.RunFrames(1);
    FinishNameEntry(h.game);
    EXPECT_FALSE(std::filesystem::exists(path + ".bad.2")) << "the rewritten file has nothing more to keep";
    EXPECT_FALSE(h.game.save_failed);
}

// A file the player made read-only is a wish, honoured even by root; the run
// says so and ends with a failure, as any save that fails does.
TEST(TableSaves, AReadOnlyOrUnwritableFileFailsTheRunAndIsLeftAsItIs) {
    GameHarness h;
    std::string path = h.game.scores.path;
    std::ofstream(path) << "500 1 2026-12-01 Old\n";
    std::filesystem::permissions(path, std::filesystem::perms::owner_read | std::filesystem::perms::group_read |
                                           std::filesystem::perms::others_read);
    LoadScoreTable(h.game);
    EndGame(h, 900);
    h.RunFrames(1);
    testing::internal::CaptureStderr();
    FinishNameEntry(h.game);
    std::string said = testing::internal::GetCapturedStderr();
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
    EXPECT_NE(said.find("read-only"), std::string::npos) << said;
    EXPECT_EQ(ReadScores(path).table.entries.size(), 1u);
    EXPECT_TRUE(h.game.save_failed);

    // Where no file can be made at all (a file where the folder should be).
    GameHarness blocked;
    blocked.game.scores.path = (blocked.folder / "data" / "hiscore.dat" / "scores").string();
    std::ofstream(blocked.folder / "data" / "hiscore.dat") << "1234";
    EndGame(blocked, 900);
    blocked.RunFrames(1);
    testing::internal::CaptureStderr();
    FinishNameEntry(blocked.game);
    testing::internal::GetCapturedStderr();
    EXPECT_TRUE(blocked.game.save_failed);
}

// A level no game reaches, written into the file by hand, is squeezed into
// its column: the dates beside it are drawn as beside any other level.
TEST(TableScreen, AHugeLevelStaysOutOfTheDateColumn) {
    struct Grab final : FrameObserver {
        void FrameDrawn(Game& game) override { picture = game.services.graphics.GrabBackBuffer(); }
        TPixmap picture;
    };
    auto dates = [](int level) {
        GameHarness h;
        Grab grab;
        h.game.observer = &grab;
        h.game.scores.table.entries = {{500, level, "2026-12-01", "Ann"}, {400, 3, "2026-12-02", "Bo"}};
        h.game.scores.view = TitleView::Table;
        h.game.scores.seen_activity = h.input.Activity();
        h.RunFrames(1);
        EXPECT_EQ(h.game.screen, Screen::Scores);
        std::vector<std::uint32_t> column;
        for (int y = 180; y < 250; ++y)
            for (int x = 498; x < 640; ++x) column.push_back(grab.picture.ReadRGBA(x, y));
        return column;
    };
    EXPECT_TRUE(dates(1) == dates(2147483647));
}
