#include "platform/system/board_link.hpp"

// The functions are looked up by hand (below), not through the header's
// type-checking macros.
#define CURL_DISABLE_TYPECHECK
#include <curl/curl.h>
#include <dlfcn.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <deque>
#include <mutex>
#include <nlohmann/json.hpp>
#include <thread>


namespace {

using Json = nlohmann::json;
using SteadyTime = std::chrono::steady_clock::time_point;

// A board that did not answer is asked again this much later.
constexpr std::chrono::seconds kRetryAfter{30};
// How long a request may take: a game is played through on the board before
// it answers, which a long game on a busy board takes a while to.
constexpr long kTicketTimeoutSeconds = 10;
constexpr long kGameTimeoutSeconds = 60;
// No answer of the board's comes near this.
constexpr std::size_t kMostAnswerBytes = 64 * 1024;

// libcurl, opened only by a run that has a board: linked in, it and the two
// dozen libraries it needs would be loaded by every run, 5 MB of memory
// that a game without a board never uses.
struct Curl {
    decltype(&curl_global_init) global_init = nullptr;
    decltype(&curl_easy_init) easy_init = nullptr;
    decltype(&curl_easy_setopt) easy_setopt = nullptr;
    decltype(&curl_easy_perform) easy_perform = nullptr;
    decltype(&curl_easy_getinfo) easy_getinfo = nullptr;
    decltype(&curl_easy_strerror) easy_strerror = nullptr;
    decltype(&curl_easy_cleanup) easy_cleanup = nullptr;
    decltype(&curl_slist_append) slist_append = nullptr;
    decltype(&curl_slist_free_all) slist_free_all = nullptr;
};

template <typename Function>
bool Find(void* library, const char* name, Function& function) {
    function = reinterpret_cast<Function>(dlsym(library, name));
    return function != nullptr;
}

// Null, with the reason in `problem`, when the library is not to be had.
const Curl* OpenCurl(std::string& problem) {
    static Curl curl;
    static const std::string opened = [] {
        void* library = dlopen("libcurl.so.4", RTLD_NOW | RTLD_LOCAL);
        if (!library) return std::string("libcurl (libcurl.so.4) is not installed");
        bool found = Find(library, "curl_global_init", curl.global_init) &&
                     Find(library, "curl_easy_init", curl.easy_init) &&
                     Find(library, "curl_easy_setopt", curl.easy_setopt) &&
                     Find(library, "curl_easy_perform", curl.easy_perform) &&
                     Find(library, "curl_easy_getinfo", curl.easy_getinfo) &&
                     Find(library, "curl_easy_strerror", curl.easy_strerror) &&
                     Find(library, "curl_easy_cleanup", curl.easy_cleanup) &&
                     Find(library, "curl_slist_append", curl.slist_append) &&
                     Find(library, "curl_slist_free_all", curl.slist_free_all);
        if (!found) return std::string("libcurl.so.4 lacks a function the game needs");
        if (curl.global_init(CURL_GLOBAL_DEFAULT) != CURLE_OK) return std::string("libcurl could not start");
        return std::string();
    }();
    problem = opened;
    return opened.empty() ? &curl : nullptr;
}

struct Answer {
    long status = 0;  // 0: no answer
    std::string body;
    std::string problem;  // why there was none
};

std::size_t Collect(char* data, std::size_t size, std::size_t count, void* user) {
    auto& body = *static_cast<std::string*>(user);
    std::size_t bytes = size * count;
    if (body.size() + bytes > kMostAnswerBytes) return 0;
    body.append(data, bytes);
    return bytes;
}

// One POST to the board, waiting for its answer.
Answer Post(const Curl& api, const std::string& url, const std::string& body, long timeout_seconds) {
    Answer answer;
    CURL* curl = api.easy_init();
    if (!curl) {
        answer.problem = "libcurl could not start a request";
        return answer;
    }
    curl_slist* headers = api.slist_append(nullptr, "Content-Type: application/json");
    auto curl_easy_setopt = api.easy_setopt;
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers);
    curl_easy_setopt(curl, CURLOPT_POST, 1L);
    curl_easy_setopt(curl, CURLOPT_POSTFIELDS, body.c_str());
    curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE, static_cast<long>(body.size()));
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, Collect);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &answer.body);
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, 5L);
    curl_easy_setopt(curl, CURLOPT_TIMEOUT, timeout_seconds);
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
    char error[CURL_ERROR_SIZE] = "";
    curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, error);
    CURLcode result = api.easy_perform(curl);
    if (result == CURLE_OK) {
        api.easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &answer.status);
    } else {
        answer.problem = error[0] ? error : api.easy_strerror(result);
    }
    api.slist_free_all(headers);
    api.easy_cleanup(curl);
    return answer;
}

// Text from elsewhere kept to one line of the terminal's.
std::string OneLine(std::string text) {
    constexpr std::size_t kLongest = 300;
    if (text.size() > kLongest) text.resize(kLongest);
    for (char& c : text)
        if (static_cast<unsigned char>(c) < ' ' || c == 127) c = ' ';
    return text;
}

// The board's one-line reason, or the status alone.
std::string Reason(const Answer& answer) {
    Json json = Json::parse(answer.body, nullptr, false);
    if (!json.is_object() || !json.contains("error") || !json["error"].is_string())
        return "status " + std::to_string(answer.status);
    return OneLine(json["error"].get<std::string>());
}

struct SentGame {
    BoardTicket ticket;
    std::string name;
    std::string recording;
};

class CurlBoardLink final : public BoardLink {
public:
    CurlBoardLink(const Curl& curl, std::string url) : curl_(curl), url_(std::move(url)) {
        while (!url_.empty() && url_.back() == '/') url_.pop_back();
        thread_ = std::thread([this] { Work(); });
    }

