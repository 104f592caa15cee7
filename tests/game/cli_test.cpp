// The program as a whole, driven through its command line: start-up, the
// splash and title, replays, recording, the trace and the best-score file.
// Each run opens its window on a private Xvfb server.

#include <gtest/gtest.h>

#include <unistd.h>
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "support/temp_folder.hpp"
#include "support/trace_fields.hpp"

namespace fs = std::filesystem;

namespace {

class CommandLineTest : public testing::Test {
protected:
    // Each run gets an X server of its own: a window opened by another test on
    // a shared one would take the focus, and the game waits while it has none.
    bool HasDisplay() const { return std::system("command -v xvfb-run >/dev/null 2>&1") == 0; }

    // Runs the game; returns its exit status. Standard error goes to err.txt.
    int Run(const std::string& arguments, const std::string& audio = "SDL_AUDIODRIVER=dummy") {
        return Status(audio + XServer() + "'" + REZARUDEV_BINARY + "' --windowed --fast --data-dir '" +
                      folder_.string() + "' " + arguments + " 2>'" + Path("err.txt") + "' >/dev/null");
    }

    // Runs a shell script on an X server of its own, in the test's folder,
    // with the game's path in $GAME; returns its exit status.
    int RunScript(const std::string& script) {
        Write("script.sh", script);
        return Status("cd '" + folder_.string() + "' && GAME='" + REZARUDEV_BINARY + "' SDL_AUDIODRIVER=dummy" +
                      XServer() + "sh script.sh >/dev/null 2>&1");
    }

    std::string XServer() const {
        // Searching for a free server from a number of its own keeps two tests
        // that start at the same moment from racing for the same one. With an
        // authority file of its own xvfb-run makes no temporary folder, whose
        // removal failed now and then on a loaded machine (its status 5).
        return " xvfb-run -a -n " + std::to_string(100 + getpid() % 5000) + " -f '" + Path("xauthority") +
               "' -s '-screen 0 1024x768x24' ";
    }

