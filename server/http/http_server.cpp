#include "http/http_server.hpp"

#include <httplib.h>
#include <sys/socket.h>

#include <fstream>

#include "board.hpp"
#include "http/site.hpp"
#include "store/store.hpp"

// The library listens with a backlog of 5: a crowd of clients connecting at
// once would have their connections dropped and tried again a second or more
// later. Listening again on the bound socket makes room for them.
class BoardServer final : public httplib::Server {
public:
    bool MakeRoomForCrowds() { return ::listen(svr_sock_, SOMAXCONN) == 0; }
};

namespace {

constexpr std::string_view kApi = "/api/";
constexpr std::string_view kGames = "/api/games/";
constexpr std::string_view kReplaySuffix = "/replay";

void Send(httplib::Response& response, const Answer& answer) {
    response.status = answer.status;
    response.set_content(answer.body, answer.content_type.c_str());
}

void SendError(httplib::Response& response, int status, std::string_view message) {
    Send(response, ErrorAnswer(status, message));
}

std::string_view ReasonOf(int status) {
    switch (status) {
    case 400:
        return "bad request";
    case 404:
        return "not found";
    case 405:
        return "method not allowed";
    case 408:
        return "the request took too long to arrive";
    case 413:
        return "the body is larger than 1 MB";
    case 414:
        return "the request path is too long";
    case 431:
        return "the request headers are too large";
    default:
        return "the request failed";
    }
}

// Streams a site file, so a large one never sits in memory whole.
bool SendFile(httplib::Response& response, const std::filesystem::path& file) {
    auto stream = std::make_shared<std::ifstream>(file, std::ios::binary);
    std::error_code error;
    std::uintmax_t size = std::filesystem::file_size(file, error);
    if (!*stream || error) return false;
    response.status = 200;
    response.set_content_provider(static_cast<std::size_t>(size), MediaTypeOf(file).c_str(),
                                  [stream](std::size_t offset, std::size_t length, httplib::DataSink& sink) {
                                      char buffer[64 * 1024];
                                      stream->seekg(static_cast<std::streamoff>(offset));
                                      std::size_t wanted = std::min(length, sizeof buffer);
                                      stream->read(buffer, static_cast<std::streamsize>(wanted));
                                      std::streamsize got = stream->gcount();
                                      if (got <= 0) return false;
                                      sink.write(buffer, static_cast<std::size_t>(got));
                                      return true;
                                  });
    return true;
}

// GET and HEAD, which carry no body: the API's reading side and the site.
void AnswerRead(Board& board, const Site& site, const httplib::Request& request, httplib::Response& response) {
    std::string_view path = request.path;
    if (!path.starts_with(kApi)) {
        std::optional<std::filesystem::path> file = site.Find(path);
        if (!file || !SendFile(response, *file)) SendError(response, 404, "no such file");
        return;
    }
    if (path == "/api/health") return Send(response, board.Health());
    if (path == "/api/scores") {
        std::string limit = request.get_param_value("limit");
        return Send(response,
                    board.Scores(request.has_param("limit") ? std::optional<std::string_view>(limit) : std::nullopt));
    }
    if (path.starts_with(kGames)) {
        std::string_view id = path.substr(kGames.size());
        bool replay = id.ends_with(kReplaySuffix);
        if (replay) id.remove_suffix(kReplaySuffix.size());
        if (!id.empty() && id.find('/') == std::string_view::npos) {
            return Send(response, replay ? board.ReplayOf(id) : board.GameEntryOf(id));
        }
    }
    if (path == "/api/tickets" || path == "/api/games") return SendError(response, 405, "use POST");
    SendError(response, 404, "no such API path");
}

}  // namespace