    ~CurlBoardLink() override {
        {
            std::lock_guard lock(mutex_);
            leaving_ = true;
        }
        wake_.notify_all();
        // Games already played are still sent; no more tickets are asked for.
        thread_.join();
    }

    std::optional<BoardTicket> TakeTicket() override {
        std::lock_guard lock(mutex_);
        std::optional<BoardTicket> taken;
        if (ticket_ && std::chrono::steady_clock::now() - ticket_time_ < std::chrono::minutes(kTicketFreshMinutes))
            taken = std::move(ticket_);
        ticket_.reset();
        next_ask_ = {};
        wake_.notify_all();
        return taken;
    }

    void SendGame(const BoardTicket& ticket, const std::string& name, std::string recording) override {
        {
            std::lock_guard lock(mutex_);
            games_.push_back({ticket, name, std::move(recording)});
        }
        wake_.notify_all();
    }

private:
    void Work() {
        std::unique_lock lock(mutex_);
        for (;;) {
            auto now = std::chrono::steady_clock::now();
            if (!games_.empty() && (now >= next_send_ || leaving_)) {
                SentGame game = std::move(games_.front());
                games_.pop_front();
                bool last_try = leaving_;
                lock.unlock();
                bool answered = Send(game);
                lock.lock();
                // Kept for the board's return, unless the game is closing.
                if (!answered && !last_try) {
                    games_.push_front(std::move(game));
                    next_send_ = std::chrono::steady_clock::now() + kRetryAfter;
                }
                continue;
            }
            if (leaving_) return;
            if (ticket_ && now - ticket_time_ >= std::chrono::minutes(kTicketFreshMinutes)) ticket_.reset();
            if (!ticket_ && now >= next_ask_) {
                lock.unlock();
                std::optional<BoardTicket> got = AskTicket();
                lock.lock();
                now = std::chrono::steady_clock::now();
                if (got) {
                    ticket_ = std::move(got);
                    ticket_time_ = now;
                } else {
                    next_ask_ = now + kRetryAfter;
                }
                continue;
            }
            SteadyTime until = ticket_ ? ticket_time_ + std::chrono::minutes(kTicketFreshMinutes) : next_ask_;
            if (!games_.empty()) until = std::min(until, next_send_);
            wake_.wait_until(lock, until);
        }
    }

    std::optional<BoardTicket> AskTicket() {
        Answer answer = Post(curl_, url_ + "/api/tickets", "", kTicketTimeoutSeconds);
        if (answer.status != 201) {
            Unanswered(answer);
            return std::nullopt;
        }
        Json json = Json::parse(answer.body, nullptr, false);
        if (!json.is_object() || !json.contains("ticket") || !json["ticket"].is_string() || !json.contains("seed") ||
            !json["seed"].is_number_integer()) {
            Unanswered({answer.status, {}, "its ticket is not one"});
            return std::nullopt;
        }
        BoardTicket ticket;
        ticket.id = json["ticket"].get<std::string>();
        long long seed = json["seed"].get<long long>();
        if (seed < 1 || seed > 0x7ffffffe) {
            Unanswered({answer.status, {}, "its ticket's seed is out of range"});
            return std::nullopt;
        }
        ticket.seed = static_cast<int>(seed);
        return ticket;
    }

    // False when the game is to be sent again.
    bool Send(const SentGame& game) {
        Json body{{"ticket", game.ticket.id}, {"name", game.name}, {"replay", game.recording}};
        Answer answer = Post(curl_, url_ + "/api/games", body.dump(-1, ' ', false, Json::error_handler_t::replace),
                             kGameTimeoutSeconds);
        if (answer.status == 201) {
            Json json = Json::parse(answer.body, nullptr, false);
            if (json.is_object() && json.contains("rank") && json["rank"].is_number_integer() &&
                json.contains("score") && json["score"].is_number_integer()) {
                // The world table, and each game's recording to watch, are on
                // the board's page.
                std::printf(
                    "rezarudev: the score board ranks your game of %lld points no. %lld in the world "
                    "(the table: %s/)\n",
                    json["score"].get<long long>(), json["rank"].get<long long>(), url_.c_str());
                std::fflush(stdout);
            }
        } else if (answer.status != 0 && answer.status != 429 && answer.status < 500) {
            std::fprintf(stderr, "rezarudev: the score board at %s refused the game: %s\n", url_.c_str(),
                         Reason(answer).c_str());
        } else {
            // No answer, or one that says to send it again later: too many
            // games at once, or the board failing for now.
            Unanswered(answer);
            return false;
        }
        return true;
    }

    // Said once a run: the game goes on without the board.
    void Unanswered(const Answer& answer) {
        if (said_unanswered_) return;
        said_unanswered_ = true;
        std::string why = answer.status != 0 && answer.problem.empty() ? Reason(answer) : OneLine(answer.problem);
        std::fprintf(stderr, "rezarudev: the score board at %s does not answer (%s); the game goes on without it\n",
                     url_.c_str(), why.c_str());
    }

    const Curl& curl_;
    std::string url_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::optional<BoardTicket> ticket_;
    SteadyTime ticket_time_;
    SteadyTime next_ask_;
    SteadyTime next_send_;
    std::deque<SentGame> games_;
    bool leaving_ = false;
    bool said_unanswered_ = false;
    std::thread thread_;
};

}  // namespace

std::unique_ptr<BoardLink> OpenBoardLink(const std::string& url) {
    if (url.empty()) return nullptr;
    std::string problem;
    const Curl* curl = OpenCurl(problem);
    if (!curl) {
        std::fprintf(stderr, "rezarudev: %s; games are not sent to the score board\n", problem.c_str());
        return nullptr;
    }
    return std::make_unique<CurlBoardLink>(*curl, url);
}
