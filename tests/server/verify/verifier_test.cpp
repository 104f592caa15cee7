// The board's verification: a recording is played by the game's own code and
// its first game scored, and whatever does not hold up is refused with a
// reason. (whole_run_test holds the same games up against the desktop game.)

#include "verify/verifier.hpp"

#include <gtest/gtest.h>

#include <future>
#include <string>
#include <vector>

#include "support/board_support.hpp"
#include "verify/whole_run.hpp"

namespace {

constexpr int kSeed = 7919;

class VerifierTest : public testing::Test {
protected:
    Verdict Verify(const std::string& recording, int ticket_seed = kSeed, PlayLimits limits = {}) {
        return VerifyRecording(recording, ticket_seed, limits, folder_.path().string());
    }

    // The pause menu's rows are 25 pixels apart from y 190.
    static std::string ClickRow(int frame, int row) {
        return std::to_string(frame) + " move 320 " + std::to_string(200 + 25 * row) + "\n" +
               std::to_string(frame + 1) + " mouse 1 down\n" + std::to_string(frame + 2) + " mouse 1 up\n";
    }

    // Pauses the flying game as it warps in and clicks a row of the pause
    // menu, then plays on as before. (Later in the game a shot fired leaves
    // a Left Ctrl press behind, which resumes the game at once.)
    static std::string WithPauseClick(int row) {
        std::string recording = FlyingRecording(kSeed);
        std::string pause = "20 key 32 down\n21 key 32 up\n" + ClickRow(25, row);
        return CutBefore(recording, 20) + pause + recording.substr(CutBefore(recording, 30).size());
    }

    // The first game of a whole run as the game records it alone, with the
    // generator state it started from.
    std::pair<std::string, int> RecordedAlone(const std::string& whole) {
        std::string error;
        std::optional<ReplayFile> replay = ParseReplay(whole, "recording", error);
        WholeRunPlay play(std::move(*replay), folder_.path().string());
        play.Start(1 << 30);
        while (!play.game().name_entry.played && play.Step()) {
        }
        const std::optional<PlayedGame>& played = play.game().name_entry.played;
        if (!played) return {};
        return {played->Text("Ann"), played->start.seed};
    }