    static int Status(const std::string& command) {
        int status = std::system(command.c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    std::string Path(const std::string& name) const { return (folder_ / name).string(); }

    void Write(const std::string& name, const std::string& text) { std::ofstream(Path(name)) << text; }

    std::string Read(const std::string& name) const {
        std::ifstream file(Path(name), std::ios::binary);
        std::stringstream buffer;
        buffer << file.rdbuf();
        return buffer.str();
    }

    std::vector<std::string> Lines(const std::string& name) const {
        std::vector<std::string> lines;
        std::istringstream text(Read(name));
        for (std::string line; std::getline(text, line);) lines.push_back(line);
        return lines;
    }

    static std::string Screen(const std::string& line) { return TextIn(line, "screen"); }

    TempFolder temp_;
    const fs::path folder_ = LinkGameSounds(temp_.path());
};

}  // namespace

TEST_F(CommandLineTest, SplashForFourHundredFramesThenTheTitle) {
    if (!HasDisplay()) GTEST_SKIP() << "no display";
    ASSERT_EQ(Run("--seed 4660 --frames 460 --trace '" + Path("t.jsonl") + "' --screenshot 120:'" + Path("s.png") +
                  "' --screenshot 430:'" + Path("t.png") + "'"),
              0)
        << Read("err.txt");
    auto lines = Lines("t.jsonl");
    ASSERT_EQ(lines.size(), 460u);
    EXPECT_EQ(Screen(lines[0]), "splash");
    EXPECT_EQ(Screen(lines[398]), "splash");
    EXPECT_EQ(Screen(lines[399]), "title");
    EXPECT_EQ(Screen(lines[459]), "title");
    EXPECT_NE(lines[0].find("\"music\":\"title\""), std::string::npos);
    EXPECT_TRUE(fs::file_size(Path("s.png")) > 1000);
    EXPECT_TRUE(fs::file_size(Path("t.png")) > 1000);
    // Leaving through --frames is the normal way out: the best score is saved.
    EXPECT_EQ(fs::file_size(Path("data/hiscore.dat")), 4u);
}

TEST_F(CommandLineTest, SpaceSkipsTheSplashAndEscapeLeavesAtOnce) {
    if (!HasDisplay()) GTEST_SKIP() << "no display";
    Write("r.txt", "seed 4660\n1 key 32 down\n2 key 32 up\n6 key 27 down\n");
    ASSERT_EQ(Run("--replay '" + Path("r.txt") + "' --trace '" + Path("t.jsonl") + "'"), 0) << Read("err.txt");
    auto lines = Lines("t.jsonl");
    ASSERT_EQ(lines.size(), 7u);  // frames 0 to 6: Esc ends the frame it is read in
    EXPECT_EQ(Screen(lines[1]), "splash");
    EXPECT_EQ(Screen(lines[2]), "title");
    EXPECT_EQ(Read("data/hiscore.dat"), std::string(4, '\0'));
}

// A signal in the splash, in a replay, and while another window has the focus
// (where the game waits for it) each end the game at once through its normal
// exit, saving the best score. Three games, each opened over the one before:
// the replay takes the focus from the first, the splash from the replay, as
// far as the X server moves it.
TEST_F(CommandLineTest, SignalsLeaveThroughTheNormalExitFromEveryState) {
    if (!HasDisplay()) GTEST_SKIP() << "no display";
    // Without sounds the games start sooner.
    for (const char* game : {"focus", "replay", "splash"}) fs::create_directories(folder_ / game / "data");
    Write("r.txt", "seed 1\n1 focus lost\n");
    const std::string script = R"sh(
frames() { if [ -f "$1.jsonl" ]; then wc -l < "$1.jsonl"; else echo 0; fi; }
# Starts the game $1 with the arguments that follow and waits, ten seconds
# at most, until its trace shows it running.
start() {
    name=$1; shift
    "$GAME" --windowed --data-dir $name --trace $name.jsonl "$@" 2>$name.err & eval $name=$!
    n=0; while [ "$(frames $name)" -lt 10 ] && [ $n -lt 200 ]; do sleep 0.05; n=$((n + 1)); done
}
now() { date +%s%N; }
# Sends signal $2 to the game $1 and notes its exit status, the milliseconds
# it took to leave and the size of its best-score file. A game that does not
# leave is killed after ten seconds.
finish() {
    (sleep 10; kill -KILL $1) 2>/dev/null & watchdog=$!
    begin=$(now); kill -$2 $1; wait $1; status=$?; took=$((($(now) - begin) / 1000000))
    kill $watchdog
    echo "$3 $status $took $(wc -c < $3/data/hiscore.dat)" >> result.txt
}
start focus
start replay --replay r.txt
start splash
before=$(frames focus); sleep 0.3; echo "idle $(($(frames focus) - before))" >> result.txt
finish $splash TERM splash
finish $replay INT replay
finish $focus TERM focus
)sh";
    ASSERT_EQ(RunScript(script), 0);
    auto results = Lines("result.txt");
    ASSERT_EQ(results.size(), 4u) << Read("result.txt");
    // Without a window manager the X server decides where the focus goes; the
    // replay's own "focus lost" covers the wait for the focus when it stays.
    if (results[0] != "idle 0") std::cout << "note: the first game kept the focus\n";
    for (std::size_t i = 1; i < results.size(); ++i) {
        std::istringstream result(results[i]);
        std::string name;
        int status = -1, milliseconds = -1, best_bytes = -1;
        result >> name >> status >> milliseconds >> best_bytes;
        EXPECT_EQ(status, 0) << name << Read(name + ".err");
        EXPECT_LT(milliseconds, 3000) << name;
        EXPECT_EQ(best_bytes, 4) << name;
    }
    auto splash = Lines("splash.jsonl");
    ASSERT_FALSE(splash.empty());
    EXPECT_EQ(Screen(splash.back()), "splash");
}

TEST_F(CommandLineTest, ARecordedSessionReplaysFrameForFrame) {
    if (!HasDisplay()) GTEST_SKIP() << "no display";
    Write("r.txt",
          "seed 99\nsettings 3 0 1\n3 key 13 down\n4 key 13 up\n10 move 320 200\n12 mouse 1 down\n13 mouse 1 up\n"
          "40 key 38 down\n60 key 162 down\n61 key 162 up\n90 key 38 up\n100 focus lost\n100 focus gained\n"
          "140 key 32 down\n141 key 32 up\n170 key 32 down\n171 key 32 up\n");
    ASSERT_EQ(Run("--frames 200 --replay '" + Path("r.txt") + "' --record '" + Path("rec.txt") + "' --trace '" +
                  Path("a.jsonl") + "'"),
              0)
        << Read("err.txt");
    ASSERT_EQ(Run("--frames 200 --replay '" + Path("rec.txt") + "' --trace '" + Path("b.jsonl") + "'"), 0)
        << Read("err.txt");
    EXPECT_EQ(Read("a.jsonl"), Read("b.jsonl"));
    auto record = Lines("rec.txt");
    ASSERT_GE(record.size(), 2u);
    EXPECT_EQ(record[0], "seed 99");
    EXPECT_EQ(record[1], "settings 3 0 1") << "the replay's settings, not the saved ones";
    auto lines = Lines("a.jsonl");
    ASSERT_EQ(lines.size(), 200u);
    EXPECT_EQ(Screen(lines[20]), "playing");
    EXPECT_NE(lines[0].find("\"sfx_vol_step\":3,\"music_vol_step\":0,\"music_track\":1"), std::string::npos);
}

TEST_F(CommandLineTest, SavedSettingsStartTheRunAndAreRecorded) {
    if (!HasDisplay()) GTEST_SKIP() << "no display";
    Write("data/settings", "sound_volume 4\nbrightness 11\nmusic_track 3\nfullscreen 0\n");
    ASSERT_EQ(Run("--frames 3 --seed 5 --record '" + Path("rec.txt") + "' --trace '" + Path("t.jsonl") + "'"), 0);
    std::string warning = Read("err.txt");
    EXPECT_EQ(std::count(warning.begin(), warning.end(), '\n'), 1) << warning;
    EXPECT_NE(warning.find("line 2 'brightness 11'"), std::string::npos) << warning;
    EXPECT_NE(Lines("t.jsonl")[0].find("\"sfx_vol_step\":4,\"music_vol_step\":10,\"music_track\":3"),
              std::string::npos);
    EXPECT_EQ(Lines("rec.txt")[1], "settings 4 10 3");

    // A replay without a settings line starts from the defaults and never
    // touches the saved file.
    Write("r.txt", "seed 5\n");
    ASSERT_EQ(Run("--frames 3 --replay '" + Path("r.txt") + "' --trace '" + Path("t.jsonl") + "'"), 0);
    EXPECT_NE(Lines("t.jsonl")[0].find("\"sfx_vol_step\":10,\"music_vol_step\":10,\"music_track\":2"),
              std::string::npos);
    EXPECT_EQ(Read("data/settings"), "sound_volume 4\nbrightness 11\nmusic_track 3\nfullscreen 0\n");
}

TEST_F(CommandLineTest, TheTitleMusicReachesTheSoundDevice) {
    if (!HasDisplay()) GTEST_SKIP() << "no display";
    // SDL's disk driver writes what the device would play into a file, as
    // fast as the device would play it: the frames are paced, since a still
    // title drawn unpaced takes next to no time.
    std::string output = Path("audio.raw");
    ASSERT_EQ(Status("SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE='" + output + "'" + XServer() + "'" + REZARUDEV_BINARY +
                     "' --windowed --data-dir '" + folder_.string() + "' --seed 1 --frames 40 2>'" + Path("err.txt") +
                     "' >/dev/null"),
              0)
        << Read("err.txt");
    std::string bytes = Read("audio.raw");
    ASSERT_GT(bytes.size(), 44100u) << "at least a quarter of a second of 16-bit stereo";
    int loudest = 0;
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        int sample = static_cast<std::int16_t>(static_cast<unsigned char>(bytes[i]) |
                                               static_cast<unsigned char>(bytes[i + 1]) << 8);
        loudest = std::max(loudest, std::abs(sample));
    }
    EXPECT_GT(loudest, 1000);
}

