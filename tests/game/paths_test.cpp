// Where a run finds its sounds and keeps its best score.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

#include "game/hiscore.hpp"
#include "game/paths.hpp"

namespace fs = std::filesystem;

namespace {

class PathsTest : public testing::Test {
protected:
    void SetUp() override {
        folder_ = fs::temp_directory_path() / ("rezarudev-paths-" + std::to_string(getpid()) + "-" +
                                               testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(folder_);
        fs::create_directories(folder_);
    }
    void TearDown() override { fs::remove_all(folder_); }

    std::string Path(const std::string& name) const { return (folder_ / name).string(); }
    void Touch(const std::string& name) {
        fs::create_directories(fs::path(Path(name)).parent_path());
        std::ofstream(Path(name)) << "x";
    }

    fs::path folder_;
};

}  // namespace

TEST_F(PathsTest, SoundsFromTheWorkingFolderThenTheInstalledOne) {
    const std::string working = Path("work"), installed = Path("share"), user = Path("user");
    Touch("share/title.ogg");
    // Nothing in the working folder: the installed sounds.
    GameFolders folders = ChooseFolders(working, installed, user);
    EXPECT_EQ(folders.sounds, installed);
    EXPECT_EQ(folders.best_score, user + "/hiscore.dat");
    EXPECT_EQ(folders.earlier_best_score, working + "/data/hiscore.dat");
    // A source tree: its own data/ wins.
    Touch("work/data/title.ogg");
    EXPECT_EQ(ChooseFolders(working, installed, user).sounds, working + "/data");
    // Neither holds them: the warnings name the working folder's data/.
    EXPECT_EQ(ChooseFolders(Path("elsewhere"), Path("none"), user).sounds, Path("elsewhere") + "/data");
    // No home folder: the best score stays in the working folder.
    folders = ChooseFolders(working, installed, "");
    EXPECT_EQ(folders.best_score, working + "/data/hiscore.dat");
    EXPECT_EQ(folders.earlier_best_score, "");
    // --data-dir keeps everything under it.
    folders = FoldersUnder(working);
    EXPECT_EQ(folders.sounds, working + "/data");
    EXPECT_EQ(folders.best_score, working + "/data/hiscore.dat");
    EXPECT_EQ(folders.earlier_best_score, "");
}

TEST_F(PathsTest, AnEarlierBestScoreIsTakenOverOnce) {
    fs::create_directories(Path("work/data"));
    GameFolders folders = ChooseFolders(Path("work"), "", Path("user"));
    EXPECT_EQ(ReadBestScore(BestScoreToRead(folders)).best, 0);
    ASSERT_TRUE(WriteBestScore(folders.earlier_best_score, 1234));
    EXPECT_EQ(ReadBestScore(BestScoreToRead(folders)).best, 1234);
    // Saved once per user, the old file no longer counts and is left alone.
    ASSERT_TRUE(WriteBestScore(folders.best_score, 1500));
    ASSERT_TRUE(WriteBestScore(folders.earlier_best_score, 9999));
    EXPECT_EQ(ReadBestScore(BestScoreToRead(folders)).best, 1500);
    EXPECT_EQ(ReadBestScore(folders.earlier_best_score).best, 9999);
}

TEST_F(PathsTest, PerUserFolderFollowsXdgAndIsCreated) {
    setenv("XDG_DATA_HOME", Path("data home").c_str(), 1);
    EXPECT_EQ(UserDataFolder(), Path("data home") + "/rezarudev/");
    EXPECT_TRUE(fs::is_directory(Path("data home/rezarudev")));
    EXPECT_EQ(FindFolders("").best_score, Path("data home") + "/rezarudev/hiscore.dat");
    EXPECT_EQ(FindFolders(Path("dir")).best_score, Path("dir") + "/data/hiscore.dat");
    unsetenv("XDG_DATA_HOME");
    setenv("HOME", Path("home").c_str(), 1);
    EXPECT_EQ(UserDataFolder(), Path("home") + "/.local/share/rezarudev/");
    // Without any home folder nothing is kept per user, and a line says so.
    unsetenv("HOME");
    testing::internal::CaptureStderr();
    EXPECT_EQ(UserDataFolder(), "");
    EXPECT_FALSE(testing::internal::GetCapturedStderr().empty());
}
