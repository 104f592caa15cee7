#include <gtest/gtest.h>

#include "support/game_harness.hpp"

namespace {

class MenuTest : public testing::Test {
protected:
    // Clicks with the pointer at y in the next frame.
    void ClickAt(int y) {
        h.source.Add(InputEvent::MoveTo(320, y));
        h.source.Add(InputEvent::Mouse(1, true));
        h.source.Add(InputEvent::Mouse(1, false));
        h.RunFrames(1);
    }

    GameHarness h;
};

}  // namespace

TEST_F(MenuTest, TheFirstRowReachesUpToTheTopOfItsText) {
    ClickAt(165);
    EXPECT_EQ(h.game.title_on, 1) << "above the menu nothing is selected";
    ClickAt(166);
    EXPECT_EQ(h.game.title_on, 0);
    EXPECT_EQ(h.game.player.lives, 3);
}

TEST_F(MenuTest, TheTitleIgnoresResumeQuitAndTrack) {
    ClickAt(220);  // Resume Current Game
    ClickAt(250);  // Quit Current Game
    ClickAt(320);  // Music Track
    EXPECT_EQ(h.game.title_on, 1);
    EXPECT_EQ(h.game.sound.music_track, 2);
}

TEST_F(MenuTest, VolumesStepFromFullToOffThenUpByTenths) {
    GameSound& sound = h.game.sound;
    ClickAt(270);
    EXPECT_EQ(sound.sfx_vol_step, 0);
    EXPECT_EQ(sound.sfx_vol, 0.0f);
    ClickAt(270);
    EXPECT_EQ(sound.sfx_vol_step, 1);
    EXPECT_FLOAT_EQ(sound.sfx_vol, 0.1f);
    for (int i = 0; i < 9; ++i) ClickAt(270);
    EXPECT_EQ(sound.sfx_vol_step, 10);
    ClickAt(300);
    EXPECT_EQ(sound.music_vol_step, 0);
}

TEST_F(MenuTest, PausingThenPickingTracksAndStartingAfresh) {
    h.StartPlaying();
    h.RunFrames(300);
    h.game.player.score = 900;
    h.Tap(32);
    h.RunFrames(1);
    ASSERT_EQ(h.game.paused, 1);
    // Four clicks on the track row come back round to the same choice.
    for (int i = 0; i < 4; ++i) ClickAt(320);
    EXPECT_EQ(h.game.sound.music_track, 2);
    EXPECT_EQ(h.game.sound.music_name(), "bunstorm");
    ClickAt(190);
    EXPECT_EQ(h.game.paused, 0);
    EXPECT_EQ(h.game.player.score, 0);
    EXPECT_EQ(h.game.player.level, 1);
}

TEST_F(MenuTest, ExitEndsTheLoopAtTheEndOfTheFrame) {
    // Below "Controls", where "Exit" stood before there was one.
    ClickAt(350);
    EXPECT_EQ(h.game.controls.open, 1);
    EXPECT_EQ(h.game.quit_game, 0);
    ClickAt(350);  // "Back" is where "Controls" was
    EXPECT_EQ(h.game.controls.open, 0);
    h.source.Add(InputEvent::MoveTo(320, 375));
    h.source.Add(InputEvent::Mouse(1, true));
    EXPECT_FALSE(h.RunFrames(1));
    EXPECT_EQ(h.game.quit_game, 1);
}

TEST_F(MenuTest, AFullyDeflectedStickMovesThePointer) {
    h.source.SetJoystickCount(1);
    h.source.Add(InputEvent::JoyAxis(0, -1.0f));
    h.source.Add(InputEvent::JoyAxis(1, 0.99f));
    h.RunFrames(2);
    EXPECT_EQ(h.game.services.input.MouseX(), 308);
    EXPECT_EQ(h.game.services.input.MouseY(), 240) << "0.99 is not full deflection";
}

// The menus get the system pointer; the ship gets the mouse.
TEST(PointerCapture, OnlyWhileAGameIsPlayed) {
    GameHarness h;
    h.RunFrames(1);
    EXPECT_FALSE(h.source.pointer_captured()) << "title";
    h.StartPlaying();
    h.RunFrames(1);
    EXPECT_FALSE(h.source.pointer_captured()) << "warping in";
    while (h.game.warp_on) h.RunFrames(1);
    EXPECT_TRUE(h.source.pointer_captured()) << "playing";
    h.Tap(32);
    h.RunFrames(1);
    EXPECT_FALSE(h.source.pointer_captured()) << "paused";
    h.Tap(32);
    h.RunFrames(1);
    EXPECT_TRUE(h.source.pointer_captured()) << "resumed";
    h.game.game_over = 1;
    h.RunFrames(1);
    EXPECT_FALSE(h.source.pointer_captured()) << "game over";
}
