// Whole games played through the real main loop from replayed input, checked
// frame by frame through the trace. Each replay starts on the title screen at
// frame 0; a game started there by Space warps in until frame 250.

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "game/session_observer.hpp"
#include "game/trace.hpp"
#include "platform/audio/audio.hpp"
#include "platform/video/soft_renderer.hpp"
#include "support/game_harness.hpp"
#include "support/trace_fields.hpp"

namespace {

// One replayed session with its trace.
class Session {
public:
    explicit Session(std::string_view replay) : harness(ReplayFromText(replay)), game(harness.game) {
        game.observer = &log;
        // Nothing here looks at the picture; collisions use the sprites' own pixels.
        static_cast<SoftRenderer&>(harness.display.renderer()).SetDrawing(false);
    }
    ~Session() { game.observer = nullptr; }

    // Runs the main loop until frame `frame` has been drawn.
    void RunThrough(int frame) {
        while (game.frame <= frame) ASSERT_TRUE(harness.RunFrames(1));
    }
    const std::string& At(int frame) const { return log.lines.at(static_cast<std::size_t>(frame)); }
    double Number(int frame, std::string_view path) const { return NumberIn(At(frame), path); }
    int Int(int frame, std::string_view path) const { return static_cast<int>(NumberIn(At(frame), path)); }
    std::string Text(int frame, std::string_view path) const { return TextIn(At(frame), path); }
    bool Played(int frame, const std::string& stem) const { return PlayedIn(At(frame), stem); }
    int PointerY(int frame) const {
        const std::string& line = At(frame);
        return std::atoi(line.c_str() + line.find(',', ValueStart(line, "pointer")) + 1);
    }
    // The first frame from `from` on whose field has the value, or -1.
    int FirstWhere(int from, std::string_view path, double value) const {
        for (std::size_t f = static_cast<std::size_t>(from); f < log.lines.size(); ++f)
            if (NumberIn(log.lines[f], path) == value) return static_cast<int>(f);
        return -1;
    }
    // A small burger dropped right on the ship: it hits in the next frame.
    void BurgerOnShip() {
        burger_tag::Create(game, static_cast<int>(game.player.x), static_cast<int>(game.player.y), 3, 1);
    }
    const std::string& LastPopup() const { return game.points_list.Objects().back()->str; }