TEST_F(CommandLineTest, BadInputIsNamedOnOneLineBeforeAnyWindow) {
    EXPECT_EQ(Run("--frames zero"), 2);
    std::string message = Read("err.txt");
    EXPECT_EQ(message.substr(0, message.find('\n')), "rezarudev: bad value for --frames: zero");
    EXPECT_NE(message.find("usage:"), std::string::npos);

    EXPECT_EQ(Run("--bogus"), 2);
    EXPECT_NE(Read("err.txt").find("unknown option: --bogus"), std::string::npos);

    Write("bad.txt", "seed 1\n5 key 32 sideways\n");
    EXPECT_EQ(Run("--replay '" + Path("bad.txt") + "'"), 2);
    message = Read("err.txt");
    EXPECT_EQ(std::count(message.begin(), message.end(), '\n'), 1) << message;
    EXPECT_NE(message.find("bad.txt:2"), std::string::npos) << message;

    EXPECT_EQ(Run("--trace '" + Path("no/such/folder/t.jsonl") + "'"), 2);
    EXPECT_NE(Read("err.txt").find("t.jsonl"), std::string::npos);

    // A board is reached over HTTP, and its tickets make games a recording
    // of the whole run could not play again.
    EXPECT_EQ(Run("--board file:///etc/passwd"), 2);
    EXPECT_NE(Read("err.txt").find("bad value for --board"), std::string::npos);
    EXPECT_EQ(Run("--board http://127.0.0.1:1 --record '" + Path("r.txt") + "'"), 2);
    EXPECT_NE(Read("err.txt").find("--board cannot be given with --record"), std::string::npos);

    // A folder named as the replay is refused, not read until it throws.
    EXPECT_EQ(Run("--replay '" + Path("data") + "'"), 2);
    message = Read("err.txt");
    EXPECT_EQ(std::count(message.begin(), message.end(), '\n'), 1) << message;
    EXPECT_NE(message.find("not a file"), std::string::npos) << message;

    // The data folder must exist; nothing is made above data/.
    EXPECT_EQ(Run("--data-dir ''"), 2);
    EXPECT_NE(Read("err.txt").find("--data-dir"), std::string::npos);
    EXPECT_EQ(Run("--data-dir '" + Path("missing") + "'"), 2);
    EXPECT_FALSE(fs::exists(Path("missing")));

    // Input is quoted at most 60 characters long.
    EXPECT_EQ(Run("--seed " + std::string(5000, '9')), 2);
    message = Read("err.txt");
    EXPECT_LT(message.find('\n'), 120u) << message.substr(0, 200);
    EXPECT_FALSE(fs::exists(Path("data/hiscore.dat")));

    // Without X or Wayland, SDL would draw nowhere and the game run unseen.
    EXPECT_EQ(Status("env -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER XDG_RUNTIME_DIR='" + folder_.string() +
                     "' SDL_AUDIODRIVER=dummy '" + std::string(REZARUDEV_BINARY) + "' --fast --frames 5 --data-dir '" +
                     folder_.string() + "' 2>'" + Path("err.txt") + "'"),
              1);
    EXPECT_EQ(Read("err.txt"), "rezarudev: no display could be opened (no X or Wayland display found)\n");
    EXPECT_FALSE(fs::exists(Path("data/hiscore.dat")));
}

