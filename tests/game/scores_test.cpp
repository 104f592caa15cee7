#include <gtest/gtest.h>

#include <sys/stat.h>
#include <algorithm>
#include <filesystem>
#include <fstream>

#include "game/kept_replays.hpp"
#include "game/paths.hpp"
#include "game/scores.hpp"
#include "game/watch.hpp"
#include "support/game_harness.hpp"
#include "support/temp_folder.hpp"

namespace {

class ScoresFileTest : public testing::Test {
protected:
    void SetUp() override {
        std::filesystem::create_directories(folder_ / "data");
        path_ = ScoresPath(FoldersUnder(folder_.string()));
    }

    void Write(const std::string& text) { std::ofstream(path_, std::ios::binary) << text; }

    TempFolder temp_;
    const std::filesystem::path folder_ = temp_.path();
    std::string path_;
};

ScoreEntry Entry(int score, const std::string& name = "Ann") { return {score, 2, "2026-12-09", name}; }

}  // namespace

TEST_F(ScoresFileTest, WrittenAndReadBackBesideTheBestScore) {
    EXPECT_EQ(path_, (folder_ / "data" / "scores").string());
    ScoresRead missing = ReadScores(path_);
    EXPECT_TRUE(missing.table.entries.empty());
    EXPECT_TRUE(missing.may_save);

    ScoreTable table;
    table.last_name = "Zo\xeb";  // Latin-1 in memory
    table.entries = {{12340, 5, "2026-12-09", "Zo\xeb"}, {900, 1, "2024-02-29", "A b #1"}};
    ASSERT_TRUE(WriteScores(path_, table));
    std::ifstream file(path_, std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    EXPECT_NE(text.find("\nlast Zo\xc3\xab\n12340 5 2026-12-09 Zo\xc3\xab\n900 1 2024-02-29 A b #1\n"),
              std::string::npos)
        << text;
    ScoresRead read = ReadScores(path_);
    EXPECT_EQ(read.table, table);
    EXPECT_TRUE(read.may_save);
}

// Every line that is not an entry as the game writes it is refused on its
// own; the good ones around it still count, in the table's order.
TEST_F(ScoresFileTest, BrokenLinesAreSkippedWithOneWarning) {
    Write(
        "# comment\r\n"
        "\n"
        "500 3 2026-01-02 Bob\r\n"
        "0 1 2026-01-02 Zero\n"
        "-5 1 2026-01-02 Minus\n"
        "+5 1 2026-01-02 Plus\n"
        "99999999999 1 2026-01-02 Huge\n"
        "5 0 2026-01-02 NoLevel\n"
        "5 1 2026-02-30 BadDay\n"
        "5 1 26-01-02 ShortYear\n"
        "5 1 2026-01-02 ThirteenChars\n"
        "5 1 2026-01-02  Lead\n"
        "5 1 2026-01-02 Tail \n"
        "5 1 2026-01-02 \n"
        "5 1 2026-01-02 Bell\a\n"
        "5 1 2026-01-02 \xe6\x97\xa5\n"
        "5 1 2026-01-02 Bad\xc3\n"
        "5 1 2026-01-02 Over\xc1\xa1\n"
        "5 1 2026-01-02\n"
        "last Ann\n"
        "last Second\n"
        "700 2 2025-12-31 Ann Lee\n");
    testing::internal::CaptureStderr();
    ScoresRead read = ReadScores(path_);
    std::string warning = testing::internal::GetCapturedStderr();
    EXPECT_EQ(std::count(warning.begin(), warning.end(), '\n'), 1) << warning;
    EXPECT_NE(warning.find("skipped 17 unreadable lines"), std::string::npos) << warning;
    EXPECT_NE(warning.find("line 4"), std::string::npos) << warning;
    EXPECT_TRUE(read.may_save);
    ASSERT_EQ(read.table.entries.size(), 2u);
    EXPECT_EQ(read.table.entries[0], (ScoreEntry{700, 2, "2025-12-31", "Ann Lee"}));
    EXPECT_EQ(read.table.entries[1].name, "Bob");
    EXPECT_EQ(read.table.last_name, "Ann");
}

TEST_F(ScoresFileTest, AFileThatCannotBeReadIsLeftAsItIs) {
    std::filesystem::create_directory(path_);
    testing::internal::CaptureStderr();
    EXPECT_FALSE(ReadScores(path_).may_save);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("folder"), std::string::npos);
    std::filesystem::remove(path_);

    ASSERT_EQ(mkfifo(path_.c_str(), 0600), 0);
    testing::internal::CaptureStderr();
    EXPECT_FALSE(ReadScores(path_).may_save);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("not a plain file"), std::string::npos);
    std::filesystem::remove(path_);

    // Far more than ten entries can take: not a score table at all.
    std::string big;
    while (big.size() <= 64 * 1024) big += "100 1 2026-01-01 Filler\n";
    Write(big);
    testing::internal::CaptureStderr();
    ScoresRead read = ReadScores(path_);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("more than 65536 bytes"), std::string::npos);
    EXPECT_FALSE(read.may_save);
    EXPECT_TRUE(read.table.entries.empty());
}

