// The settings file and the settings a run starts and ends with.

#include <SDL.h>
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
    chosen.board = "https://board.example:8443/";
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
        "board ftp://board.example/\n"
        "\x01\xff binary junk");
    EXPECT_EQ(parsed.settings, (Settings{10, 3, 2, false}));
    EXPECT_EQ(parsed.skipped, 7);
    EXPECT_EQ(parsed.first_problem, "line 1 'sound_volume 11'");
    // A later good line still wins over an earlier one.
    EXPECT_EQ(ParseSettings("music_track 1\nmusic_track 3\n").settings.music_track, 3);
}

// Keys by their Linux SDL names, several words and any case; what no good
// line binds keeps its default, unless a line gave that default away.
TEST(Settings, BindLinesGiveKeysAndButtonsAndBadOnesAreSkipped) {
    ParsedSettings parsed = ParseSettings(
        "bind fire J\n"
        "bind fire left ctrl   # the old key too\n"
        "bind fire Z\n"            // a third key
        "bind thrust J\n"          // fire's
        "bind jump Space\n"        // no such action
        "bind pause Hyper Key\n"   // no such key
        "bind pause Escape\n"      // Esc always quits
        "bind pause F11\n"         // F11 always switches the display
        "bind turn_left Keypad #\n"
        "bind turn_right W\n"      // thrust's second key by default
        "bind\n"
        "bind_pad fire x\n"
        "bind_pad pause guide\n"
        "bind_pad thrust\n"
        "bind fire \x01\xff\n");
    const Bindings& b = parsed.settings.bindings;
    EXPECT_EQ(b.keys[kFire], (std::array<int, 2>{SDL_SCANCODE_J, SDL_SCANCODE_LCTRL}));
    EXPECT_EQ(b.keys[kTurnLeft], (std::array<int, 2>{SDL_SCANCODE_KP_HASH, kNoKey}));
    EXPECT_EQ(b.keys[kTurnRight], (std::array<int, 2>{SDL_SCANCODE_W, kNoKey}));
    EXPECT_EQ(b.keys[kThrust], (std::array<int, 2>{SDL_SCANCODE_UP, kNoKey})) << "W went to turning";
    EXPECT_EQ(b.keys[kPause], DefaultBindings().keys[kPause]);
    EXPECT_EQ(b.buttons[kFire], (std::array<int, 2>{kPadX, kNoButton}));
    EXPECT_EQ(b.buttons[kPause], DefaultBindings().buttons[kPause]);
    EXPECT_EQ(parsed.skipped, 10);
    EXPECT_EQ(parsed.first_problem, "line 3 'bind fire Z'");

    // Only what differs from the defaults is written, and it reads back the same.
    EXPECT_EQ(FormatSettings(Settings{}).find("bind"), std::string::npos);
    std::string text = FormatSettings(parsed.settings);
    EXPECT_NE(text.find("bind fire Left Ctrl\n"), std::string::npos) << text;
    EXPECT_EQ(ParseSettings(text).settings, parsed.settings);
    EXPECT_EQ(ParseSettings(text).skipped, 0);
}

// Another game bound Q to pause; this one bound Q to fire and changed
// nothing else: fire gets Q, pause falls back to its defaults.
TEST(Settings, MergedBindingsTakeWhatThisRunBoundFromTheOtherGames) {
    Bindings stored = DefaultBindings();
    stored.keys[kPause] = {SDL_SCANCODE_Q, kNoKey};
    stored.keys[kThrust] = {SDL_SCANCODE_T, kNoKey};
    Bindings current = DefaultBindings();
    current.keys[kFire] = {SDL_SCANCODE_Q, SDL_SCANCODE_K};
    Bindings merged = MergedBindings(stored, DefaultBindings(), current);
    EXPECT_EQ(merged.keys[kFire], current.keys[kFire]);
    EXPECT_EQ(merged.keys[kPause], DefaultBindings().keys[kPause]);
    EXPECT_EQ(merged.keys[kThrust], stored.keys[kThrust]);
    EXPECT_EQ(merged.buttons, stored.buttons);
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