// Whatever name the command line gives them (another path, a symbolic or a
// hard link, a link to a file not made yet), the best score, the table and
// the settings are never written over by a trace, a recording or a picture.
TEST_F(CommandLineTest, NoOptionWritesOverTheGamesOwnFiles) {
    Write("data/hiscore.dat", std::string("\x96\x05\x00\x00", 4));
    Write("data/scores", "1430 2 2026-12-01 Ann\n");
    fs::create_symlink(Path("data/scores"), Path("table-link"));
    fs::create_hard_link(Path("data/hiscore.dat"), Path("best-hard-link"));
    fs::create_symlink("data/settings", Path("settings-to-be"));
    const std::string asked[] = {
        "--trace '" + Path("data/../data/hiscore.dat") + "'",
        "--trace '" + Path("best-hard-link") + "'",
        "--record '" + Path("table-link") + "'",
        "--screenshot '5:" + Path("data/./scores") + "'",
        "--trace '" + Path("settings-to-be") + "'",
    };
    for (const std::string& arguments : asked) {
        EXPECT_EQ(Run("--frames 20 " + arguments), 2) << arguments;
        std::string message = Read("err.txt");
        EXPECT_EQ(std::count(message.begin(), message.end(), '\n'), 1) << message;
        EXPECT_NE(message.find("the game's own file"), std::string::npos) << message;
        EXPECT_EQ(Read("data/hiscore.dat"), std::string("\x96\x05\x00\x00", 4)) << arguments;
        EXPECT_EQ(Read("data/scores"), "1430 2 2026-12-01 Ann\n") << arguments;
        EXPECT_FALSE(fs::exists(Path("data/settings"))) << arguments;
    }
}

