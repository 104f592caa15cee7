#pragma once

#include <optional>
#include <string>

#include "game/game_recorder.hpp"
#include "game/scores.hpp"

class Game;

// The name asked for after a game that enters the score table, in the
// title's menu place: typed, or spelled with a pad's stick.
struct NameEntry {
    // The game being entered, its place and the name so far (Latin-1).
    ScoreEntry entry;
    // The game as it was played, kept with the entry.
    std::optional<PlayedGame> played;
    int rank = -1;
    std::string name;
    // The character a pad changes; at most the name's length.
    int cursor = 0;
    int entry_frames = 0;
    // The stick's direction held and for how many frames, for repeats.
    int stick_x = 0, stick_y = 0, stick_frames = 0;
};

// The end of the game-over caption: a game that enters the table asks for a
// name from the next frame on, and its recording waits with it.
void OpenNameEntry(Game& game, std::optional<PlayedGame> played);
// One frame of typing and spelling; once the name is kept the table shows
// it in its place.
void NameEntryFrame(Game& game);
void DrawNameEntry(Game& game);
// Leaving the program while a name is asked for keeps the entry, with the
// name shown.
void FinishNameEntry(Game& game);

// The user's login name cut to a name, "Player" when there is none.
std::string DefaultPlayerName();
// The name the entry offers: the last one kept, else the user's.
std::string OfferedName(const Game& game);
