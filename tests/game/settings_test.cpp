// The settings file and the settings a run starts and ends with.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "game/paths.hpp"
#include "game/settings.hpp"
#include "game/shell.hpp"
#include "support/game_harness.hpp"

namespace fs = std::filesystem;

namespace {

std::string ReadFile(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

TEST(Settings, WrittenTextReadsBackAsTheSameSettings) {
    Settings chosen{0, 7, 3, false};
    ParsedSettings parsed = ParseSettings(FormatSettings(chosen));
    EXPECT_EQ(parsed.settings, chosen);
    EXPECT_EQ(parsed.skipped, 0);
    EXPECT_EQ(ParseSettings("").settings, Settings{});
}

TEST(Settings, BrokenAndUnknownLinesAreSkippedAndTheRestCount) {
    ParsedSettings parsed = ParseSettings("sound_volume 11\n"
                                          "music_volume\t3   # quieter\r\n"
                                          "volume 5\n"
                                          "music_track -1\n"
                                          "music_track 2x\n"
                                          "\n"
                                          "fullscreen 0\n"
                                          "sound_volume\n"
                                          "\x01\xff binary junk");
    EXPECT_EQ(parsed.settings, (Settings{10, 3, 2, false}));
    EXPECT_EQ(parsed.skipped, 6);
    EXPECT_EQ(parsed.first_problem, "line 1 'sound_volume 11'");
    // A later good line still wins over an earlier one.
    EXPECT_EQ(ParseSettings("music_track 1\nmusic_track 3\n").settings.music_track, 3);
}

class SettingsFileTest : public testing::Test {
protected:
    void SetUp() override {
        folder_ = fs::temp_directory_path() / ("rezarudev-settings-" + std::to_string(::getpid()));
        fs::remove_all(folder_);
    }
    void TearDown() override { fs::remove_all(folder_); }

    fs::path folder_;
};

TEST_F(SettingsFileTest, SavedIntoNewFoldersAtomicallyAndLoadedBack) {
    std::string path = (folder_ / "config" / "rezarudev" / "settings").string();
    EXPECT_EQ(LoadSettings(path), Settings{}) << "no file: the defaults";
    std::string error;
    ASSERT_TRUE(SaveSettings(path, Settings{4, 0, 1, false}, error)) << error;
    EXPECT_EQ(LoadSettings(path), (Settings{4, 0, 1, false}));
    EXPECT_FALSE(fs::exists(path + ".tmp"));
    ASSERT_TRUE(SaveSettings(path, Settings{}, error)) << error;
    EXPECT_EQ(LoadSettings(path), Settings{});

    fs::create_directories(folder_ / "blocked");
    std::ofstream(folder_ / "blocked" / "file") << "x";
    EXPECT_FALSE(SaveSettings((folder_ / "blocked" / "file" / "settings").string(), Settings{}, error));
    EXPECT_NE(error.find("blocked/file"), std::string::npos) << error;
}

TEST_F(SettingsFileTest, FolderFollowsDataDirThenXdgConfigHomeThenHome) {
    EXPECT_EQ(SettingsPath("/games/rz"), "/games/rz/data/settings");
    const char* saved_config = std::getenv("XDG_CONFIG_HOME");
    const char* saved_home = std::getenv("HOME");
    std::string config = saved_config ? saved_config : "", home = saved_home ? saved_home : "";
    ::setenv("XDG_CONFIG_HOME", "/xdg", 1);
    ::setenv("HOME", "/home/player", 1);
    EXPECT_EQ(SettingsPath(""), "/xdg/rezarudev/settings");
    ::setenv("XDG_CONFIG_HOME", "relative", 1);
    EXPECT_EQ(SettingsPath(""), "/home/player/.config/rezarudev/settings");
    ::unsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(SettingsPath(""), "/home/player/.config/rezarudev/settings");
    ::unsetenv("HOME");
    EXPECT_EQ(SettingsPath(""), "");
    if (saved_config) ::setenv("XDG_CONFIG_HOME", config.c_str(), 1);
    if (saved_home) ::setenv("HOME", home.c_str(), 1);
}

TEST_F(SettingsFileTest, ARunStartsFromItsSettingsAndSavesOnlyWhatChanged) {
    GameHarness h;
    h.game.settings = Settings{3, 0, 1, false};
    h.game.settings_path = (folder_ / "settings").string();
    ApplySettings(h.game, h.game.settings);
    GameSound& sound = h.game.sound;
    EXPECT_EQ(sound.sfx_vol, 0.1f + 0.1f + 0.1f) << "as three clicks up from Off make it";
    EXPECT_EQ(sound.music_vol, 0.0f);
    EXPECT_EQ(sound.music_track, 1);
    EXPECT_EQ(VolumeOfStep(10), 1.0f);

    ShutDown(h.game);
    EXPECT_FALSE(fs::exists(folder_ / "settings")) << "nothing changed, nothing written";

    sound.music_vol_step = 5;
    h.display.ToggleFullscreen();
    h.display.Flip(0);
    EXPECT_TRUE(h.display.fullscreen());
    ShutDown(h.game);
    EXPECT_EQ(ParseSettings(ReadFile(folder_ / "settings")).settings, (Settings{3, 5, 1, true}));
}

}  // namespace
