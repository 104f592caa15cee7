// Where a run finds its sounds and keeps its best score.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "game/hiscore.hpp"
#include "game/paths.hpp"
#include "support/temp_folder.hpp"

namespace fs = std::filesystem;

namespace {

class PathsTest : public testing::Test {
protected:
    std::string Path(const std::string& name) const { return (folder_ / name).string(); }
    void Touch(const std::string& name) {
        fs::create_directories(fs::path(Path(name)).parent_path());
        std::ofstream(Path(name)) << "x";
    }

    TempFolder temp_;
    const fs::path folder_ = temp_.path();
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

// The XDG rules for every per-user path: an empty or relative value counts
// as unset, then $HOME decides; without an absolute $HOME there is none.
TEST_F(PathsTest, PerUserPathsFollowXdgThenHomeAndIgnoreEmptyOrRelativeValues) {
    const char* names[] = {"XDG_DATA_HOME", "XDG_CONFIG_HOME", "HOME"};
    std::vector<std::optional<std::string>> saved;
    for (const char* name : names) {
        const char* value = std::getenv(name);
        saved.push_back(value ? std::optional<std::string>(value) : std::nullopt);
    }
    setenv("XDG_DATA_HOME", Path("data home").c_str(), 1);
    setenv("XDG_CONFIG_HOME", Path("config home").c_str(), 1);
    setenv("HOME", Path("home").c_str(), 1);
    EXPECT_EQ(UserDataFolder(), Path("data home") + "/rezarudev/");
    EXPECT_TRUE(fs::is_directory(Path("data home/rezarudev")));
    EXPECT_EQ(SettingsPath(""), Path("config home") + "/rezarudev/settings");
    EXPECT_EQ(FindFolders("").best_score, Path("data home") + "/rezarudev/hiscore.dat");
    EXPECT_EQ(FindFolders("").settings, Path("config home") + "/rezarudev/settings");
    GameFolders under = FindFolders(Path("dir"));
    EXPECT_EQ(under.best_score, Path("dir") + "/data/hiscore.dat");
    EXPECT_EQ(under.settings, Path("dir") + "/data/settings");

    for (const char* value : {"", "relative/share"}) {
        setenv("XDG_DATA_HOME", value, 1);
        setenv("XDG_CONFIG_HOME", value, 1);
        EXPECT_EQ(UserDataFolder(), Path("home") + "/.local/share/rezarudev/") << "'" << value << "'";
        EXPECT_EQ(SettingsPath(""), Path("home") + "/.config/rezarudev/settings") << "'" << value << "'";
    }
    EXPECT_FALSE(fs::exists("relative")) << "nothing made under the working folder";

    unsetenv("XDG_DATA_HOME");
    unsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(UserDataFolder(), Path("home") + "/.local/share/rezarudev/");
    // Without any home folder nothing is kept per user, and a line says so.
    for (const char* home : std::vector<const char*>{"", "relative", nullptr}) {
        if (home) {
            setenv("HOME", home, 1);
        } else {
            unsetenv("HOME");
        }
        testing::internal::CaptureStderr();
        EXPECT_EQ(UserDataFolder(), "");
        EXPECT_EQ(SettingsPath(""), "");
        EXPECT_NE(testing::internal::GetCapturedStderr().find("no per-user folder"), std::string::npos);
    }
    for (std::size_t i = 0; i < saved.size(); ++i) {
        if (saved[i]) {
            setenv(names[i], saved[i]->c_str(), 1);
        } else {
            unsetenv(names[i]);
        }
    }
}
