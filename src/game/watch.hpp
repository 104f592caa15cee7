#pragma once

#include <string>

#include "game/one_game_play.hpp"

class Game;

// A recording of one game watched in the frames of the running game: an
// entry of the table chosen on the title, --watch and a recording given to
// --replay, and in the browser a recording the page opened or fetched. The
// watched game draws, sounds and is traced (with `watching`) in the running
// game's place, with a small "REPLAY" caption and its player's name, until
// its game-over caption ends or the player presses any key, button or mouse
// button; the running game then goes on where it was.
class Watch {
public:
    // `name` for the caption, Latin-1; `ends_run`: the run ends with the
    // watch (--watch, --replay).
    Watch(Game& host, ReplayFile recording, std::string name, bool ends_run);
    ~Watch();
    // Takes the running game's images and starts the watched game: at the
    // start of a frame, after the running game's last drawing with them.
    void Begin();
    Watch(const Watch&) = delete;
    Watch& operator=(const Watch&) = delete;

    Game& game() { return play_.game(); }
    OneGamePlay& play() { return play_; }
    const std::string& name() const { return name_; }
    bool ends_run() const { return ends_run_; }

private:
    Game& host_;
    OneGamePlay play_;
    std::string name_;
    bool ends_run_;
    bool host_music_ = false;
};

// Starts watching from the host's next frame on.
void StartWatching(Game& host, ReplayFile recording, std::string name, bool ends_run);
// A recording file the player gave (the page's "Open replay"), watched as
// StartWatching does; one line when it cannot be.
bool WatchFile(Game& host, const std::string& path);
// Entry `index` of the table, when it can be watched; one line when it cannot.
bool WatchEntry(Game& host, int index);
// One frame of the main loop while a recording is watched; false once the
// loop is to be left.
bool WatchFrame(Game& host);
