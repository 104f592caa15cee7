#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>

// A ticket of the score board: a game started from its generator state
// `seed` may be sent to the board under its id.
struct BoardTicket {
    std::string id;
    int seed = 0;
};

// The way to a score board. It keeps a ticket at hand for the next game,
// asking for another whenever one is taken or has grown old, and sends the
// games it is given, all in the background: nothing here ever waits for the
// network. What the board answers goes to the player outside the game's
// picture (standard output and error on the desktop, the page beside the
// picture in the browser); a board that does not answer is said once.
class BoardLink {
public:
    virtual ~BoardLink() = default;

    // The ticket at hand, if one has come and is fresh enough to start a game
    // on; the next one is asked for at once.
    virtual std::optional<BoardTicket> TakeTicket() = 0;
    // A game played from `ticket`'s state to its game over, as its recording
    // of one game, under the player's name.
    virtual void SendGame(const BoardTicket& ticket, const std::string& name, std::string recording) = 0;
};

// Tickets older than this are not used: the board keeps them two hours.
inline constexpr int kTicketFreshMinutes = 60;

// An address a board may have: http:// or https://, then printable ASCII
// with no blanks.
inline bool IsBoardUrl(std::string_view url) {
    std::size_t scheme = url.starts_with("http://") ? 7 : url.starts_with("https://") ? 8 : 0;
    if (scheme == 0 || url.size() == scheme || url.size() > 2000) return false;
    for (char c : url)
        if (c <= ' ' || c > '~') return false;
    return true;
}

// The board at `url` on the desktop (empty: none); in the browser the page's
// own origin, when the page is served by a board, whatever `url` says.
std::unique_ptr<BoardLink> OpenBoardLink(const std::string& url);