TEST(ScoreTable, TheEleventhPushesOutTheTenthAndTiesKeepTheOlderAbove) {
    ScoreTable table;
    EXPECT_EQ(AddEntry(table, Entry(0)), -1) << "a score of 0 never enters";
    for (int i = 0; i < 10; ++i) EXPECT_EQ(AddEntry(table, Entry(1000 - 100 * i, "N" + std::to_string(i))), i);
    EXPECT_EQ(RankOf(table, 100), -1) << "equal to the tenth is not better than it";
    EXPECT_EQ(AddEntry(table, Entry(100, "Late")), -1);
    EXPECT_EQ(AddEntry(table, Entry(800, "Tie")), 3) << "below the older 800";
    ASSERT_EQ(table.entries.size(), kTableSize);
    EXPECT_EQ(table.entries[2].name, "N2");
    EXPECT_EQ(table.entries[3].name, "Tie");
    EXPECT_EQ(table.entries[9].name, "N8") << "the old tenth is gone";
    EXPECT_EQ(AddEntry(table, Entry(5000, "Top")), 0);
    EXPECT_EQ(table.entries.back().name, "N7");
}

TEST(ScoreTable, NamesHoldOnlyWhatTheFontDraws) {
    EXPECT_EQ(NameCharsOf("Zo\xc3\xab \xe6\x97\xa5!\x07\xc3"), "Zo\xeb !");
    EXPECT_EQ(ToUtf8("Zo\xeb"), "Zo\xc3\xab");
    EXPECT_TRUE(IsValidName("A"));
    EXPECT_TRUE(IsValidName("Twelve chars"));
    EXPECT_FALSE(IsValidName(""));
    EXPECT_FALSE(IsValidName("Thirteen char"));
    EXPECT_FALSE(IsValidName(" A"));
    EXPECT_FALSE(IsValidName("A\x7f"));
    // The no-break space is a blank like any other.
    EXPECT_FALSE(IsValidName("\xa0"));
    EXPECT_FALSE(IsValidName("Ann\xa0"));
    EXPECT_TRUE(IsValidName("Ann\xa0Lee"));
}

