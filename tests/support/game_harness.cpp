#include "support/game_harness.hpp"

#include <gtest/gtest.h>

#include <unistd.h>
#include <cerrno>
#include <cstdlib>
#include <system_error>

#include "game/rules.hpp"
#include "game/shell.hpp"
#include "platform/audio/manual_audio_output.hpp"
#include "platform/video/headless_display.hpp"

namespace {

std::filesystem::path MakeFolder() {
    // A name of its own even where a killed run of a process with the same
    // number left its folder behind.
    std::string pattern = (std::filesystem::temp_directory_path() / "rezarudev-test-XXXXXX").string();
    if (!mkdtemp(pattern.data()))
        throw std::filesystem::filesystem_error("mkdtemp", pattern, std::error_code(errno, std::generic_category()));
    std::filesystem::path folder = pattern;
    std::filesystem::create_directories(folder / "data");
    // The sounds are the real ones; only the best score is private.
    for (const auto& entry :
         std::filesystem::directory_iterator(std::filesystem::path(REZARUDEV_SOURCE_DIR) / "data")) {
        if (entry.path().extension() == ".ogg")
            std::filesystem::create_symlink(entry.path(), folder / "data" / entry.path().filename());
    }
    return folder;
}

}  // namespace

GameHarness::GameHarness(int seed) : GameHarness(seed, nullptr) {}

GameHarness::GameHarness(int seed, std::unique_ptr<Display> display_given)
    : GameHarness(seed, std::move(display_given), nullptr) {}

GameHarness::GameHarness(ReplayFile replay, std::unique_ptr<Display> display_given)
    : GameHarness(replay.seed, std::move(display_given), std::make_unique<ReplaySource>(std::move(replay))) {}

GameHarness::GameHarness(int seed, std::unique_ptr<Display> display_given, std::unique_ptr<ReplaySource> replay)
    : folder(MakeFolder()),
      display_(display_given ? std::move(display_given) : std::make_unique<HeadlessDisplay>(clock, true)),
      display(*display_),
      replay_source(std::move(replay)),
      game_(std::make_unique<Game>(services, FoldersUnder(folder.string()))),
      game(*game_) {
    graphics.ApplyState();
    audio.AttachOutput(std::make_unique<ManualAudioOutput>(audio));
    game.run.fast_exit = true;
    // Start-up without the settings, the title music, the splash and the
    // pointer's placement.
    SetUpGame(game, seed);
    FinishSetUp(game);
    // Set-up made input queries of its own; the first frame starts afresh.
    input.BeginFrame(game.frame);
}

GameHarness::~GameHarness() {
    game_.reset();
    std::error_code error;
    std::filesystem::remove_all(folder, error);
}

void GameHarness::StartPlaying() {
    StartGame(game);
    game.FlushInput();
}

bool GameHarness::RunFrames(int count) {
    for (int i = 0; i < count; ++i) {
        if (!RunMainLoopFrame(game)) return false;
    }
    return true;
}

void GameHarness::Tap(int key) {
    Press(key);
    Release(key);
}

ReplayFile ReplayFromText(std::string_view text) {
    std::string error;
    std::optional<ReplayFile> replay = ParseReplay(text, "replay", error);
    EXPECT_TRUE(replay.has_value()) << error;
    return replay.value_or(ReplayFile{});
}
