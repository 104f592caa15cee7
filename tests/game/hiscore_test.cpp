#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <future>

#include "game/hiscore.hpp"
#include "support/game_harness.hpp"
#include "support/temp_folder.hpp"

namespace {

class BestScoreFileTest : public testing::Test {
protected:
    void SetUp() override {
        std::filesystem::create_directories(folder_ / "data");
        path_ = (folder_ / "data" / "hiscore.dat").string();
    }

    void WriteBytes(std::initializer_list<unsigned char> bytes) {
        std::ofstream file(path_, std::ios::binary);
        for (unsigned char byte : bytes) file.put(static_cast<char>(byte));
    }

    TempFolder temp_;
    const std::filesystem::path folder_ = temp_.path();
    std::string path_;
};

}  // namespace

TEST_F(BestScoreFileTest, FourLittleEndianBytes) {
    ASSERT_TRUE(WriteBestScore(path_, 120));
    std::ifstream file(path_, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    EXPECT_EQ(bytes, std::string("\x78\x00\x00\x00", 4));
    WriteBytes({0xD2, 0x04, 0x00, 0x00});
    EXPECT_EQ(ReadBestScore(path_).best, 1234);
    WriteBytes({0xFF, 0xFF, 0xFF, 0xFF});
    EXPECT_EQ(ReadBestScore(path_).best, -1);
    EXPECT_EQ(ReadBestScore((folder_ / "missing.dat").string()).best, 0);
    EXPECT_TRUE(ReadBestScore((folder_ / "missing.dat").string()).may_save);
}

// A file of any other length is no best score (a trace or a table written in
// its place would read as a huge one): 0, said once, and the game leaves it
// as it found it.
TEST_F(BestScoreFileTest, AFileOfAnotherLengthIsNoBestScoreAndIsLeftAsItIs) {
    for (std::initializer_list<unsigned char> bytes : {std::initializer_list<unsigned char>{},
                                                       {0x10, 0x27, 0x00},
                                                       {0xD2, 0x04, 0x00, 0x00, 0x0A},
                                                       {'{', '"', 'f', 'r', 'a', 'm', 'e', '"'}}) {
        GameHarness h;
        std::string game_path = BestScorePath(h.game);
        {
            std::ofstream file(game_path, std::ios::binary);
            for (unsigned char byte : bytes) file.put(static_cast<char>(byte));
        }
        testing::internal::CaptureStderr();
        LoadBest(h.game);
        h.game.player.best = 900;
        SaveBest(h.game);
        std::string message = testing::internal::GetCapturedStderr();
        EXPECT_EQ(std::count(message.begin(), message.end(), '\n'), 1) << message;
        EXPECT_NE(message.find("hiscore.dat"), std::string::npos) << message;
        EXPECT_EQ(std::filesystem::file_size(game_path), bytes.size());
        EXPECT_EQ(ReadBestScore(game_path, false).best, 0);
    }
}

// A file that is there but cannot be read is never written over: a folder,
// a FIFO (which must not hold up the start either) or, for anyone but root,
// a file without read permission.
TEST_F(BestScoreFileTest, AFileThatCannotBeReadIsLeftAsItIs) {
    std::filesystem::create_directory(path_);
    testing::internal::CaptureStderr();
    EXPECT_FALSE(ReadBestScore(path_).may_save);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("folder"), std::string::npos);
    std::filesystem::remove(path_);

    ASSERT_EQ(mkfifo(path_.c_str(), 0600), 0);
    testing::internal::CaptureStderr();
    auto reading = std::async(std::launch::async, [this] { return ReadBestScore(path_); });
    if (reading.wait_for(std::chrono::seconds(5)) != std::future_status::ready) {
        // Lets a reader blocked in open() go, so the test fails instead of hanging.
        int writer = open(path_.c_str(), O_WRONLY | O_NONBLOCK);
        if (writer >= 0) close(writer);
        ADD_FAILURE() << "reading a FIFO waited for a writer";
    }
    BestScoreRead read = reading.get();
    std::string message = testing::internal::GetCapturedStderr();
    EXPECT_EQ(std::count(message.begin(), message.end(), '\n'), 1) << message;
    EXPECT_EQ(read.best, 0);
    EXPECT_FALSE(read.may_save);

    // The game itself: loading fails, so leaving saves nothing over the FIFO.
    GameHarness h;
    std::string game_path = BestScorePath(h.game);
    ASSERT_EQ(mkfifo(game_path.c_str(), 0600), 0);
    testing::internal::CaptureStderr();
    LoadBest(h.game);
    h.game.player.best = 900;
    SaveBest(h.game);
    message = testing::internal::GetCapturedStderr();
    EXPECT_EQ(std::count(message.begin(), message.end(), '\n'), 1) << "said once: " << message;
    EXPECT_TRUE(std::filesystem::is_fifo(game_path));

    if (geteuid() != 0) {
        std::filesystem::remove(path_);
        WriteBytes({0xD2, 0x04, 0x00, 0x00});
        std::filesystem::permissions(path_, std::filesystem::perms::none);
        testing::internal::CaptureStderr();
        EXPECT_FALSE(ReadBestScore(path_).may_save);
        testing::internal::GetCapturedStderr();
    }
}

