#pragma once

#include <memory>
#include <string>

#include "game/game.hpp"
#include "platform/input/input.hpp"
#include "platform/input/replay.hpp"

// A recording of one game played by the game's own code: from the state it
// started from, through "Start New Game", to its game over, with its input
// taken from the recording alone. It draws and sounds on the platform it is
// given (the running game's, the score board's null display, a test's back
// ends) but never presents a frame: whoever runs it shows its frames (a
// watch) or not (the board). Its own frames count from 0, the game's first.
// Nothing it does is ever saved.
class OneGamePlay {
public:
    // How the play came to an end.
    enum class Ending {
        kPlaying,
        kGameOver,  // the game-over caption ended and the title came back
        kQuit,      // "Quit Current Game" in the pause menu
        kNewGame,   // "Start New Game" in the pause menu: another game
        kLeft,      // the recorded run left: Esc, "Exit Rezarudev", a close
        kPastEnd,   // the frame of the recording's game over passed without one
    };

    // `platform` without its input, and the folder of the music (empty: all
    // silence). `recording` is a recording of one game that ParseRecording
    // or ReadRecording accepted.
    OneGamePlay(Services& platform, ReplayFile recording, std::string sounds_folder);
    ~OneGamePlay();
    OneGamePlay(const OneGamePlay&) = delete;
    OneGamePlay& operator=(const OneGamePlay&) = delete;

    // Either start-up's images and sound effects of its own, or those of the
    // running game, lent until this play ends (the running game draws
    // nothing meanwhile).
    void LoadAssets();
    void BorrowAssets(Game& lender);
    // "Start New Game" from the recording's start; frame 0 is next.
    void Start();

    // A frame falls in two around the flip its watcher makes, as the main
    // loop's do: drawn, then finished, with the next one begun.
    void DrawFrame();
    void FinishFrame();
    // Both, for whoever shows nothing.
    void Step();

    Game& game() { return *game_; }
    // The recording's start and end, without its events.
    const ReplayFile& recording() const { return recording_; }
    Ending ending() const { return ending_; }
    bool over() const { return ending_ != Ending::kPlaying; }
    // The frame in which the play ended, -1 while it goes on.
    int last_frame() const { return last_frame_; }

private:
    ReplayFile recording_;
    ReplaySource source_;
    Input input_{source_};
    Services services_;
    std::unique_ptr<Game> game_;
    Game* lender_ = nullptr;
    int was_over_ = 0;
    Ending ending_ = Ending::kPlaying;
    int last_frame_ = -1;
};
