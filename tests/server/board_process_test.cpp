// rezarudev-board as a program: its command line, a board killed (kill -9)
// while games arrive, and two boards serving one database.

#include <gtest/gtest.h>
#include <httplib.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstdio>
#include <fstream>
#include <mutex>
#include <nlohmann/json.hpp>
#include <thread>
#include <vector>

#include "board.hpp"
#include "support/board_support.hpp"

using Json = nlohmann::json;

namespace {

std::unique_ptr<httplib::Client> ClientOf(const BoardProcess& board) {
    auto client = std::make_unique<httplib::Client>("127.0.0.1", board.port());
    client->set_read_timeout(60);
    return client;
}

Json TicketFrom(const BoardProcess& board) {
    auto result = ClientOf(board)->Post("/api/tickets");
    if (!result || result->status != 201) return {};
    return Json::parse(result->body);
}

httplib::Result SendGame(const BoardProcess& board, const Json& ticket) {
    Json body = {{"ticket", ticket["ticket"]}, {"name", "Ann"}, {"replay", FlyingRecording(ticket["seed"])}};
    return ClientOf(board)->Post("/api/games", body.dump(), "application/json");
}

int Status(const std::string& command) {
    int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(BoardCommandLineTest, ABadOptionIsOneLineAndTheUsage) {
    TempFolder folder;
    std::string err = (folder.path() / "err.txt").string();
    std::string board = std::string("'") + REZARUDEV_BOARD_BINARY + "'";
    EXPECT_EQ(Status(board + " --listen nowhere 2>'" + err + "'"), 2);
    std::ifstream text(err);
    std::string first;
    std::getline(text, first);
    EXPECT_EQ(first, "rezarudev-board: --listen 'nowhere' is not ADDR:PORT");
    EXPECT_EQ(Status(board + " --workers 0 2>/dev/null"), 2);
    EXPECT_EQ(Status(board + " --help >/dev/null"), 0);
    EXPECT_EQ(Status(board + " --database mysql://x 2>/dev/null"), 1);
}

TEST(BoardCommandLineTest, SigtermEndsTheBoardWithStatusZero) {
    TempFolder folder;
    BoardProcess board("sqlite:" + (folder.path() / "board.db").string());
    ASSERT_GT(board.port(), 0);
    EXPECT_EQ(board.Stop(), 0);
}

class BoardProcessTest : public testing::TestWithParam<const char*> {
protected:
    void SetUp() override {
        if (database_.url().empty()) GTEST_SKIP() << database_.why();
    }

    TestDatabase database_{GetParam()};
};

// Games are sent at once, and the board is killed as soon as the first is
// answered: every game answered 201 is there when it comes back, and every
// game that got no answer can be sent again.
TEST_P(BoardProcessTest, AKilledBoardLosesNoGameItAnsweredFor) {
    constexpr int kGames = 6;
    auto board = std::make_unique<BoardProcess>(database_.url());
    ASSERT_GT(board->port(), 0);
    std::vector<Json> tickets;
    for (int i = 0; i < kGames; ++i) tickets.push_back(TicketFrom(*board));
    database_.AgeTickets(60 * 60'000);

    std::mutex mutex;
    std::condition_variable answered;
    std::vector<std::string> stored;
    std::vector<int> unanswered;
    std::vector<std::thread> clients;
    for (int i = 0; i < kGames; ++i) {
        clients.emplace_back([&, i] {
            httplib::Result result = SendGame(*board, tickets[i]);
            std::lock_guard lock(mutex);
            if (result && result->status == 201) stored.push_back(Json::parse(result->body)["id"]);
            if (!result) unanswered.push_back(i);
            answered.notify_all();
        });
    }
    {
        std::unique_lock lock(mutex);
        answered.wait(lock, [&] { return !stored.empty(); });
    }
    board->Kill();
    for (std::thread& client : clients) client.join();
    ASSERT_FALSE(unanswered.empty()) << "the board was not killed while games were in play";

    board = std::make_unique<BoardProcess>(database_.url());
    ASSERT_GT(board->port(), 0);
    for (const std::string& id : stored) {
        auto result = ClientOf(*board)->Get("/api/games/" + id);
        ASSERT_TRUE(result);
        EXPECT_EQ(result->status, 200) << id;
    }
    // A game stored just before the kill, but never answered for, finds its
    // ticket used.
    for (int i : unanswered) {
        auto result = SendGame(*board, tickets[i]);
        ASSERT_TRUE(result);
        EXPECT_TRUE(result->status == 201 || result->status == 409) << result->body;
    }
    auto scores = ClientOf(*board)->Get("/api/scores?limit=100");
    EXPECT_EQ(Json::parse(scores->body)["scores"].size(), static_cast<std::size_t>(kGames));
}

// Nothing lives in one board's memory: a ticket of one board is good at the
// other, a ticket sent to both makes one game, and the rate limit counts
// requests to either.
TEST_P(BoardProcessTest, TwoBoardsServeOneDatabase) {
    BoardProcess first(database_.url(), {"--ticket-rate", "4"});
    BoardProcess second(database_.url(), {"--ticket-rate", "4"});
    ASSERT_GT(first.port(), 0);
    ASSERT_GT(second.port(), 0);
    // The counts start again every minute on the minute; the four tickets
    // and the two refusals must fall into one.
    if (SystemMillis() % 60'000 > 55'000) std::this_thread::sleep_for(std::chrono::seconds(6));
    Json ticket = TicketFrom(first);
    Json raced = TicketFrom(second);
    EXPECT_FALSE(TicketFrom(first).empty());
    EXPECT_FALSE(TicketFrom(second).empty());
    EXPECT_EQ(ClientOf(first)->Post("/api/tickets")->status, 429);
    EXPECT_EQ(ClientOf(second)->Post("/api/tickets")->status, 429);

    database_.AgeTickets(60 * 60'000);
    auto game = SendGame(second, ticket);
    ASSERT_EQ(game->status, 201) << game->body;
    std::string id = Json::parse(game->body)["id"];
    EXPECT_EQ(ClientOf(first)->Get("/api/games/" + id)->status, 200);

    int at_first = 0, at_second = 0;
    auto status = [&raced](const BoardProcess& board) {
        httplib::Result result = SendGame(board, raced);
        return result ? result->status : 0;
    };
    std::thread one([&] { at_first = status(first); });
    std::thread two([&] { at_second = status(second); });
    one.join();
    two.join();
    EXPECT_EQ(std::min(at_first, at_second), 201);
    EXPECT_EQ(std::max(at_first, at_second), 409);
}

INSTANTIATE_TEST_SUITE_P(Databases, BoardProcessTest, testing::ValuesIn(kDatabaseKinds));

}  // namespace