TEST_F(BestScoreFileTest, AFailedWriteKeepsTheOldFileAndSaysSo) {
    ASSERT_TRUE(WriteBestScore(path_, 500));
    // A folder where this process's temporary file would go makes the write
    // fail; another process's temporary file is no obstacle.
    std::filesystem::create_directory(path_ + "." + std::to_string(getpid()) + ".tmp");
    std::ofstream(path_ + ".1.tmp") << "theirs";
    testing::internal::CaptureStderr();
    EXPECT_FALSE(WriteBestScore(path_, 900));
    std::string message = testing::internal::GetCapturedStderr();
    EXPECT_EQ(std::count(message.begin(), message.end(), '\n'), 1);
    EXPECT_EQ(ReadBestScore(path_).best, 500);
    EXPECT_EQ(std::filesystem::file_size(path_ + ".1.tmp"), 6u);
}

TEST_F(BestScoreFileTest, AWriteGoesThroughASymbolicLinkToItsTarget) {
    std::filesystem::create_directory(folder_ / "kept");
    std::filesystem::path target = folder_ / "kept" / "best.dat";
    std::filesystem::create_symlink("../kept/best.dat", path_);
    ASSERT_TRUE(WriteBestScore(path_, 77));
    EXPECT_TRUE(std::filesystem::is_symlink(path_));
    EXPECT_EQ(ReadBestScore(target.string()).best, 77);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder_ / "data"), {}), 1) << "no file left behind";
}

TEST_F(BestScoreFileTest, WritingCreatesTheDataFolderButNothingAboveIt) {
    std::filesystem::remove_all(folder_ / "data");
    EXPECT_TRUE(WriteBestScore(path_, 7));
    EXPECT_EQ(ReadBestScore(path_).best, 7);

    std::filesystem::remove_all(folder_);
    testing::internal::CaptureStderr();
    EXPECT_FALSE(WriteBestScore(path_, 7));
    testing::internal::GetCapturedStderr();
    EXPECT_FALSE(std::filesystem::exists(folder_));
}

TEST_F(BestScoreFileTest, OfTwoGamesLeavingAtOnceTheHigherBestScoreStays) {
    GameHarness first;
    GameHarness second;
    second.game.folders = first.game.folders;
    LoadBest(first.game);
    LoadBest(second.game);
    first.game.player.best = 900;
    second.game.player.best = 300;
    SaveBest(first.game);
    SaveBest(second.game);
    EXPECT_EQ(ReadBestScore(BestScorePath(first.game)).best, 900);
    second.game.player.best = 1200;
    SaveBest(second.game);
    EXPECT_EQ(ReadBestScore(BestScorePath(first.game)).best, 1200);
}
