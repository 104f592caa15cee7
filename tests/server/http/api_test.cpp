// The API over real sockets on loopback, on SQLite and PostgreSQL: what an
// honest client gets, and what forged games, hostile bodies, names and paths
// get. The board's clock is the test's, so games need not take real time.

#include "http/http_server.hpp"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <httplib.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <thread>

#include "board.hpp"
#include "http/site.hpp"
#include "support/board_support.hpp"
#include "verify/worker_pool.hpp"

namespace fs = std::filesystem;
using Json = nlohmann::json;

namespace {

constexpr int kSeed = 7919;                   // its flying game is over after 1832 frames, 100 points
constexpr Millis kStart = 1'796'000'000'000;  // 2026-11-30T00:53:20Z

class ApiTest : public testing::TestWithParam<const char*> {
protected:
    void SetUp() override {
        if (database_.url().empty()) GTEST_SKIP() << database_.why();
        fs::create_directories(site_ / "sub");
        std::ofstream(site_ / "index.html") << "<!doctype html>";
        std::ofstream(site_ / "sub" / "index.html") << "sub";
        std::ofstream(site_ / "rezarudev.wasm") << "wasm";
        std::ofstream(site_ / ".secret") << "secret";
        std::ofstream(outside_.path() / "private.txt") << "private";
        fs::create_symlink(outside_.path() / "private.txt", site_ / "link.txt");
    }

    void TearDown() override {
        if (server_) server_->Stop();
        if (thread_.joinable()) thread_.join();
    }

    void Start(BoardSettings settings = NoLimits()) {
        std::string error;
        store_ = OpenStore(database_.url(), error);
        ASSERT_TRUE(store_) << error;
        board_ = std::make_unique<Board>(*store_, pool_, settings, empty_.path().string());
        board_->clock = [this] { return now_.load(); };
        board_->seeds = [] { return kSeed; };
        server_ = std::make_unique<HttpServer>(*board_, site_object_, 8);
        ASSERT_TRUE(server_->Bind("127.0.0.1", 0, error)) << error;
        thread_ = std::thread([this] { server_->Run(); });
        client_ = std::make_unique<httplib::Client>("127.0.0.1", server_->port());
        client_->set_read_timeout(30);
    }

    static BoardSettings NoLimits() {
        BoardSettings settings;
        settings.tickets_per_minute = 0;
        settings.games_per_minute = 0;
        return settings;
    }

    Json Ticket() {
        auto result = client_->Post("/api/tickets");
        EXPECT_TRUE(result);
        EXPECT_EQ(result->status, 201) << result->body;
        return Json::parse(result->body);
    }

    httplib::Result Submit(const Json& body) { return client_->Post("/api/games", body.dump(), "application/json"); }

    httplib::Result SubmitGame(const std::string& ticket, const std::string& name, const std::string& recording) {
        return Submit({{"ticket", ticket}, {"name", name}, {"replay", recording}});
    }

    // An error answer: the status, and a body of one line, {"error":"..."}.
    static void ExpectError(const httplib::Result& result, int status) {
        ASSERT_TRUE(result) << "no answer";
        EXPECT_EQ(result->status, status) << result->body;
        EXPECT_EQ(result->get_header_value("Content-Type"), "application/json");
        Json body = Json::parse(result->body, nullptr, false);
        ASSERT_TRUE(body.is_object() && body.size() == 1 && body["error"].is_string()) << result->body;
        EXPECT_EQ(result->body.find('\n'), std::string::npos);
    }

