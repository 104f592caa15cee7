// The settings file and the settings a run starts and ends with.

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "game/settings.hpp"
#include "game/shell.hpp"
#include "support/game_harness.hpp"
#include "support/temp_folder.hpp"

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
    ParsedSettings parsed = ParseSettings(
        "sound_volume 11\n"
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
    TempFolder temp_;
    const fs::path folder_ = temp_.path();
};

TEST_F(SettingsFileTest, SavedIntoNewFoldersAndMergedWithWhatAnotherGameSaved) {
    std::string path = (folder_ / "config" / "rezarudev" / "settings").string();
    EXPECT_EQ(LoadSettings(path), Settings{}) << "no file: the defaults";
    GameHarness h;
    h.game.run.settings_path = path;
    ApplySettings(h.game, h.game.run.settings);
    h.game.sound.sfx_vol_step = 4;
    SaveChangedSettings(h.game);
    EXPECT_EQ(LoadSettings(path).sfx_vol_step, 4);
    EXPECT_EQ(std::distance(fs::directory_iterator(fs::path(path).parent_path()), {}), 1) << "no file left behind";

    // Another game changed the track meanwhile, and the file holds a line of
    // a later version: this game writes only what it changed, and keeps the
    // line aside.
    std::ofstream(path) << "sound_volume 4\nmusic_track 3\nfuture_setting 1\n";
    h.game.run.settings = CurrentSettings(h.game);
    h.game.sound.music_vol_step = 2;
    testing::internal::CaptureStderr();
    SaveChangedSettings(h.game);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("settings.bad"), std::string::npos);
    Settings saved = LoadSettings(path);
    EXPECT_EQ(saved.music_track, 3);
    EXPECT_EQ(saved.music_vol_step, 2);
    EXPECT_EQ(ReadFile(path + ".bad"), "sound_volume 4\nmusic_track 3\nfuture_setting 1\n");
    EXPECT_FALSE(h.game.save_failed);

    fs::create_directories(folder_ / "blocked");
    std::ofstream(folder_ / "blocked" / "file") << "x";
    h.game.run.settings_path = (folder_ / "blocked" / "file" / "settings").string();
    h.game.sound.music_vol_step = 1;
    testing::internal::CaptureStderr();
    SaveChangedSettings(h.game);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("blocked/file"), std::string::npos);
    EXPECT_TRUE(h.game.save_failed);
}

// A FIFO in the file's place would block the start for ever: it is refused
// with a line, and leaving does not write over it.
TEST_F(SettingsFileTest, SomethingOtherThanAPlainFileIsNeitherReadNorWrittenOver) {
    fs::create_directories(folder_);
    std::string path = (folder_ / "settings").string();
    ASSERT_EQ(mkfifo(path.c_str(), 0600), 0);
    bool may_save = true;
    testing::internal::CaptureStderr();
    EXPECT_EQ(LoadSettings(path, &may_save), Settings{});
    std::string message = testing::internal::GetCapturedStderr();
    EXPECT_EQ(std::count(message.begin(), message.end(), '\n'), 1) << message;
    EXPECT_FALSE(may_save);
    fs::remove(path);
    fs::create_directory(path);
    testing::internal::CaptureStderr();
    LoadSettings(path, &may_save);
    testing::internal::GetCapturedStderr();
    EXPECT_FALSE(may_save);
}

TEST_F(SettingsFileTest, ARunStartsFromItsSettingsAndSavesOnlyWhatChanged) {
    GameHarness h;
    h.game.run.settings = Settings{3, 0, 1, false};
    h.game.run.settings_path = (folder_ / "settings").string();
    ApplySettings(h.game, h.game.run.settings);
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

    // Without a home folder there is nowhere to keep them, and a line says so.
    h.game.run.settings_path.clear();
    h.game.folders.settings.clear();
    sound.music_vol_step = 2;
    testing::internal::CaptureStderr();
    SaveChangedSettings(h.game);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("changed settings are not kept"), std::string::npos);
}

}  // namespace
