#include "board.hpp"

#include <sys/random.h>

#include <cerrno>
#include <charconv>
#include <ctime>
#include <future>
#include <nlohmann/json.hpp>
#include <stdexcept>

#include "game/scores.hpp"
#include "verify/worker_pool.hpp"

namespace {

// Answers keep their members in the order the API gives them. A body is read
// into a plain object, whose look-ups do not grow with its size, as a body
// of a hundred thousand members would make an ordered one's.
using Json = nlohmann::ordered_json;
using BodyJson = nlohmann::json;

constexpr Millis kMinute = 60'000;

Answer JsonAnswer(int status, const Json& body) {
    return {status, body.dump(-1, ' ', false, Json::error_handler_t::replace), "application/json"};
}

// "2026-12-09T20:00:00Z", or the date alone.
std::string UtcText(Millis when, bool with_time) {
    std::time_t seconds = static_cast<std::time_t>(when / 1000);
    std::tm utc{};
    gmtime_r(&seconds, &utc);
    char text[32] = {};
    std::strftime(text, sizeof text, with_time ? "%Y-%m-%dT%H:%M:%SZ" : "%Y-%m-%d", &utc);
    return text;
}

Json EntryJson(const GameEntry& game) {
    return {{"rank", game.rank},
            {"id", game.id},
            {"name", game.name},
            {"score", game.score},
            {"level", game.level},
            {"frames", game.frames},
            {"date", UtcText(game.stored, false)}};
}

// The body the API takes is one flat object; anything nested deeper than
// this is no body of ours, and refusing it before parsing keeps a tower of
// brackets from costing more than a glance.
bool NestedTooDeep(std::string_view body, int deepest) {
    int depth = 0;
    bool in_string = false;
    for (std::size_t at = 0; at < body.size(); ++at) {
        char c = body[at];
        if (in_string) {
            if (c == '\\') ++at;
            else if (c == '"') in_string = false;
        } else if (c == '"') {
            in_string = true;
        } else if (c == '{' || c == '[') {
            if (++depth > deepest) return true;
        } else if (c == '}' || c == ']') {
            --depth;
        }
    }
    return false;
}

// The string member `key` of an object, or nothing.
std::optional<std::string> StringMember(const BodyJson& object, const char* key) {
    auto member = object.find(key);
    if (member == object.end() || !member->is_string()) return std::nullopt;
    return member->get<std::string>();
}

}  // namespace

Answer ErrorAnswer(int status, std::string_view message) {
    return JsonAnswer(status, Json{{"error", std::string(message)}});
}

Millis SystemMillis() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::system_clock::now().time_since_epoch())
        .count();
}

namespace {

void FillRandom(void* buffer, std::size_t size) {
    auto* bytes = static_cast<unsigned char*>(buffer);
    while (size > 0) {
        ssize_t got = getrandom(bytes, size, 0);
        if (got < 0) {
            if (errno == EINTR) continue;
            throw std::runtime_error("the system's random source failed");
        }
        bytes += got;
        size -= static_cast<std::size_t>(got);
    }
}

}  // namespace

int RandomSeed() {
    for (;;) {
        std::uint32_t value = 0;
        FillRandom(&value, sizeof value);
        value &= 0x7fffffffu;
        if (value != 0 && value != 0x7fffffffu) return static_cast<int>(value);
    }
}

std::string RandomHex(std::size_t bytes) {
    std::string raw(bytes, '\0');
    FillRandom(raw.data(), raw.size());
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string hex;
    for (unsigned char byte : raw) {
        hex += kDigits[byte >> 4];
        hex += kDigits[byte & 15];
    }
    return hex;
}

bool IsBoardName(std::string_view utf8) {
    std::string name = NameCharsOf(utf8);
    return IsValidName(name) && ToUtf8(name) == utf8;
}

Board::Board(Store& store, WorkerPool& workers, BoardSettings settings, std::string empty_folder)
    : clock(SystemMillis),
      seeds(RandomSeed),
      store_(store),
      workers_(workers),
      settings_(settings),
      empty_folder_(std::move(empty_folder)) {}

Answer Board::Health() { return JsonAnswer(200, Json{{"ok", true}}); }

Answer Board::GiveTicket(std::string_view address) {
    Millis now = clock();
    Tidy(now);
    if (!WithinRate(address, "tickets", settings_.tickets_per_minute, now)) {
        return ErrorAnswer(429, "too many tickets asked for from this address; wait a minute");
    }
    Ticket ticket;
    ticket.id = RandomHex(16);
    ticket.seed = seeds();
    ticket.given = now;
    ticket.expires = now + std::chrono::milliseconds(settings_.ticket_expiry).count();
    store_.AddTicket(ticket);
    return JsonAnswer(201,
                      Json{{"ticket", ticket.id}, {"seed", ticket.seed}, {"expires", UtcText(ticket.expires, true)}});
}

