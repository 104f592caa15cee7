#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <unistd.h>

#include "game/hiscore.hpp"

namespace {

class BestScoreFileTest : public testing::Test {
protected:
    void SetUp() override {
        folder_ = std::filesystem::temp_directory_path() /
                  ("rezarudev-hiscore-" + std::to_string(getpid()) + "-" +
                   testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(folder_);
        std::filesystem::create_directories(folder_ / "data");
        path_ = (folder_ / "data" / "hiscore.dat").string();
    }
    void TearDown() override { std::filesystem::remove_all(folder_); }

    void WriteBytes(std::initializer_list<unsigned char> bytes) {
        std::ofstream file(path_, std::ios::binary);
        for (unsigned char byte : bytes) file.put(static_cast<char>(byte));
    }

    std::filesystem::path folder_;
    std::string path_;
};

}  // namespace

TEST_F(BestScoreFileTest, FourLittleEndianBytes) {
    ASSERT_TRUE(WriteBestScore(path_, 120));
    std::ifstream file(path_, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    EXPECT_EQ(bytes, std::string("\x78\x00\x00\x00", 4));
    WriteBytes({0xD2, 0x04, 0x00, 0x00, 0xFF});
    EXPECT_EQ(ReadBestScore(path_), 1234);
    WriteBytes({0xFF, 0xFF, 0xFF, 0xFF});
    EXPECT_EQ(ReadBestScore(path_), -1);
}

TEST_F(BestScoreFileTest, MissingShortOrFolderReadsAsZero) {
    EXPECT_EQ(ReadBestScore(path_), 0);
    WriteBytes({0x10, 0x27});
    testing::internal::CaptureStderr();
    EXPECT_EQ(ReadBestScore(path_), 0);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("hiscore.dat"), std::string::npos);
    std::filesystem::remove(path_);
    std::filesystem::create_directory(path_);
    testing::internal::CaptureStderr();
    EXPECT_EQ(ReadBestScore(path_), 0);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("folder"), std::string::npos);
}

TEST_F(BestScoreFileTest, AFailedWriteKeepsTheOldFileAndSaysSo) {
    ASSERT_TRUE(WriteBestScore(path_, 500));
    // A folder where the temporary file would go makes the write fail.
    std::filesystem::create_directory(path_ + ".tmp");
    testing::internal::CaptureStderr();
    EXPECT_FALSE(WriteBestScore(path_, 900));
    std::string message = testing::internal::GetCapturedStderr();
    EXPECT_EQ(std::count(message.begin(), message.end(), '\n'), 1);
    EXPECT_EQ(ReadBestScore(path_), 500);
}

TEST_F(BestScoreFileTest, WritingCreatesTheDataFolder) {
    std::filesystem::remove_all(folder_ / "data");
    EXPECT_TRUE(WriteBestScore(path_, 7));
    EXPECT_EQ(ReadBestScore(path_), 7);
}
