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
    board.finished.reset();
    if (board.playing && played && !played->too_long) board.finished = WorldBoard::Finished{*board.playing, *played};
    board.playing.reset();
}

void BoardNameKept(Game& game, const std::string& name) {
    WorldBoard& board = game.world_board;
    if (board.finished && game.run.board) {
        std::string utf8 = ToUtf8(name);
        game.run.board->SendGame(board.finished->ticket, utf8, board.finished->played.Text(utf8));
    }
    board.finished.reset();
}
