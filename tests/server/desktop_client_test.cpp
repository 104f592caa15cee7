// The desktop game as the board's client: a game played with --board, in
// real time, is in the world table with the board's own score, which is the
// score the game itself reached, and its recording there can be watched.

#include <gtest/gtest.h>
#include <httplib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <future>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <thread>

#include "support/board_support.hpp"

using Json = nlohmann::json;

namespace {

std::string ReadAll(const std::filesystem::path& path) {
    std::ifstream file(path);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

// The game skips the splash, waits two seconds on the title (the ticket is
// asked for at start-up), starts a game and thrusts in bursts until the
// ship has died its three deaths, 35 to 75 seconds in for the seeds tried.
std::string ThrustingRecording() {
    std::ostringstream text;
    text << "seed 3\nsettings 10 10 2\n1 key 32 down\n2 key 32 up\n120 key 32 down\n121 key 32 up\n";
    for (int f = 130; f < 19000; f += 110) text << f << " key 38 down\n" << f + 100 << " key 38 up\n";
    return text.str();
}

// The score of the frame in which the game-over caption hands over to the
// title, from the game's own trace.
int ScoreAtGameOver(const std::filesystem::path& trace) {
    std::ifstream lines(trace);
    bool was_over = false;
    for (std::string line; std::getline(lines, line);) {
        Json frame = Json::parse(line);
        bool over = frame.value("game_over", 0) != 0;
        if (was_over && !over) return frame["score"];
        was_over = over;
    }
    return -1;
}

TEST(DesktopClientTest, AGamePlayedWithBoardIsInTheWorldTableWithItsOwnScoreAndCanBeWatched) {
    TempFolder board_folder;
    BoardProcess board("sqlite:" + (board_folder.path() / "board.db").string());
    ASSERT_GT(board.port(), 0);
    TempFolder folder;
    std::filesystem::path dir = LinkGameSounds(folder.path());
    std::filesystem::create_directories(dir / "data");
    // The name offered when the score does not enter the table here.
    std::ofstream(dir / "data" / "scores") << "last Zed\n";
    std::ofstream(dir / "r.txt") << ThrustingRecording();
    std::string url = "http://127.0.0.1:" + std::to_string(board.port());
    std::string game = "SDL_AUDIODRIVER=dummy xvfb-run -a -n " + std::to_string(200 + getpid() % 5000) + " -f '" +
                       dir.string() + "/xauthority' -s '-screen 0 1024x768x24' '" + REZARUDEV_BINARY +
                       "' --windowed --frames 12000 --data-dir '" + dir.string() + "' --replay '" + dir.string() +
                       "/r.txt' --board " + url + " --trace '" + dir.string() + "/t.jsonl' >'" + dir.string() +
                       "/out.txt' 2>'" + dir.string() + "/err.txt'";
    std::future<int> played = std::async(std::launch::async, [&game] { return std::system(game.c_str()); });

    // The game is over and sent well before its 12000 frames (by frame 4400
    // for any of 41 seeds tried, 73 s of play; a sanitizer build on a busy
    // machine plays slower); once it is in the table, the game is ended as a
    // close request ends it.
    httplib::Client client("127.0.0.1", board.port());
    Json scores;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(4);
    while (std::chrono::steady_clock::now() < deadline) {
        auto result = client.Get("/api/scores");
        if (result && result->status == 200) scores = Json::parse(result->body)["scores"];
        if (!scores.empty() || played.wait_for(std::chrono::seconds(1)) == std::future_status::ready) break;
    }
    std::system(("pkill -TERM -f -- '^" + std::string(REZARUDEV_BINARY) + " --windowed --frames 12000 --data-dir " +
                 dir.string() + "' >/dev/null 2>&1")
                    .c_str());
    int status = played.get();
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << ReadAll(dir / "err.txt");
    ASSERT_EQ(scores.size(), 1u) << ReadAll(dir / "err.txt");
    const Json& entry = scores[0];
    EXPECT_EQ(entry["name"], "Zed");
    EXPECT_EQ(entry["score"], ScoreAtGameOver(dir / "t.jsonl"));
    EXPECT_NE(ReadAll(dir / "out.txt").find("no. 1 in the world (the table: " + url + "/)"), std::string::npos);

    // The recording the board keeps starts from its ticket, not from the
    // run's seed, and watched on the desktop it is the same game again.
    auto replay = client.Get("/api/games/" + entry["id"].get<std::string>() + "/replay");
    ASSERT_TRUE(replay && replay->status == 200);
    EXPECT_EQ(replay->body.rfind("game ", 0), 0u);
    EXPECT_NE(replay->body.find("\nname Zed\n"), std::string::npos);
    std::ofstream(dir / "kept.txt") << replay->body;
    std::string watch = "SDL_AUDIODRIVER=dummy xvfb-run -a -n " + std::to_string(201 + getpid() % 5000) + " -f '" +
                        dir.string() + "/xauthority' -s '-screen 0 1024x768x24' '" + REZARUDEV_BINARY +
                        "' --windowed --fast --data-dir '" + dir.string() + "' --replay '" + dir.string() +
                        "/kept.txt' 2>'" + dir.string() + "/watch_err.txt' >/dev/null";
    EXPECT_EQ(std::system(watch.c_str()), 0) << ReadAll(dir / "watch_err.txt");
    EXPECT_EQ(ReadAll(dir / "watch_err.txt").find("does not play as recorded"), std::string::npos);
}

}  // namespace