    // The status line of a request sent as it is, byte for byte.
    std::string Raw(const std::string& request) {
        int socket_fd = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(static_cast<std::uint16_t>(server_->port()));
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        EXPECT_EQ(connect(socket_fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
        EXPECT_EQ(send(socket_fd, request.data(), request.size(), 0), static_cast<ssize_t>(request.size()));
        std::string answer;
        char buffer[4096];
        for (ssize_t got;
             answer.find("\r\n") == std::string::npos && (got = recv(socket_fd, buffer, sizeof buffer, 0)) > 0;) {
            answer.append(buffer, static_cast<std::size_t>(got));
        }
        close(socket_fd);
        return answer.substr(0, answer.find("\r\n"));
    }

    TestDatabase database_{GetParam()};
    TempFolder empty_;
    TempFolder outside_;
    TempFolder site_folder_;
    fs::path site_ = site_folder_.path() / "site";
    Site site_object_{site_};
    WorkerPool pool_{2, 16};
    std::atomic<Millis> now_{kStart};
    std::unique_ptr<Store> store_;
    std::unique_ptr<Board> board_;
    std::unique_ptr<HttpServer> server_;
    std::thread thread_;
    std::unique_ptr<httplib::Client> client_;
};

TEST_P(ApiTest, AnHonestGameIsStoredWithTheScoreTheBoardPlayedNotTheOneClaimed) {
    Start();
    EXPECT_EQ(client_->Get("/api/health")->body, R"({"ok":true})");
    Json ticket = Ticket();
    EXPECT_EQ(ticket["seed"], kSeed);
    EXPECT_EQ(ticket["expires"], "2026-11-30T02:53:20Z");  // two hours on
    EXPECT_EQ(ticket["ticket"].get<std::string>().size(), 32u);

    now_ += 31'000;  // the 1832 frames take 30.5 s
    std::string recording = FlyingRecording(kSeed);
    auto result = Submit({{"ticket", ticket["ticket"]}, {"name", "Zoë"}, {"replay", recording}, {"score", 999999}});
    ASSERT_TRUE(result);
    ASSERT_EQ(result->status, 201) << result->body;
    Json game = Json::parse(result->body);
    EXPECT_EQ(game["score"], 100);
    EXPECT_EQ(game["level"], 1);
    EXPECT_EQ(game["frames"], 1832);
    EXPECT_EQ(game["rank"], 1);
    std::string id = game["id"];

    Json entry = {{"rank", 1},  {"id", id},       {"name", "Zoë"},       {"score", 100},
                  {"level", 1}, {"frames", 1832}, {"date", "2026-11-30"}};
    EXPECT_EQ(Json::parse(client_->Get("/api/scores")->body), Json({{"scores", {entry}}}));
    EXPECT_EQ(Json::parse(client_->Get("/api/games/" + id)->body), entry);
    auto replay = client_->Get("/api/games/" + id + "/replay");
    EXPECT_EQ(replay->body, recording);
    EXPECT_EQ(replay->get_header_value("Content-Type"), "text/plain; charset=utf-8");
    ExpectError(client_->Get("/api/games/0123456789abcdef"), 404);
    ExpectError(client_->Get("/api/games/" + id + "/replay/x"), 404);
}

TEST_P(ApiTest, TicketsUnknownUsedOrExpiredAreRefused) {
    Start();
    now_ += 60'000;
    ExpectError(SubmitGame("no-such-ticket", "Ann", FlyingRecording(kSeed)), 409);
    Json ticket = Ticket();
    now_ += 60'000;
    ASSERT_EQ(SubmitGame(ticket["ticket"], "Ann", FlyingRecording(kSeed))->status, 201);
    ExpectError(SubmitGame(ticket["ticket"], "Ann", FlyingRecording(kSeed)), 409);
    Json late = Ticket();
    now_ += 2 * 60 * 60'000;
    ExpectError(SubmitGame(late["ticket"], "Ann", FlyingRecording(kSeed)), 409);
}

TEST_P(ApiTest, ForgedGamesAreRefusedAndLeaveTheirTicketUnused) {
    Start();
    Json ticket = Ticket();
    std::string id = ticket["ticket"];
    // Sent 20 s after its ticket, a game of 1832 frames was not played.
    now_ += 20'000;
    ExpectError(SubmitGame(id, "Ann", FlyingRecording(kSeed)), 422);
    now_ += 20'000;
    ExpectError(SubmitGame(id, "Ann", FlyingRecording(kSeed + 1)), 422);
    ExpectError(SubmitGame(id, "Ann", CutBefore(FlyingRecording(kSeed), 1000)), 422);
    ExpectError(SubmitGame(id, "Ann", "not a recording"), 422);
    ExpectError(SubmitGame(id, "Ann", std::string("seed 7919\n#\0\n", 12)), 422);
    EXPECT_EQ(SubmitGame(id, "Ann", FlyingRecording(kSeed))->status, 201);
    EXPECT_EQ(Json::parse(client_->Get("/api/scores")->body)["scores"].size(), 1u);
}

TEST_P(ApiTest, MalformedBodiesAndNamesAreRefused) {
    Start();
    for (const char* body : {"", "{", "[]", "\"x\"", R"({"ticket":1,"name":"Ann","replay":""})",
                             R"({"ticket":"t","name":"Ann"})", R"({"ticket":"t","name":"Ann","replay":[[[["x"]]]]})"}) {
        SCOPED_TRACE(body);
        ExpectError(client_->Post("/api/games", body, "application/json"), 400);
    }
    ExpectError(client_->Post("/api/games", std::string(500'000, '['), "application/json"), 400);
    // A hundred thousand members cost no more than a glance each.
    std::string wide = "{";
    for (int i = 0; i < 100'000; ++i) wide += "\"" + std::to_string(i) + "\":0,";
    ExpectError(client_->Post("/api/games", wide + "\"ticket\":\"t\"}", "application/json"), 400);
    // The table's names: 1 to 12 printable Latin-1 characters, no blank at
    // either end, in UTF-8.
    for (const char* name :
         {"", " Ann", "Ann ", "ThirteenChars", "A\tB", "A\u007fB", "smile\U0001F600", "\u0100ne", "A\u00adB"}) {
        SCOPED_TRACE(name);
        ExpectError(SubmitGame("t", name, "seed 1\n"), 400);
    }
    // Good names get as far as the ticket.
    for (const char* name : {"A", "Zoë Ñandú", "<b>&amp;'\"", "Twelve Chars"}) {
        SCOPED_TRACE(name);
        ExpectError(SubmitGame("t", name, "seed 1\n"), 409);
    }
}

TEST_P(ApiTest, BodiesOverOneMegabyteAreRefusedBeforeTheyAreRead) {
    Start();
    // Only the headers are sent: the answer comes without the body.
    std::string status =
        Raw("POST /api/games HTTP/1.1\r\nHost: x\r\nContent-Type: application/json\r\n"
            "Content-Length: 1048577\r\n\r\n");
    EXPECT_EQ(status, "HTTP/1.1 413 Payload Too Large");
    // Sent in chunks, with no length said, it is cut off at the limit.
    std::string chunked =
        "POST /api/games HTTP/1.1\r\nHost: x\r\nContent-Type: application/json\r\n"
        "Transfer-Encoding: chunked\r\n\r\n";
    for (int i = 0; i < 18; ++i) chunked += "10000\r\n" + std::string(0x10000, ' ') + "\r\n";
    EXPECT_EQ(Raw(chunked), "HTTP/1.1 413 Payload Too Large");
    // A body that is no JSON at all but says it is a form is measured alike.
    ExpectError(client_->Post("/api/games", std::string(20'000, 'x'), "application/x-www-form-urlencoded"), 400);
}

TEST_P(ApiTest, NoPathReachesAFileOutsideTheSite) {
    Start();
    auto index = client_->Get("/");
    EXPECT_EQ(index->body, "<!doctype html>");
    EXPECT_EQ(index->get_header_value("Content-Type"), "text/html; charset=utf-8");
    // The page tells a board from a plain host by it.
    EXPECT_EQ(index->get_header_value("X-Rezarudev-Board"), "1");
    EXPECT_EQ(client_->Get("/sub/")->body, "sub");
    EXPECT_EQ(client_->Get("/rezarudev.wasm")->get_header_value("Content-Type"), "application/wasm");
    for (const char* path : {"/.secret", "/link.txt", "/missing", "/sub/../.secret", "/%2e%2e/outside"}) {
        SCOPED_TRACE(path);
        ExpectError(client_->Get(path), 404);
    }
    for (const char* path : {"/../private.txt", "/..%2f..%2fetc/passwd", "//etc/passwd", "/sub/..", "/./.secret",
                             "/%2e%2e%2f%2e%2e%2fetc/passwd"}) {
        EXPECT_EQ(Raw(std::string("GET ") + path + " HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n"),
                  "HTTP/1.1 404 Not Found")
            << path;
    }
    EXPECT_EQ(Raw("GET /" + std::string(9000, 'a') + " HTTP/1.1\r\nHost: x\r\n\r\n").substr(9, 3), "414");
}

TEST_P(ApiTest, RequestsAreLimitedPerAddressAndMinute) {
    BoardSettings settings;
    settings.tickets_per_minute = 2;
    settings.games_per_minute = 1;
    Start(settings);
    Ticket();
    Ticket();
    ExpectError(client_->Post("/api/tickets"), 429);
    ExpectError(SubmitGame("t", "Ann", "seed 1\n"), 409);
    ExpectError(SubmitGame("t", "Ann", "seed 1\n"), 429);
    now_ += 60'000;
    Ticket();
    ExpectError(SubmitGame("t", "Ann", "seed 1\n"), 409);
}

TEST_P(ApiTest, EveryOtherRequestGetsItsStatusAndAnErrorLine) {
    Start();
    ExpectError(client_->Get("/api/tickets"), 405);
    ExpectError(client_->Put("/api/games", "{}", "application/json"), 405);
    ExpectError(client_->Delete("/api/games/x"), 405);
    ExpectError(client_->Post("/index.html", "x", "text/plain"), 405);
    ExpectError(client_->Post("/api/nothing", "x", "text/plain"), 404);
    ExpectError(client_->Get("/api/nothing"), 404);
    for (const char* limit : {"0", "101", "x", "-1", "5x", ""}) {
        SCOPED_TRACE(limit);
        ExpectError(client_->Get(std::string("/api/scores?limit=") + limit), 400);
    }
    EXPECT_EQ(client_->Get("/api/scores?limit=100")->body, R"({"scores":[]})");
    EXPECT_EQ(Raw("BROKEN\r\n\r\n"), "HTTP/1.1 400 Bad Request");
}

INSTANTIATE_TEST_SUITE_P(Databases, ApiTest, testing::ValuesIn(kDatabaseKinds));

}  // namespace
