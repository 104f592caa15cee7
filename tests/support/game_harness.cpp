#include "support/game_harness.hpp"

#include <gtest/gtest.h>

#include "game/screens.hpp"
#include "game/shell.hpp"
#include "platform/audio/manual_audio_output.hpp"
#include "platform/video/headless_display.hpp"

GameHarness::GameHarness(int seed) : GameHarness(seed, nullptr) {}

GameHarness::GameHarness(int seed, std::unique_ptr<Display> display_given)
    : GameHarness(seed, std::move(display_given), nullptr) {}

GameHarness::GameHarness(ReplayFile replay, std::unique_ptr<Display> display_given)
    : GameHarness(replay.seed, std::move(display_given), std::make_unique<ReplaySource>(std::move(replay))) {}

GameHarness::GameHarness(int seed, std::unique_ptr<Display> display_given, std::unique_ptr<ReplaySource> replay)
    : folder(LinkGameSounds(temp_folder_.path())),
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
    CloseSplash(game);
    // Set-up made input queries of its own; the first frame starts afresh.
    input.BeginFrame(game.frame);
}

GameHarness::~GameHarness() = default;

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
