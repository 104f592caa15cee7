#pragma once

#include <string>
#include <vector>

#include "game/scores.hpp"

class Game;

// What the title screen shows in the menu's place.
enum class TitleView { Menu, NameEntry, Table };

// The score table and the two screens that show it: the name entry after a
// game that enters the table, and the table itself on the title.
struct ScoreScreens {
    // Left alone this long, the title shows the table this long.
    int idle_limit = 15 * 60;
    int table_limit = 10 * 60;

    ScoreTable table;
    std::string path;
    // The entries of this run that are not in the file yet: every save puts
    // them into what the file holds then.
    std::vector<ScoreEntry> unsaved;

    TitleView view = TitleView::Menu;
    // The game being entered, its place and the name so far (Latin-1).
    ScoreEntry entry;
    int rank = -1;
    std::string name;
    // The character a pad changes; at most the name's length.
    int cursor = 0;
    int entry_frames = 0;
    // The stick's direction held and for how many frames, for repeats.
    int stick_x = 0, stick_y = 0, stick_frames = 0;

    // The entry just made, shown highlighted until the player does anything.
    int highlight = -1;
    int idle_frames = 0;
    int table_frames = 0;
    int seen_activity = -1;
    int last_title_frame = -2;
};

// Start-up: reads the table beside the best score.
void LoadScoreTable(Game& game);
// The end of the game-over caption: a game that enters the table asks for a
// name from the next frame on.
void OpenNameEntry(Game& game);
// One title frame: true when the name entry or the table took the frame, so
// the menu and its shortcuts are not run.
bool RunScoreScreens(Game& game);
// Leaving the program while a name is asked for keeps the entry, with the
// name shown.
void FinishNameEntry(Game& game);
// Writes the table merged with what the file holds now: the file is read
// again and this run's entries that are not in it yet are put in (another
// game may have added its own meanwhile); the result is the table shown. A
// failure is said on one line and marks the run as failed.
void SaveScoreTable(Game& game);
// Takes in what other games saved meanwhile (another tab of the page): the
// best score and the table as they are stored now.
void ReadOthersSaves(Game& game);

// The user's login name cut to a name, "Player" when there is none.
std::string DefaultPlayerName();
// Today, YYYY-MM-DD, local time.
std::string Today();
