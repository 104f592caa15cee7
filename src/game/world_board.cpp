#include "game/world_board.hpp"

#include "game/game.hpp"

void BoardGameStarts(Game& game) {
    WorldBoard& board = game.world_board;
    board.playing.reset();
    if (!game.run.board) return;
    board.playing = game.run.board->TakeTicket();
    if (board.playing) game.random.SeedRandom(board.playing->seed);
}

void BoardGameOver(Game& game, const std::optional<PlayedGame>& played) {
    WorldBoard& board = game.world_board;
    board.finished_ticket.reset();
    board.finished.reset();
    if (board.playing && played && !played->too_long) {
        board.finished_ticket = std::move(board.playing);
        board.finished = played;
    }
    board.playing.reset();
}

void BoardNameKept(Game& game, const std::string& name) {
    WorldBoard& board = game.world_board;
    if (board.finished && game.run.board)
        game.run.board->SendGame(*board.finished_ticket, ToUtf8(name), board.finished->Text(ToUtf8(name)));
    board.finished_ticket.reset();
    board.finished.reset();
}