// Two games of one player in one folder, each entering the table: each save
// reads the file again, so neither undoes the other, and no entry is kept
// twice however often the table is saved.
TEST(TableSaves, TwoGamesInOneFolderKeepBothEntries) {
    GameHarness first;
    GameHarness second;
    second.game.folders = first.game.folders;
    LoadScoreTable(second.game);
    KeepScore(first.game, Entry(700, "Ann"));
    KeepScore(second.game, Entry(900, "Bob"));
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

    testing::internal::CaptureStderr();
    KeepScore(h.game, Entry(900, "Cy"));
    std::string said = testing::internal::GetCapturedStderr();
    EXPECT_NE(said.find(path + ".bad"), std::string::npos) << said;
    std::ifstream kept(path + ".bad", std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(kept), {}), original);
    EXPECT_EQ(ReadScores(path).table.entries.size(), 3u);

    KeepScore(h.game, Entry(950, "Cy"));
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
    testing::internal::CaptureStderr();
    KeepScore(h.game, Entry(900));
    std::string said = testing::internal::GetCapturedStderr();
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
    EXPECT_NE(said.find("read-only"), std::string::npos) << said;
    EXPECT_EQ(ReadScores(path).table.entries.size(), 1u);
    EXPECT_TRUE(h.game.save_failed);

    // Where no file can be made at all (a file where the folder should be).
    GameHarness blocked;
    blocked.game.scores.path = (blocked.folder / "data" / "hiscore.dat" / "scores").string();
    std::ofstream(blocked.folder / "data" / "hiscore.dat") << "1234";
    testing::internal::CaptureStderr();
    KeepScore(blocked.game, Entry(900));
    testing::internal::GetCapturedStderr();
    EXPECT_TRUE(blocked.game.save_failed);
}

// Each entry's recording lives in replays/ beside the table: one that falls
// off takes its file with it, and a missing or damaged one costs only its own
// watch, with one warning however often the table is drawn.
TEST(TableSaves, RecordingsGoWithTheirEntriesAndABadOneCostsOnlyItsWatch) {
    GameHarness h;
    std::string path = h.game.scores.path;
    std::filesystem::create_directories(ReplaysFolder(path));
    auto write = [](const std::string& file, const std::string& text) { std::ofstream(file, std::ios::binary) << text; };
    const std::string good = "game 5\nsettings 10 10 2\nname Ann\nend 100\n";
    std::string table = "last Ann\n";
    for (int i = 0; i < 10; ++i) {
        std::string text = good + "# " + std::to_string(i) + "\n";
        std::string name = ReplayFileName(text);
        table += std::to_string(1000 - i * 10) + " 1 2026-12-09 Ann\nreplay " + name + "\n";
        if (i == 3) text = "game 0\nend 5\n";  // a state the generator never has
        if (i != 5) write(ReplayPath(path, name), text);
    }
    write(path, table);
    write(ReplayPath(path, "0123456789abcdef.txt.part"), "not the game's");
    LoadScoreTable(h.game);
    ASSERT_EQ(h.game.scores.table.entries.size(), 10u);
    std::string last = ReplayPath(path, h.game.scores.table.entries[9].replay);

    testing::internal::CaptureStderr();
    for (int look = 0; look < 3; ++look)
        for (int i = 0; i < 10; ++i) EXPECT_EQ(CanWatchEntry(h.game, i), i != 3 && i != 5) << i;
    std::string warnings = testing::internal::GetCapturedStderr();
    EXPECT_EQ(std::count(warnings.begin(), warnings.end(), '\n'), 2) << warnings;
    EXPECT_NE(warnings.find("entry 4 of the score table"), std::string::npos) << warnings;
    EXPECT_FALSE(WatchEntry(h.game, 5));
    EXPECT_FALSE(h.game.next_watch);

    PlayedGame played;
    played.start.one_game = true;
    played.start.seed = 77;
    played.end = 10;
    int place = KeepScore(h.game, Entry(2000, "Bob"), played);
    EXPECT_EQ(place, 0);
    EXPECT_FALSE(h.game.save_failed);
    ScoresRead stored = ReadScores(path);
    ASSERT_EQ(stored.table.entries.size(), 10u);
    EXPECT_TRUE(stored.text.empty()) << "no line skipped";
    EXPECT_FALSE(std::filesystem::exists(last)) << "fell off with its entry";
    EXPECT_TRUE(std::filesystem::exists(ReplayPath(path, "0123456789abcdef.txt.part")));
    EXPECT_EQ(stored.table.entries[0].replay, ReplayFileName(played.Text("Bob")));
    EXPECT_TRUE(CanWatchEntry(h.game, 0));
    EXPECT_TRUE(WatchEntry(h.game, 0));
    EXPECT_TRUE(h.game.next_watch);
}