HttpServer::HttpServer(Board& board, const Site& site, int threads) : server_(std::make_unique<BoardServer>()) {
    httplib::Server& server = *server_;
    server.new_task_queue = [threads] { return new httplib::ThreadPool(static_cast<std::size_t>(threads)); };
    server.set_payload_max_length(kMaxBody);
    server.set_read_timeout(10);
    server.set_write_timeout(10);
    server.set_keep_alive_timeout(5);
    // Every answer says it comes from a board, so that the page it serves
    // knows without asking a path a plain host would answer 404.
    server.set_default_headers(
        {{"X-Content-Type-Options", "nosniff"}, {"Cache-Control", "no-store"}, {"X-Rezarudev-Board", "1"}});

    // Requests without a body are answered before routing, so that no path a
    // stranger sends meets the router's regular expressions; and a POST to
    // anywhere but the two that take one is refused before its body is read.
    server.set_pre_routing_handler([&board, &site](const httplib::Request& request, httplib::Response& response) {
        using Handled = httplib::Server::HandlerResponse;
        if (request.method == "GET" || request.method == "HEAD") {
            AnswerRead(board, site, request, response);
            return Handled::Handled;
        }
        if (request.method == "POST" && request.path == "/api/games") {
            // Refused on its word, before a byte of it is read (the library
            // would read it all to throw it away).
            if (request.get_header_value<std::uint64_t>("Content-Length") > kMaxBody) {
                SendError(response, 413, ReasonOf(413));
                response.set_header("Connection", "close");
                return Handled::Handled;
            }
            return Handled::Unhandled;
        }
        if (request.method == "POST" && request.path == "/api/tickets") {
            // No body is wanted, so none is read (a request without one need
            // not say its length is 0); one that came anyway ends the
            // connection, as its bytes are still on the way.
            Send(response, board.GiveTicket(request.remote_addr));
            if (request.has_header("Transfer-Encoding") ||
                request.get_header_value<std::uint64_t>("Content-Length") > 0) {
                response.set_header("Connection", "close");
            }
            return Handled::Handled;
        }
        // Whatever else it is, its body is not wanted.
        response.set_header("Connection", "close");
        if (!request.path.starts_with(kApi)) {
            SendError(response, 405, "the site's files are only read");
        } else if (request.path == "/api/tickets" || request.path == "/api/games" || request.path.starts_with(kGames) ||
                   request.path == "/api/scores" || request.path == "/api/health") {
            SendError(response, 405, "this API path does not answer that method");
        } else {
            SendError(response, 404, "no such API path");
        }
        return Handled::Handled;
    });
    // Read through a content reader, which holds every body to one limit
    // whatever its type says (the library would cut a form's body to 8 KB)
    // and however it comes, chunked too.
    server.Post("/api/games", [&board](const httplib::Request& request, httplib::Response& response,
                                       const httplib::ContentReader& reader) {
        // A multipart form would go to the library's form parser, which is
        // no place for a body we do not want.
        if (request.is_multipart_form_data()) {
            SendError(response, 400, "malformed body: expected a JSON object");
            response.set_header("Connection", "close");
            return;
        }
        std::string body;
        bool too_big = false;
        bool whole = reader([&](const char* data, std::size_t length) {
            too_big = too_big || body.size() + length > kMaxBody;
            if (!too_big) body.append(data, length);
            return !too_big;
        });
        if (!whole) {
            // Its length said too much, or it grew too large, or it broke off.
            bool refused = too_big || response.status == 413;
            SendError(response, refused ? 413 : 400, refused ? ReasonOf(413) : "the body did not arrive whole");
            response.set_header("Connection", "close");
            return;
        }
        Send(response, board.SubmitGame(request.remote_addr, body));
    });
    // What the library refuses on its own (a body over the limit, a broken
    // request line) gets the API's error body too.
    server.set_error_handler(
        httplib::Server::HandlerWithResponse([](const httplib::Request&, httplib::Response& response) {
            if (!response.body.empty() || response.content_provider_) {
                return httplib::Server::HandlerResponse::Unhandled;
            }
            SendError(response, response.status, ReasonOf(response.status));
            return httplib::Server::HandlerResponse::Handled;
        }));
    server.set_exception_handler([](const httplib::Request&, httplib::Response& response, std::exception_ptr thrown) {
        std::string message = "the board failed";
        try {
            std::rethrow_exception(thrown);
        } catch (const StoreError& problem) {
            message = std::string("the database failed: ") + problem.what();
        } catch (const std::exception& problem) {
            message = std::string("the board failed: ") + problem.what();
        } catch (...) {
        }
        SendError(response, 500, message);
    });
}

HttpServer::~HttpServer() = default;

bool HttpServer::Bind(const std::string& address, int port, std::string& error) {
    if (port == 0) {
        port_ = server_->bind_to_any_port(address);
    } else {
        port_ = server_->bind_to_port(address, port) ? port : -1;
    }
    if (port_ <= 0 || !static_cast<BoardServer&>(*server_).MakeRoomForCrowds()) {
        error = "cannot listen on " + address + ":" + std::to_string(port) + " (in use, or not an address here)";
        return false;
    }
    return true;
}

bool HttpServer::Run() { return server_->listen_after_bind(); }

bool HttpServer::running() const { return server_->is_running(); }

void HttpServer::Stop() { server_->stop(); }
