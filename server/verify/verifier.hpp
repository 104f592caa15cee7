#pragma once

#include <chrono>
#include <string>
#include <string_view>

// How far the board plays one recording before it gives up on it.
struct PlayLimits {
    // The most frames any game may take: two hours of play.
    int max_frames = 2 * 60 * 60 * 60;
    // The frames that fit, at 60 a second less 5 %, into the time between
    // the ticket and the game's arrival: a game cannot be played faster than
    // in real time, so one that needs more is refused without playing them.
    int frames_in_time = 2 * 60 * 60 * 60;
    // Processor time for one recording, however cheap or dear its frames.
    std::chrono::milliseconds cpu{60'000};
};

// What the board's own play of a recording came to. Refused recordings say
// why in one line.
struct Verdict {
    bool accepted = false;
    int score = 0;
    int level = 0;
    // Frames from frame 0 to the first game's game over, both counted.
    int frames = 0;
    std::string reason;
};

// The frames that `elapsed_ms` of play can hold: at 60 a second with 5 %
// to spare.
int FramesInTime(long long elapsed_ms);

// Plays a recording with the game's own code and scores its first game.
// `ticket_seed` is where the ticket says the game starts; `empty_folder` is a
// folder that holds nothing and is never written (the player's data folder
// of a fresh install). Safe to call from several threads at once.
//
// The game over of a game is the frame in which its game-over caption ends
// and the title returns: that is when the desktop game offers the score to
// its own table, and the score may still grow during the caption (a mine or
// a rocket still flying, a level completed behind it).
Verdict VerifyRecording(std::string_view text, int ticket_seed, const PlayLimits& limits,
                        const std::string& empty_folder);
