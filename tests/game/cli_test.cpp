// The program as a whole, driven through its command line: start-up, the
// splash and title, replays, recording, the trace and the best-score file.
// Each run opens its window on a private Xvfb server.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

class CommandLineTest : public testing::Test {
protected:
    void SetUp() override {
        folder_ = fs::temp_directory_path() / ("rezarudev-cli-" + std::to_string(getpid()) + "-" +
                                               testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(folder_);
        fs::create_directories(folder_ / "data");
        for (const auto& entry : fs::directory_iterator(fs::path(REZARUDEV_SOURCE_DIR) / "data"))
            if (entry.path().extension() == ".ogg")
                fs::create_symlink(entry.path(), folder_ / "data" / entry.path().filename());
    }
    void TearDown() override { fs::remove_all(folder_); }

    // Each run gets an X server of its own: a window opened by another test on
    // a shared one would take the focus, and the game waits while it has none.
    bool HasDisplay() const { return std::system("command -v xvfb-run >/dev/null 2>&1") == 0; }

    // Runs the game; returns its exit status. Standard error goes to err.txt.
    int Run(const std::string& arguments, const std::string& audio = "SDL_AUDIODRIVER=dummy") {
        // Searching for a free server from a number of its own keeps two tests
        // that start at the same moment from racing for the same one.
        std::string server = std::to_string(100 + getpid() % 5000);
        std::string command = audio + " xvfb-run -a -n " + server + " -s '-screen 0 1024x768x24' '" +
                              REZARUDEV_BINARY + "' --windowed --fast --data-dir '" + folder_.string() + "' " +
                              arguments + " 2>'" + Path("err.txt") + "' >/dev/null";
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

    static std::string Screen(const std::string& line) {
        auto start = line.find("\"screen\":\"") + 10;
        return line.substr(start, line.find('"', start) - start);
    }

    fs::path folder_;
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

TEST_F(CommandLineTest, ARecordedSessionReplaysFrameForFrame) {
    if (!HasDisplay()) GTEST_SKIP() << "no display";
    Write("r.txt",
          "seed 99\n3 key 13 down\n4 key 13 up\n10 move 320 200\n12 mouse 1 down\n13 mouse 1 up\n"
          "40 key 38 down\n60 key 162 down\n61 key 162 up\n90 key 38 up\n100 focus lost\n100 focus gained\n"
          "140 key 32 down\n141 key 32 up\n170 key 32 down\n171 key 32 up\n");
    ASSERT_EQ(Run("--frames 200 --replay '" + Path("r.txt") + "' --record '" + Path("rec.txt") + "' --trace '" +
                  Path("a.jsonl") + "'"),
              0)
        << Read("err.txt");
    ASSERT_EQ(Run("--frames 200 --replay '" + Path("rec.txt") + "' --trace '" + Path("b.jsonl") + "'"), 0)
        << Read("err.txt");
    EXPECT_EQ(Read("a.jsonl"), Read("b.jsonl"));
    EXPECT_EQ(Lines("rec.txt").front(), "seed 99");
    auto lines = Lines("a.jsonl");
    ASSERT_EQ(lines.size(), 200u);
    EXPECT_EQ(Screen(lines[20]), "playing");
}

TEST_F(CommandLineTest, TheTitleMusicReachesTheSoundDevice) {
    if (!HasDisplay()) GTEST_SKIP() << "no display";
    // SDL's disk driver writes what the device would play into a file.
    std::string output = Path("audio.raw");
    ASSERT_EQ(Run("--seed 1 --frames 300", "SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE='" + output + "'"), 0)
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
    EXPECT_FALSE(fs::exists(Path("data/hiscore.dat")));
}
