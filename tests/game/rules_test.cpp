#include <gtest/gtest.h>

#include "game/hud.hpp"
#include "game/rules.hpp"
#include "platform/video/soft_renderer.hpp"
#include "support/game_harness.hpp"

namespace {

class RulesTest : public testing::Test {
protected:
    // Removes every burger and spark, so the next playing frame completes the level.
    void ClearLevel() {
        h.game.burger_list.Clear();
        h.game.particle_list.Clear();
    }

    GameHarness h;
};

}  // namespace

TEST_F(RulesTest, ANewGameWarpsInForTwoHundredAndFiftyFrames) {
    h.StartPlaying();
    Game& game = h.game;
    EXPECT_EQ(game.player.lives, 3);
    EXPECT_EQ(game.player.level, 1);
    EXPECT_EQ(game.burger_list.Count(), 1);
    EXPECT_EQ(game.sound.music_name(), "bunstorm");
    h.RunFrames(249);
    EXPECT_EQ(game.warp_on, 1);
    EXPECT_EQ(game.hspace_list.Count(), 0);
    h.RunFrames(1);
    EXPECT_EQ(game.warp_on, 0);
    // The ship arrives in its respawn flash, with the hyperspace swirl.
    EXPECT_EQ(game.hspace_list.Count(), 18);
    EXPECT_EQ(game.player.flash_on, 1);
    EXPECT_EQ(game.player.x, 320);
}

TEST_F(RulesTest, ALevelEndsOnlyWhenNoBurgerAndNoSparkIsLeft) {
    h.StartPlaying();
    Game& game = h.game;
    h.RunFrames(260);
    game.burger_list.Clear();
    particle_tag::Create(game, 100, 100, 1);
    h.RunFrames(1);
    EXPECT_EQ(game.player.level, 1) << "a spark still flies";
    game.particle_list.Clear();
    h.RunFrames(1);
    EXPECT_EQ(game.player.level, 2);
    EXPECT_EQ(game.player.score, 500);
    EXPECT_EQ(game.bonus_on, 1);
    EXPECT_EQ(game.warp_on, 1);
    EXPECT_EQ(game.burger_list.Count(), 2);
}

TEST_F(RulesTest, BonusAndExtraShipsFollowTheNewLevel) {
    h.StartPlaying();
    Game& game = h.game;
    std::vector<int> lives_after;
    for (int level = 1; level < 31; ++level) {
        int score = game.player.score;
        ClearLevel();
        CompleteLevel(game);
        EXPECT_EQ(game.player.score - score, 250 * game.player.level);
        lives_after.push_back(game.player.lives);
        EXPECT_EQ(game.burger_list.Count(), std::min(game.player.level, 8));
    }
    // Levels 5, 15 and 30 give a ship; no other level does.
    EXPECT_EQ(lives_after[3], 4);   // reached level 5
    EXPECT_EQ(lives_after[12], 4);  // level 14
    EXPECT_EQ(lives_after[13], 5);  // level 15
    EXPECT_EQ(lives_after[27], 5);  // level 29
    EXPECT_EQ(lives_after[28], 6);  // level 30
    EXPECT_EQ(game.player.lives, 6);
    EXPECT_FLOAT_EQ(game.bg_spin, 6.3f);
}

TEST_F(RulesTest, RandomMusicPicksANewGameTrackEveryLevel) {
    h.game.sound.music_track = 0;
    h.StartPlaying();
    for (int level = 0; level < 12; ++level) {
        std::string track = h.game.sound.music_name();
        EXPECT_TRUE(track == "panic" || track == "bunstorm" || track == "horizon") << track;
        ClearLevel();
        CompleteLevel(h.game);
    }
}

