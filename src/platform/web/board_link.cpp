#include "platform/system/board_link.hpp"

#include <emscripten.h>

#include <cstdlib>

namespace {

// web/board.js keeps the ticket and sends the games, through the page's own
// origin; it hands over "SEED ID", or nothing.
EM_JS(char*, TakePageTicket, (), {
    var board = window.rezarudevBoard;
    var ticket = board ? board.takeTicket() : null;
    return ticket ? stringToNewUTF8(ticket.seed + " " + ticket.ticket) : 0;
});

EM_JS(void, SendPageGame, (const char* ticket, const char* name, const char* recording), {
    if (window.rezarudevBoard)
        window.rezarudevBoard.sendGame(UTF8ToString(ticket), UTF8ToString(name), UTF8ToString(recording));
});

class PageBoardLink final : public BoardLink {
public:
    std::optional<BoardTicket> TakeTicket() override {
        char* taken = TakePageTicket();
        if (!taken) return std::nullopt;
        char* id = nullptr;
        long seed = std::strtol(taken, &id, 10);
        std::optional<BoardTicket> ticket;
        if (seed >= 1 && seed <= 0x7ffffffe && *id == ' ') ticket = BoardTicket{id + 1, static_cast<int>(seed)};
        std::free(taken);
        return ticket;
    }

    void SendGame(const BoardTicket& ticket, const std::string& name, std::string recording) override {
        SendPageGame(ticket.id.c_str(), name.c_str(), recording.c_str());
    }
};

}  // namespace

// The page finds out for itself whether its origin is a board.
std::unique_ptr<BoardLink> OpenBoardLink(const std::string&) { return std::make_unique<PageBoardLink>(); }