    TempFolder folder_;
};

TEST_F(VerifierTest, AnHonestGameIsScoredAtTheEndOfItsGameOverCaption) {
    Verdict verdict = Verify(FlyingRecording(kSeed));
    ASSERT_TRUE(verdict.accepted) << verdict.reason;
    // The same numbers as the desktop game's trace of this recording.
    EXPECT_EQ(verdict.score, 100);
    EXPECT_EQ(verdict.level, 1);
    EXPECT_EQ(verdict.frames, 1832);
}

TEST_F(VerifierTest, ARecordingFromAnotherSeedIsRefused) {
    Verdict verdict = Verify(FlyingRecording(kSeed + 1));
    EXPECT_FALSE(verdict.accepted);
    EXPECT_EQ(verdict.reason, "the recording starts from seed 7920, not from its ticket's");
}

// A recording must go on at least to the frame its game over comes in: the
// board plays nothing the recording does not hold.
TEST_F(VerifierTest, ARecordingCutShortBeforeItsGameOverIsRefused) {
    std::string whole = FlyingRecording(kSeed);
    Verdict cut = Verify(CutBefore(whole, 1200));
    EXPECT_FALSE(cut.accepted);
    EXPECT_NE(cut.reason.find("cut short"), std::string::npos) << cut.reason;

    // Closed in the very frame of its game over (frame 1831), it is whole.
    Verdict closed_then = Verify(CutBefore(whole, 1831) + "1831 close\n");
    EXPECT_TRUE(closed_then.accepted) << closed_then.reason;
    EXPECT_EQ(closed_then.frames, 1832);
    Verdict closed_before = Verify(CutBefore(whole, 1830) + "1830 close\n");
    EXPECT_FALSE(closed_before.accepted);
    EXPECT_EQ(closed_before.reason, "the run ends at frame 1830 before the first game's game over");
}

TEST_F(VerifierTest, EditedRecordingsAreRefusedOrPlayedAsTheGamesTheyAre) {
    std::string whole = FlyingRecording(kSeed);
    // Lines that are no recording, or events that go back in time.
    EXPECT_NE(Verify(whole + "1 key 32 down\n").reason.find("frame 1 comes after frame 40000"), std::string::npos);
    EXPECT_FALSE(Verify("seed 7919\nscore 999999\n" + whole.substr(10)).accepted);
    // An edit that still makes a game is that game: a turn instead of a
    // thrust here.
    std::string edited = whole;
    edited.replace(edited.find("730 key 38 down"), 15, "730 key 37 down");
    Verdict verdict = Verify(edited);
    ASSERT_TRUE(verdict.accepted) << verdict.reason;
    EXPECT_NE(verdict.frames, 1832);
}

// What the desktop game keeps of each game, its recording alone, is
// believed from the ticket's generator state only, and only whole.
TEST_F(VerifierTest, AGameRecordedAloneIsScoredAsInItsRunFromItsTicketsStateOnly) {
    auto [alone, state] = RecordedAlone(FlyingRecording(kSeed));
    ASSERT_FALSE(alone.empty());
    Verdict verdict = Verify(alone, state);
    ASSERT_TRUE(verdict.accepted) << verdict.reason;
    EXPECT_EQ(verdict.score, 100);
    EXPECT_EQ(verdict.level, 1);
    // The run's 1832 frames less the splash's and the title's before it.
    int end = std::stoi(alone.substr(alone.rfind("end ") + 4));
    EXPECT_EQ(verdict.frames, end + 1);
    EXPECT_LT(verdict.frames, 1832);

    EXPECT_EQ(Verify(alone, state + 1).reason,
              "the game starts from generator state " + std::to_string(state) + ", not from its ticket's");
    // Its last events gone and its end line brought forward, the game plays
    // on past the end without its game over.
    std::string cut = CutBefore(alone, 900) + "end 900\n";
    EXPECT_NE(Verify(cut, state).reason.find("is not over by its end line, frame 900"), std::string::npos);
    EXPECT_FALSE(Verify(alone + "end 5\n", state).accepted);
    // State lines outside what a game can leave behind.
    std::string shielded = alone;
    shielded.insert(shielded.find("\nname ") + 1, "state player.shieldhits 9999\n");
    EXPECT_NE(Verify(shielded, state).reason.find("player.shieldhits 9999"), std::string::npos);

    PlayLimits limits;
    limits.frames_in_time = end;
    EXPECT_NE(Verify(alone, state, limits).reason.find("too soon after its ticket"), std::string::npos);
    limits.frames_in_time = end + 1;
    EXPECT_TRUE(Verify(alone, state, limits).accepted);
}

// A game the desktop game sent as a board's client, from its ticket's state,
// the ship thrusting in bursts: at frame 1049 the UFO's fry flies past a
// burger, which only a board whose draw state is set up as the desktop's
// sees it miss.
TEST_F(VerifierTest, AGameFromTheDesktopIsPlayedAsTheDesktopPlayedIt) {
    std::string recording = "game 2011788782\nsettings 10 10 2\nname Ann\n0 key 32 up\n";
    for (int frame = 9; frame < 2682; frame += 110) {
        recording += std::to_string(frame) + " key 38 down\n";
        if (frame + 100 < 2682) recording += std::to_string(frame + 100) + " key 38 up\n";
    }
    Verdict verdict = Verify(recording + "end 2682\n", 2011788782);
    ASSERT_TRUE(verdict.accepted) << verdict.reason;
    EXPECT_EQ(verdict.frames, 2683);
}

TEST_F(VerifierTest, AFirstGameQuitOrStartedAgainFromThePauseMenuHasNoGameOver) {
    Verdict quit = Verify(WithPauseClick(2));  // "Quit Current Game"
    EXPECT_FALSE(quit.accepted);
    EXPECT_EQ(quit.reason, "the first game was quit before its game over");
    Verdict again = Verify(WithPauseClick(0));  // "Start New Game"
    EXPECT_FALSE(again.accepted);
    EXPECT_EQ(again.reason, "a new game was started before the first one was over");
    // "Resume Current Game" goes on with the same game.
    EXPECT_TRUE(Verify(WithPauseClick(1)).accepted);
}

TEST_F(VerifierTest, AGameCannotHaveBeenPlayedFasterThanInRealTime) {
    // 1832 frames take 30.5 s at 60 a second, 29.0 s less 5 %.
    EXPECT_EQ(FramesInTime(28'966), 1829);
    EXPECT_EQ(FramesInTime(29'013), 1832);
    PlayLimits limits;
    limits.frames_in_time = FramesInTime(29'013);
    EXPECT_TRUE(Verify(FlyingRecording(kSeed), kSeed, limits).accepted);
    limits.frames_in_time = 1831;
    Verdict early = Verify(FlyingRecording(kSeed), kSeed, limits);
    EXPECT_FALSE(early.accepted);
    EXPECT_NE(early.reason.find("too soon after its ticket"), std::string::npos) << early.reason;
}

TEST_F(VerifierTest, FramesAndProcessorTimeAreLimited) {
    PlayLimits limits;
    limits.max_frames = 1000;
    EXPECT_EQ(Verify(FlyingRecording(kSeed), kSeed, limits).reason,
              "the game is not over after 1000 frames (17 s), the most the board plays");
    limits = {};
    limits.cpu = std::chrono::seconds(0);
    EXPECT_EQ(Verify(FlyingRecording(kSeed), kSeed, limits).reason,
              "the recording takes more than 0 s of the board's processor time to play");
}

// Games played side by side share nothing: each gets what it gets alone.
TEST_F(VerifierTest, GamesPlayedAtOnceOnSeveralThreadsComeOutAsAlone) {
    std::vector<std::future<Verdict>> verdicts;
    for (int seed : {kSeed, 1, kSeed, 2}) {
        verdicts.push_back(
            std::async(std::launch::async, [this, seed] { return Verify(FlyingRecording(seed), seed); }));
    }
    std::vector<Verdict> got;
    for (auto& verdict : verdicts) got.push_back(verdict.get());
    EXPECT_EQ(got[0].frames, 1832);
    EXPECT_EQ(got[2].frames, 1832);
    EXPECT_EQ(got[1].frames, Verify(FlyingRecording(1), 1).frames);
    EXPECT_EQ(got[3].score, Verify(FlyingRecording(2), 2).score);
}

}  // namespace
