// The board plays recordings on a null display, with no sound files: it must
// play them frame for frame as the desktop game does on its real display.
// Each desktop run opens its window on a private Xvfb server.

#include "verify/whole_run.hpp"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "soak.hpp"
#include "support/board_support.hpp"
#include "support/trace_fields.hpp"
#include "verify/verifier.hpp"

namespace {

class WholeRunTest : public testing::Test {
protected:
    // The desktop game's trace of the recording, one line a frame.
    std::vector<std::string> DesktopTrace(const std::string& recording) {
        std::string folder = LinkGameSounds(temp_.path()).string();
        std::ofstream(folder + "/r.txt") << recording;
        std::string command = "SDL_AUDIODRIVER=dummy xvfb-run -a -n " + std::to_string(100 + getpid() % 5000) +
                              " -f '" + folder + "/xauthority' -s '-screen 0 1024x768x24' '" + REZARUDEV_BINARY +
                              "' --windowed --fast --data-dir '" + folder + "' --replay '" + folder +
                              "/r.txt' --trace '" + folder + "/t.jsonl' 2>'" + folder + "/err.txt' >/dev/null";
        int status = std::system(command.c_str());
        EXPECT_EQ(status, 0) << Lines(folder + "/err.txt").front();
        return Lines(folder + "/t.jsonl");
    }

    // The board's play of it, to the end of the recording.
    std::vector<std::string> BoardTrace(const std::string& recording) {
        std::string error;
        std::optional<ReplayFile> replay = ParseReplay(recording, "recording", error);
        EXPECT_TRUE(replay) << error;
        TraceLog log;
        WholeRunPlay play(std::move(*replay), empty_.path().string(), &log);
        play.Start(1 << 30);
        while (play.Step()) {
        }
        return log.lines;
    }

    static std::vector<std::string> Lines(const std::string& path) {
        std::ifstream file(path);
        std::vector<std::string> lines;
        for (std::string line; std::getline(file, line);) lines.push_back(line);
        if (lines.empty()) lines.emplace_back();
        return lines;
    }

    static bool HasDisplay() { return std::system("command -v xvfb-run >/dev/null 2>&1") == 0; }

    TempFolder temp_;
    TempFolder empty_;
};

// The soak's random play: menus, pauses, the joystick, the focus lost and
// won back, games over and started again.
TEST_F(WholeRunTest, RandomPlayGoesFrameForFrameAsOnTheDesktop) {
    if (!HasDisplay()) GTEST_SKIP() << "no display";
    std::string recording = MakeSoakReplay(4660, 1000);
    std::vector<std::string> desktop = DesktopTrace(recording);
    std::vector<std::string> board = BoardTrace(recording);
    ASSERT_EQ(board.size(), 1000u);
    ASSERT_EQ(desktop.size(), board.size());
    for (std::size_t frame = 0; frame < board.size(); ++frame) {
        ASSERT_EQ(board[frame], desktop[frame]) << "frame " << frame;
    }
}

TEST_F(WholeRunTest, TheBoardScoresAGameAsTheDesktopGameEndsIt) {
    if (!HasDisplay()) GTEST_SKIP() << "no display";
    std::string recording = FlyingRecording(7919, 1850);
    std::vector<std::string> desktop = DesktopTrace(recording);
    // The frame whose caption ends: the game over is gone and the title is
    // back from the next frame on.
    std::size_t over = 1;
    while (over < desktop.size() &&
           !(NumberIn(desktop[over - 1], "game_over") == 1 && NumberIn(desktop[over], "game_over") == 0))
        ++over;
    ASSERT_LT(over + 1, desktop.size());
    EXPECT_EQ(TextIn(desktop[over], "screen"), "playing");
    EXPECT_NE(TextIn(desktop[over + 1], "screen"), "playing");

    Verdict verdict = VerifyRecording(recording, 7919, PlayLimits{}, empty_.path().string());
    ASSERT_TRUE(verdict.accepted) << verdict.reason;
    EXPECT_EQ(verdict.frames, static_cast<int>(over) + 1);
    EXPECT_EQ(verdict.score, NumberIn(desktop[over], "score"));
    EXPECT_EQ(verdict.level, NumberIn(desktop[over], "level"));
}

}  // namespace