Answer Board::SubmitGame(std::string_view address, std::string_view body) {
    // The time the game arrived, before it waits for a worker: the time it
    // took to play is counted up to here.
    Millis arrived = clock();
    if (!WithinRate(address, "games", settings_.games_per_minute, arrived)) {
        return ErrorAnswer(429, "too many games sent from this address; wait a minute");
    }
    if (NestedTooDeep(body, 2)) return ErrorAnswer(400, "malformed body: expected one flat JSON object");
    BodyJson parsed = BodyJson::parse(body, nullptr, false);
    if (parsed.is_discarded() || !parsed.is_object()) {
        return ErrorAnswer(400, "malformed body: expected a JSON object");
    }
    std::optional<std::string> ticket_id = StringMember(parsed, "ticket");
    std::optional<std::string> name = StringMember(parsed, "name");
    std::optional<std::string> replay = StringMember(parsed, "replay");
    if (!ticket_id || !name || !replay) {
        return ErrorAnswer(400, "malformed body: \"ticket\", \"name\" and \"replay\" must be strings");
    }
    if (!IsBoardName(*name)) {
        return ErrorAnswer(400, "the name must be 1 to 12 printable characters, neither first nor last a blank");
    }

    std::optional<Ticket> ticket = store_.FindTicket(*ticket_id);
    if (!ticket) return ErrorAnswer(409, "unknown ticket");
    if (ticket->used) return ErrorAnswer(409, "the ticket was used already");
    if (ticket->expires <= arrived) return ErrorAnswer(409, "the ticket has expired");
    // Text with a NUL byte is no recording, and PostgreSQL cannot keep it.
    if (replay->find('\0') != std::string::npos) return ErrorAnswer(422, "the recording holds a NUL byte");

    PlayLimits limits = settings_.play;
    limits.frames_in_time = FramesInTime(arrived - ticket->given);
    std::optional<std::future<Verdict>> pending = workers_.Submit(
        [&replay, seed = ticket->seed, limits, this] { return VerifyRecording(*replay, seed, limits, empty_folder_); });
    if (!pending) return ErrorAnswer(503, "the board has too many games to play; send it again in a minute");
    Verdict verdict = pending->get();
    if (!verdict.accepted) return ErrorAnswer(422, verdict.reason);

    NewGame game;
    game.id = RandomHex(8);
    game.name = *name;
    game.score = verdict.score;
    game.level = verdict.level;
    game.frames = verdict.frames;
    game.stored = clock();
    game.replay = std::move(*replay);
    std::optional<int> rank = store_.AddGame(game, ticket->id, game.stored);
    if (!rank) return ErrorAnswer(409, "the ticket was used already");
    return JsonAnswer(
        201,
        Json{{"id", game.id}, {"score", game.score}, {"level", game.level}, {"frames", game.frames}, {"rank", *rank}});
}

Answer Board::Scores(std::optional<std::string_view> limit_text) {
    int limit = 10;
    if (limit_text) {
        const char* end = limit_text->data() + limit_text->size();
        auto [stop, status] = std::from_chars(limit_text->data(), end, limit);
        if (status != std::errc() || stop != end || limit < 1 || limit > 100) {
            return ErrorAnswer(400, "limit must be a whole number from 1 to 100");
        }
    }
    Json scores = Json::array();
    for (const GameEntry& game : store_.TopGames(limit)) scores.push_back(EntryJson(game));
    return JsonAnswer(200, Json{{"scores", scores}});
}

Answer Board::GameEntryOf(std::string_view id) {
    std::optional<GameEntry> game = store_.FindGame(id);
    if (!game) return ErrorAnswer(404, "no such game");
    return JsonAnswer(200, EntryJson(*game));
}

Answer Board::ReplayOf(std::string_view id) {
    std::optional<std::string> replay = store_.FindReplay(id);
    if (!replay) return ErrorAnswer(404, "no such game");
    return {200, std::move(*replay), "text/plain; charset=utf-8"};
}

bool Board::WithinRate(std::string_view address, std::string_view kind, int per_minute, Millis now) {
    if (per_minute <= 0) return true;
    return store_.CountRequest(address, kind, now / kMinute) <= per_minute;
}

void Board::Tidy(Millis now) {
    Millis last = tidied_.load();
    if (now - last < kMinute || !tidied_.compare_exchange_strong(last, now)) return;
    store_.Forget(now, now / kMinute - 1);
}