    TraceLog log;
    GameHarness harness;
    Game& game;
};

// Space on the title at frame 0; the game's warp-in ends in frame 250.
constexpr std::string_view kSpaceStart =
    "seed 4660\n"
    "0 key 32 down\n"
    "1 key 32 up\n";
constexpr int kWarpEnd = 250;

TEST(ScenarioTest, AKeyboardGameFromTheTitleToGameOverAndBack) {
    Session s(std::string(kSpaceStart) +
              // Left for 5 frames, right for 2, one shot, 20 frames of thrust.
              "251 key 37 down\n256 key 37 up\n"
              "258 key 39 down\n260 key 39 up\n"
              "262 key 162 down\n263 key 162 up\n"
              "264 key 38 down\n284 key 38 up\n"
              // After each later warp-in, one turn ends the respawn flash.
              "700 key 37 down\n701 key 37 up\n"
              "1110 key 39 down\n1111 key 39 up\n");
    s.RunThrough(0);
    EXPECT_EQ(s.Text(0, "screen"), "title");
    s.RunThrough(kWarpEnd);
    EXPECT_EQ(s.Text(1, "screen"), "playing");
    EXPECT_EQ(s.Int(1, "lives"), 3);
    EXPECT_EQ(s.Int(kWarpEnd - 1, "warp_on"), 1);
    EXPECT_EQ(s.Int(kWarpEnd, "warp_on"), 0);
    EXPECT_TRUE(s.Played(kWarpEnd, "hyperspc"));
    EXPECT_EQ(s.Text(kWarpEnd, "music"), "bunstorm");

    s.RunThrough(299);
    EXPECT_EQ(s.Int(250, "ship.flash_on"), 1);
    // Left from 0 wraps to 360, then 355 ... 340; right twice gives 350.
    EXPECT_EQ(s.Number(251, "ship.rotation"), 360);
    EXPECT_EQ(s.Int(251, "ship.flash_on"), 0);
    EXPECT_EQ(s.Number(255, "ship.rotation"), 340);
    EXPECT_EQ(s.Number(259, "ship.rotation"), 350);
    EXPECT_EQ(s.Int(262, "counts.shots"), 1);
    EXPECT_EQ(s.Int(262, "ship.shot_tmr"), 15);
    EXPECT_TRUE(s.Played(262, "shoot"));
    EXPECT_TRUE(s.Played(264, "thrust"));
    EXPECT_FALSE(s.Played(265, "thrust")) << "the thrust sound starts once per press";
    EXPECT_EQ(s.Number(283, "ship.direction"), 350);
    EXPECT_GT(s.Number(283, "ship.speed"), 0.3);
    EXPECT_LT(s.Number(299, "ship.speed"), s.Number(283, "ship.speed")) << "friction after the thrust";
    ASSERT_EQ(s.Int(299, "lives"), 3) << "nothing hit the ship by itself";

    // Three burgers on the ship, each after the respawn flash has ended.
    const int hits[] = {300, 710, 1120};
    int lives = 3;
    for (int hit : hits) {
        s.RunThrough(hit - 1);
        ASSERT_EQ(s.Int(hit - 1, "ship.flash_on"), 0);
        ASSERT_EQ(s.Int(hit - 1, "warp_on"), 0);
        s.BurgerOnShip();
        s.RunThrough(hit);
        --lives;
        EXPECT_EQ(s.Int(hit, "lives"), lives);
        EXPECT_TRUE(s.Played(hit, "death"));
        EXPECT_EQ(s.Int(hit, "ship.death_tmr"), 149);
        EXPECT_GT(s.Int(hit, "counts.shipbits"), 0);
        if (lives == 0) break;
        // The 149th update after the hit starts the next ship with a warp-in
        // of 250 frames.
        s.RunThrough(hit + 148);
        EXPECT_EQ(s.Int(hit + 147, "warp_on"), 0);
        EXPECT_EQ(s.Int(hit + 148, "warp_on"), 1);
        EXPECT_TRUE(s.Played(hit + 148, "newlvl"));
        EXPECT_EQ(s.Int(hit + 148, "ship.death_tmr"), 0);
        s.RunThrough(hit + 397);
        EXPECT_EQ(s.Int(hit + 396, "warp_on"), 1);
        EXPECT_EQ(s.Int(hit + 397, "warp_on"), 0);
    }

    // The last ship's countdown ends in the caption, drawn for 250 frames.
    const int caption = hits[2] + 148;
    s.RunThrough(caption + 251);
    EXPECT_EQ(s.Int(caption - 1, "game_over"), 0);
    EXPECT_EQ(s.FirstWhere(hits[2], "game_over", 1), caption);
    EXPECT_FLOAT_EQ(static_cast<float>(s.Number(caption, "msg_alpha")), 0.996f);
    EXPECT_EQ(s.Int(caption + 248, "game_over"), 1);
    EXPECT_EQ(s.Text(caption + 248, "music"), "bunstorm");
    // The 250th drawing is the last: the title and its music come back.
    EXPECT_EQ(s.Int(caption + 249, "game_over"), 0);
    EXPECT_EQ(s.Text(caption + 249, "screen"), "playing");
    EXPECT_EQ(s.Text(caption + 249, "music"), "title");
    EXPECT_EQ(s.Text(caption + 250, "screen"), "title");
    EXPECT_EQ(s.Text(caption + 251, "music"), "title");
    EXPECT_EQ(s.Int(caption + 250, "lives"), 0);
    EXPECT_EQ(s.Int(caption + 250, "counts.burgers"), 0);
    EXPECT_EQ(s.Number(caption + 250, "pointer"), 320);
    EXPECT_EQ(s.harness.input.MouseY(), 204);
}

// The trace file holds each frame as soon as it is shown, so a run that is
// killed keeps every frame it showed.
TEST(ScenarioTest, TheTraceFileHasEveryFrameAtOnce) {
    GameHarness h;
    RunOptions options;
    options.trace = (h.folder / "t.jsonl").string();
    SessionObserver observer;
    std::string error;
    ASSERT_TRUE(observer.Open(options, error)) << error;
    h.game.observer = &observer;
    h.RunFrames(2);
    h.game.observer = nullptr;
    std::ifstream file(options.trace);
    std::vector<std::string> lines;
    for (std::string line; std::getline(file, line);) lines.push_back(line);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(TextIn(lines[1], "screen"), "title");
    EXPECT_FALSE(observer.failed());
}

TEST(ScenarioTest, TheMouseStartsFromTheMenuTurnsThrustsAndFires) {
    Session s(
        "seed 4660\n"
        "0 move 320 204\n"
        "1 mouse 1 down\n2 mouse 1 up\n"
        // Warp-in from frame 2 to 251. Turns left, right, left, left.
        "252 move 300 100\n"
        "253 move 340 0\n"
        "254 move 300 0\n"
        "255 move 300 0\n"
        "260 mouse 2 down\n280 mouse 2 up\n"
        "285 mouse 1 down\n286 mouse 1 up\n"
        // With the right button held, the left click is the trigger.
        "310 mouse 2 down\n312 mouse 1 down\n313 mouse 1 up\n314 mouse 2 up\n");
    s.RunThrough(320);
    EXPECT_EQ(s.Text(0, "screen"), "title");
    EXPECT_EQ(s.Text(1, "screen"), "title");
    EXPECT_TRUE(s.Played(1, "newlvl")) << "Start New Game was clicked";
    EXPECT_EQ(s.Text(2, "screen"), "playing");
    EXPECT_EQ(s.Int(250, "warp_on"), 1);
    EXPECT_EQ(s.Int(251, "warp_on"), 0);

    EXPECT_EQ(s.Number(252, "ship.rotation"), 360);
    EXPECT_EQ(s.Number(252, "pointer"), 320) << "a turn puts the pointer back at (320, 0)";
    EXPECT_EQ(s.Number(253, "ship.rotation"), 0) << "right from 360 gives 0";
    EXPECT_EQ(s.Number(255, "ship.rotation"), 355);
    EXPECT_EQ(s.Number(256, "ship.rotation"), 355) << "the pointer rests at x = 320";

    EXPECT_TRUE(s.Played(260, "thrust"));
    EXPECT_EQ(s.Number(279, "ship.direction"), 355);
    EXPECT_GT(s.Number(279, "ship.speed"), 0.3);
    EXPECT_GT(s.Int(279, "counts.trail"), 0);
    EXPECT_EQ(s.Int(285, "counts.shots"), 1);
    EXPECT_TRUE(s.Played(285, "shoot"));

    EXPECT_EQ(s.Int(311, "ship.shot_tmr"), 0);
    EXPECT_EQ(s.Int(312, "ship.hspace_ctr"), 200);
    EXPECT_TRUE(s.Played(312, "hyperspc"));
    EXPECT_FALSE(s.Played(312, "shoot"));
    EXPECT_EQ(s.Int(312, "ship.shot_tmr"), 0) << "the click fired no shot";
}

TEST(ScenarioTest, AJoystickMovesThePointerStartsTurnsFiresAndPauses) {
    Session s(
        "seed 4660\n"
        // The pointer starts at (320, 240); 6 frames up at 6 pixels a frame
        // bring it over "Start New Game" at y = 204.
        "0 joy axis 1 -1.0\n6 joy axis 1 0.0\n"
        "8 joy button 0 down\n9 joy button 0 up\n"
        // Warp-in from frame 9 to 258.
        "265 joy axis 0 -1.0\n269 joy axis 0 0.0\n"
        "275 joy button 0 down\n276 joy button 0 up\n"
        "280 joy axis 1 -1.0\n284 joy axis 1 0.0\n"
        "290 joy button 2 down\n291 joy button 2 up\n"
        "300 joy button 2 down\n301 joy button 2 up\n");
    s.RunThrough(305);
    EXPECT_EQ(s.harness.input.JoystickCount(), 1);
    EXPECT_EQ(s.PointerY(0), 234);
    EXPECT_EQ(s.PointerY(5), 204);
    EXPECT_EQ(s.PointerY(7), 204);
    EXPECT_EQ(s.Text(8, "screen"), "title");
    EXPECT_TRUE(s.Played(8, "newlvl")) << "button 0 clicked Start New Game";
    EXPECT_EQ(s.Text(9, "screen"), "playing");
    EXPECT_EQ(s.Int(257, "warp_on"), 1);
    EXPECT_EQ(s.Int(258, "warp_on"), 0);

    EXPECT_EQ(s.Number(264, "ship.rotation"), 0);
    EXPECT_EQ(s.Number(265, "ship.rotation"), 360);
    EXPECT_EQ(s.Number(268, "ship.rotation"), 345);
    EXPECT_EQ(s.Number(274, "ship.rotation"), 345);
    EXPECT_EQ(s.Int(275, "counts.shots"), 1);
    EXPECT_TRUE(s.Played(275, "shoot"));
    EXPECT_TRUE(s.Played(280, "thrust"));
    EXPECT_GT(s.Number(283, "ship.speed"), 0);
    EXPECT_EQ(s.Number(283, "ship.direction"), 345);

    // Button 2 pauses and resumes; the paused frames stand still.
    EXPECT_EQ(s.Text(290, "screen"), "playing");
    EXPECT_EQ(s.Text(291, "screen"), "paused");
    EXPECT_EQ(s.PointerY(291), 232);
    EXPECT_EQ(s.Text(300, "screen"), "paused");
    EXPECT_EQ(s.Number(299, "ship.y"), s.Number(291, "ship.y"));
    EXPECT_EQ(s.Text(301, "screen"), "playing");
    EXPECT_LT(s.Number(301, "ship.y"), s.Number(300, "ship.y")) << "flying on";
}

TEST(ScenarioTest, AHeldJoystickNeitherMovesNorExposesTheShipWarpingIn) {
    // Space starts a game at 14; Up flies the ship into a burger at 400;
    // thrust on the stick is held from 534, through the next warp-in.
    Session s(
        "seed 1234\n"
        "14 key 32 down\n15 key 32 up\n"
        "274 key 38 down\n401 key 38 up\n"
        "534 joy axis 1 -1.0\n");
    s.RunThrough(547);
    ASSERT_EQ(s.Int(400, "lives"), 2);
    ASSERT_EQ(s.Int(547, "warp_on"), 0);
    s.RunThrough(548);
    ASSERT_EQ(s.Int(548, "warp_on"), 1);
    EXPECT_EQ(s.Number(548, "ship.speed"), 0);
    EXPECT_EQ(s.Int(548, "ship.flash_on"), 1);

    // Nothing hits the ship before it has arrived, flash or no flash.
    s.RunThrough(599);
    s.game.player.flash_on = 0;
    s.BurgerOnShip();
    s.RunThrough(601);
    EXPECT_EQ(s.Int(601, "lives"), 2);
    s.game.player.flash_on = 1;

    s.RunThrough(797);
    EXPECT_EQ(s.Int(796, "warp_on"), 1);
    EXPECT_EQ(s.Int(797, "warp_on"), 0);
    EXPECT_EQ(s.Number(797, "ship.x"), 320);
    EXPECT_EQ(s.Number(797, "ship.y"), 240);
    EXPECT_EQ(s.Number(797, "ship.speed"), 0);
    EXPECT_EQ(s.Int(797, "ship.flash_on"), 1);
    EXPECT_EQ(s.Int(797, "lives"), 2);
}

TEST(ScenarioTest, ShotsBringDownTheUfo) {
    Session s(std::string(kSpaceStart) + "256 key 162 down\n257 key 162 up\n");
    s.RunThrough(254);
    Game& game = s.game;
    game.player.level = 3;
    // The burger waits in a far corner, out of the way of shot and UFO.
    game.burger_list.First()->x = 40;
    game.burger_list.First()->y = 440;
    ufo_tag::Create(game);
    // Straight above the ship, coming down; its fries leave to the right.
    game.ufo.x = 320;
    game.ufo.y = 120;
    game.ufo.direction = 180;
    game.ufo.rotation = 90;
    game.ufo.scale = 0.6f;
    s.RunThrough(255);
    EXPECT_TRUE(s.Played(255, "ufoloop"));
    EXPECT_EQ(s.Int(255, "ufo.alive"), 1);
    EXPECT_TRUE(game.services.audio.ChannelPlaying(game.sound.ufo_chan));

    s.RunThrough(290);
    const int kill = s.FirstWhere(256, "ufo.alive", 0);
    ASSERT_GT(kill, 256);
    ASSERT_LT(kill, 290);
    EXPECT_EQ(s.Int(kill - 1, "score"), 0);
    EXPECT_EQ(s.Int(kill, "score"), 3 * 150);
    EXPECT_TRUE(s.Played(kill, "death"));
    EXPECT_EQ(s.Int(kill, "counts.shots"), 0) << "the shot is spent";
    EXPECT_GT(s.Int(kill, "counts.explosions"), 0);
    EXPECT_GT(s.Int(kill, "counts.shipbits"), 0);
    EXPECT_FALSE(game.services.audio.ChannelPlaying(game.sound.ufo_chan)) << "the hum stopped";
    EXPECT_EQ(s.Int(290, "lives"), 3);
    bool popup = false;
    for (points_tag* points : game.points_list.Objects()) popup = popup || points->str == "450";
    EXPECT_TRUE(popup);
}

TEST(ScenarioTest, PickupsGrantTheirPowerUpsWithAPopup) {
    Session s(kSpaceStart);
    Game& game = s.game;
    // A pickup sent over the ship: it is collected in the next frame.
    auto send_pickup = [&](int frame) {
        powerup_tag::Create(game);
        game.powerup.x = static_cast<int>(game.player.x) - 1;
        game.powerup.y = static_cast<int>(game.player.y);
        game.powerup.xstp = 1;
        game.powerup.frame = frame;
    };
    s.RunThrough(99);
    send_pickup(8);
    s.RunThrough(100);
    EXPECT_EQ(s.Int(100, "pickup.alive"), 1) << "not collected during the warp-in";
    EXPECT_EQ(s.Int(100, "autopow"), 0);

    struct Grant {
        int frame;
        const char* popup;
        int autopow, trigpow, uses;
    };
    const Grant grants[] = {
        {8, "Auto: Hologram", 3, 0, 0},    {8, "Auto: Tri-Force", 4, 0, 0}, {8, "Auto: Hologram", 3, 0, 0},
        {7, "Trigger: Mines", 3, 1, 8},    {9, "Trigger: Rocket", 3, 2, 5}, {10, "Trigger: Armageddon", 3, 3, 3},
        {11, "Auto: Smart Bomb", 3, 4, 0}, {5, "Auto: Shield", 1, 4, 0},    {6, "Auto: Gun Sat", 2, 4, 0},
    };
    int frame = 260;
    for (const Grant& grant : grants) {
        SCOPED_TRACE(grant.popup);
        s.RunThrough(frame - 1);
        int popups = s.Int(frame - 1, "counts.points");
        send_pickup(grant.frame);
        s.RunThrough(frame);
        EXPECT_EQ(s.Int(frame, "pickup.alive"), 0);
        EXPECT_TRUE(s.Played(frame, "powerup"));
        EXPECT_EQ(s.Int(frame, "autopow"), grant.autopow);
        EXPECT_EQ(s.Int(frame, "trigpow"), grant.trigpow);
        EXPECT_EQ(s.Int(frame, "uses"), grant.uses);
        EXPECT_EQ(s.Int(frame, "counts.points"), popups + 1);
        EXPECT_EQ(s.LastPopup(), grant.popup);
        frame += 5;
    }
    EXPECT_EQ(s.Int(frame - 5, "ship.shieldhits"), 255);
}

// Left Alt at frame 260, ten frames after the ship has arrived, with the
// trigger power-up given just before.
class TriggerTest : public testing::Test {
protected:
    static constexpr int kTrigger = 260;

