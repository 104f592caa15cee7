#pragma once

#include <optional>
#include <string>

#include "game/game_recorder.hpp"
#include "platform/system/board_link.hpp"

class Game;

// The world's table, as the game takes part in it. A game started while a
// ticket of the board is at hand starts from the ticket's generator state
// instead of where the generator happens to be, so that its recording of
// one game starts from the ticket's state; at its game over that recording
// goes to the board with the name the player gives, or the name the table
// would offer when the score does not enter the table here. A game started
// with no ticket at hand is played as ever and stays here.
// The run's way to the board is `run.board`.
struct WorldBoard {
    // The ticket the game being played started from.
    std::optional<BoardTicket> playing;
    // A game over on a ticket, waiting for its player's name.
    struct Finished {
        BoardTicket ticket;
        PlayedGame played;
    };
    std::optional<Finished> finished;
};

// "Start New Game", before the game's first random number.
void BoardGameStarts(Game& game);
// The game over, with the game as it was played.
void BoardGameOver(Game& game, const std::optional<PlayedGame>& played);
// The name is settled: the one typed at the name entry, or the one offered
// when there was none.
void BoardNameKept(Game& game, const std::string& name);