TEST_F(CommandLineTest, TwoUnseededStartUpsDrawDifferentSeeds) {
    if (!HasDisplay()) GTEST_SKIP() << "no display";
    ASSERT_EQ(Run("--frames 1 --record '" + Path("a.txt") + "'"), 0) << Read("err.txt");
    ASSERT_EQ(Run("--frames 1 --record '" + Path("b.txt") + "'"), 0) << Read("err.txt");
    std::string first = Lines("a.txt").front(), second = Lines("b.txt").front();
    EXPECT_EQ(first.rfind("seed ", 0), 0u) << first;
    EXPECT_NE(first, second);
}

TEST_F(CommandLineTest, AnUnwritableTraceOrScreenshotEndsTheRunWithStatusOne) {
    if (!HasDisplay()) GTEST_SKIP() << "no display";
    // Every trace line is flushed at once, so a full disk shows in frame 0.
    EXPECT_EQ(Run("--frames 3 --trace /dev/full"), 1);
    std::string message = Read("err.txt");
    EXPECT_EQ(std::count(message.begin(), message.end(), '\n'), 1) << message;
    EXPECT_EQ(fs::file_size(Path("data/hiscore.dat")), 4u) << "the best score is saved all the same";

    fs::remove(Path("data/hiscore.dat"));
    EXPECT_EQ(Run("--frames 3 --screenshot 1:'" + Path("data") + "'"), 1);
    EXPECT_NE(Read("err.txt").find("screenshot"), std::string::npos);
    EXPECT_EQ(fs::file_size(Path("data/hiscore.dat")), 4u);
}

TEST_F(CommandLineTest, AScreenshotThatFailsOrIsNeverTakenIsNamedOnOneLine) {
    if (!HasDisplay()) GTEST_SKIP() << "no display";
    // The game's own line, and none of libpng's.
    EXPECT_EQ(Run("--frames 3 --screenshot 1:/dev/full"), 1);
    std::string message;
    message = Read("err.txt");
    EXPECT_EQ(std::count(message.begin(), message.end(), '\n'), 1) << message;
    // A screenshot of a frame the run never reached is named too.
    EXPECT_EQ(Run("--frames 3 --screenshot 100:'" + Path("late.png") + "'"), 1);
    EXPECT_NE(Read("err.txt").find("late.png of frame 100 was never taken"), std::string::npos) << Read("err.txt");
}