TEST_F(RulesTest, TheLastShipEndsTheGameAndTheCaptionLeadsBackToTheTitle) {
    Game& game = h.game;
    game.sound.music_track = 0;  // "Random" changes the track with every level
    h.StartPlaying();
    h.RunFrames(260);
    game.player.lives = 1;
    game.player.flash_on = 0;
    game.player.ship_hit(game);
    EXPECT_EQ(game.player.lives, 0);
    EXPECT_EQ(game.player.death_tmr, 150);
    // The death countdown runs in the ship step; the 149th update ends it,
    // and the caption is first drawn in that same frame.
    h.RunFrames(148);
    EXPECT_EQ(game.game_over, 0);
    h.RunFrames(1);
    EXPECT_EQ(game.game_over, 1);
    EXPECT_FLOAT_EQ(game.msg_alpha, 0.996f);
    // A level completed behind the caption pays its bonus but warps nothing
    // in: the caption keeps its 250 frames.
    h.RunFrames(99);
    ClearLevel();
    h.RunFrames(1);
    EXPECT_EQ(game.player.level, 2);
    EXPECT_EQ(game.player.score, 500);
    EXPECT_EQ(game.warp_on, 0);
    EXPECT_EQ(game.bonus_on, 0);
    EXPECT_NEAR(game.msg_alpha, 0.596f, 1e-4);
    h.RunFrames(148);
    EXPECT_EQ(game.title_on, 0);
    // So is one completed in the caption's last frame, and the title that
    // follows is the same.
    ClearLevel();
    h.RunFrames(1);
    EXPECT_EQ(game.player.level, 3);
    EXPECT_EQ(game.player.score, 1250);
    EXPECT_EQ(game.title_on, 1);
    EXPECT_EQ(game.game_over, 0);
    EXPECT_EQ(game.warp_on, 0);
    EXPECT_EQ(game.bonus_on, 0);
    EXPECT_EQ(game.sound.music_name(), "title");
    EXPECT_EQ(game.burger_list.Count(), 0);
    EXPECT_EQ(game.services.input.MouseY(), 204);
}

// "Start New Game" and "Quit Current Game" from the pause menu, in the middle
// of the caption or of a bonus warp-in: nothing of the old game's phases is
// seen afterwards.
TEST_F(RulesTest, ANewGameOrAQuitLeavesNoPhaseOfTheGameBefore) {
    Game& game = h.game;
    // Only the rules matter here, not the picture.
    static_cast<SoftRenderer&>(h.display.renderer()).SetDrawing(false);
    auto pause_and_click = [&](int row) {
        h.Tap(32);
        h.RunFrames(1);
        ASSERT_EQ(game.paused, 1);
        h.source.Add(InputEvent::MoveTo(320, 200 + 25 * row));
        h.source.Add(InputEvent::Mouse(1, true));
        h.source.Add(InputEvent::Mouse(1, false));
        h.RunFrames(1);
    };
    auto end_the_game = [&] {
        h.StartPlaying();
        h.RunFrames(260);
        game.player.lives = 1;
        game.player.flash_on = 0;
        game.player.ship_hit(game);
        h.RunFrames(160);
        ASSERT_EQ(game.game_over, 1);
    };

    end_the_game();
    pause_and_click(0);
    EXPECT_EQ(game.game_over, 0);
    EXPECT_EQ(game.warp_on, 1);
    h.RunFrames(249);
    EXPECT_EQ(game.warp_on, 1) << "the warp-in lasts its 250 frames";
    h.RunFrames(1);
    EXPECT_EQ(game.warp_on, 0);
    EXPECT_EQ(game.title_on, 0) << "the new game goes on";

    end_the_game();
    pause_and_click(2);
    EXPECT_EQ(game.title_on, 1);
    EXPECT_EQ(game.game_over, 0);

    h.StartPlaying();
    h.RunFrames(260);
    ClearLevel();
    h.RunFrames(1);
    ASSERT_EQ(game.bonus_on, 1);
    pause_and_click(0);
    EXPECT_EQ(game.player.level, 1);
    EXPECT_EQ(game.bonus_on, 0) << "no bonus line on level 1";
    EXPECT_EQ(game.warp_on, 1);
}

TEST_F(RulesTest, TheNewBestFanfarePlaysOncePerGame) {
    Game& game = h.game;
    game.player.best = 40;
    h.StartPlaying();
    h.RunFrames(1);
    game.player.score = 50;
    game.sound.frame_sounds.clear();
    h.RunFrames(1);
    EXPECT_EQ(game.player.best, 50);
    EXPECT_EQ(game.best_sound_done, 1);
    game.player.score = 60;
    h.RunFrames(1);
    EXPECT_EQ(game.player.best, 60);
    EXPECT_EQ(game.best_sound_done, 1);
}

TEST(HudTextTest, NumbersAndThePowerUpLine) {
    GameHarness h;
    Game& game = h.game;
    game.player.score = 0;
    game.player.best = 5;
    game.player.level = 1;
    EXPECT_EQ(ScoreText(game), "Score:00");
    EXPECT_EQ(BestText(game), "Best:05");
    EXPECT_EQ(LevelText(game), "Level:01");
    game.player.score = 12345;
    EXPECT_EQ(ScoreText(game), "Score:12345");
    game.autopow.ptype = 0;
    game.trigpow.ptype = 1;
    game.trigpow.uses = 3;
    EXPECT_EQ(PowerUpText(game), "Power-Up: [ Auto: None ]  [ Trigger: Mines 3 ]");
    game.trigpow.ptype = 0;
    game.trigpow.uses = 0;
    EXPECT_EQ(PowerUpText(game), "Power-Up: [ Auto: None ]  [ Trigger: Hyper-Space ]");
}