    void Arm(int ptype, std::string_view more_input = "") {
        session_ = std::make_unique<Session>(std::string(kSpaceStart) + "260 key 164 down\n261 key 164 up\n" +
                                             std::string(more_input));
        session_->RunThrough(kTrigger - 1);
        trigpow_tag::Create(session_->game, ptype);
    }
    Session& s() { return *session_; }

private:
    std::unique_ptr<Session> session_;
};

TEST_F(TriggerTest, HyperSpaceLastsTwoHundredUpdatesAndSwallowsPresses) {
    Arm(0, "270 key 164 down\n271 key 164 up\n");
    s().RunThrough(kTrigger + 200);
    EXPECT_EQ(s().Int(kTrigger, "ship.hspace_ctr"), 200);
    EXPECT_TRUE(s().Played(kTrigger, "hyperspc"));
    EXPECT_GT(s().Int(kTrigger, "counts.hspace"), 0);
    EXPECT_EQ(s().Int(270, "ship.hspace_ctr"), 190) << "a second press is swallowed";
    EXPECT_EQ(s().Int(kTrigger + 199, "ship.hspace_ctr"), 1);
    EXPECT_TRUE(s().Played(kTrigger + 199, "hyperspc")) << "the arrival swirl";
    EXPECT_EQ(s().Int(kTrigger + 200, "ship.hspace_ctr"), 0);
    EXPECT_EQ(s().Int(kTrigger + 200, "trigpow"), 0);
}

TEST_F(TriggerTest, MinesDropOneMinePerUse) {
    Arm(1);
    s().RunThrough(kTrigger + 1);
    EXPECT_EQ(s().Int(kTrigger - 1, "counts.mines"), 0);
    EXPECT_EQ(s().Int(kTrigger, "counts.mines"), 1);
    EXPECT_TRUE(s().Played(kTrigger, "shootmine"));
    EXPECT_EQ(s().Int(kTrigger, "trigpow"), 1);
    EXPECT_EQ(s().Int(kTrigger, "uses"), 7);
    // Dropped behind the ship, which faces up: the mine slides down.
    EXPECT_GT(s().game.mine_list.First()->y, s().game.player.y);
}

TEST_F(TriggerTest, ARocketLaunchesThreeThatTrailSmoke) {
    Arm(2);
    s().RunThrough(kTrigger + 2);
    EXPECT_EQ(s().Int(kTrigger, "counts.rockets"), 3);
    EXPECT_TRUE(s().Played(kTrigger, "shootrocket"));
    EXPECT_EQ(s().Int(kTrigger, "uses"), 4);
    EXPECT_EQ(s().Int(kTrigger, "counts.smoke"), 0);
    EXPECT_EQ(s().Int(kTrigger + 1, "counts.smoke"), 3);
    EXPECT_EQ(s().Int(kTrigger + 2, "counts.smoke"), 6);
}

TEST_F(TriggerTest, ArmageddonFiresSeventyTwoShotsInSeventyTwoFrames) {
    Arm(3, "280 key 164 down\n281 key 164 up\n");
    // A shot made in the ship step has not moved yet: its scale is still 2.
    std::vector<float> directions;
    std::vector<int> new_shots_per_frame;
    for (int frame = kTrigger; frame < kTrigger + 80; ++frame) {
        s().RunThrough(frame);
        int made = 0;
        for (shipshot_tag* shot : s().game.shipshot_list.Objects()) {
            if (shot->scale == 2.0f) {
                ++made;
                directions.push_back(shot->direction);
            }
        }
        new_shots_per_frame.push_back(made);
    }
    ASSERT_EQ(directions.size(), 72u);
    for (int i = 0; i < 72; ++i) {
        EXPECT_EQ(new_shots_per_frame[static_cast<std::size_t>(i)], 1) << "frame " << kTrigger + i;
        EXPECT_EQ(directions[static_cast<std::size_t>(i)], 15.0f * static_cast<float>(i + 1));
    }
    EXPECT_TRUE(s().Played(kTrigger, "armageddon"));
    EXPECT_EQ(s().Int(kTrigger + 71, "uses"), 2) << "the press at 280 is swallowed";
    EXPECT_EQ(s().Number(kTrigger + 71, "ship.rotation"), 1080);
    EXPECT_EQ(s().Number(kTrigger + 71, "ship.direction"), 1080);
    EXPECT_EQ(s().Number(kTrigger + 70, "ship.direction"), 0);
    EXPECT_EQ(s().game.trigpow.aspin_ctr, 0);
}

TEST_F(TriggerTest, TheSmartBombRingsFlashesAndLeavesHyperSpace) {
    Arm(4, "270 key 164 down\n271 key 164 up\n");
    Game& game = s().game;
    s().RunThrough(kTrigger);
    EXPECT_TRUE(s().Played(kTrigger, "smartbomb"));
    EXPECT_EQ(s().Int(kTrigger, "trigpow"), 0);
    EXPECT_EQ(s().Int(kTrigger, "uses"), 0);
    EXPECT_FLOAT_EQ(game.trigpow.sb_scale, 0.3f) << "drawn at 0.2 and grown once";
    EXPECT_EQ(game.trigpow.sb_x, game.player.x);
    EXPECT_EQ(game.trigpow.sb_flash, 1.0f);

    int flash_frames = 0;
    int ring_frames = 1;
    for (int frame = kTrigger + 1; frame < kTrigger + 120; ++frame) {
        if (game.trigpow.sb_flash > 0) ++flash_frames;
        if (game.trigpow.sb_scale > 0) ++ring_frames;
        s().RunThrough(frame);
    }
    EXPECT_EQ(flash_frames, 25);
    EXPECT_EQ(ring_frames, 98);
    EXPECT_EQ(s().Int(270, "ship.hspace_ctr"), 0) << "the press during the ring is swallowed";
    // The ring reaches every burger on the playfield.
    EXPECT_GT(s().Int(kTrigger + 97, "score"), 0);
    EXPECT_EQ(s().Int(kTrigger + 97, "counts.burgers"), 0);
}

}  // namespace
