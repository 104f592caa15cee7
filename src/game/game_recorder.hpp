#pragma once

#include <optional>
#include <string>

#include "game/game_start.hpp"
#include "platform/input/input.hpp"
#include "platform/input/replay.hpp"

// A game as it was played: the recording of one game, complete up to its
// game over, without the player's name, which comes after.
struct PlayedGame {
    // What the game started from (no events: they are in `events`).
    ReplayFile start;
    // Its event lines, frames counted from the game's first frame.
    std::string events;
    int end = 0;
    // Its lines passed the limit of a recording, so there are none.
    bool too_long = false;

    // The whole recording, with the name the player gave.
    std::string Text(const std::string& name) const;
};

// Records the game being played as it is played, as the lines of a recording
// of one game kept in memory, until its game over decides whether it goes
// with the table. A few kilobytes a minute of play; a game whose lines pass
// the limit of a recording is no longer recorded.
class GameRecorder final : public InputRecorder {
public:
    // "Start New Game" during frame `frame`: the game starts from `start`,
    // and its first frame is the next one. What was recorded before goes.
    void Begin(const GameStart& start, int frame);
    // Whether the game's first frame has yet to begin.
    bool starting() const { return phase_ == Phase::kStarting; }
    // The game's first frame begins, before its first input query, finding
    // the controls as they are.
    void FirstFrame(const ControlState& controls);
    void Record(int frame, const InputEvent& event) override;
    // The game over, in frame `frame`: the game as played, unless no game
    // was being recorded. Nothing more is recorded until the next Begin.
    std::optional<PlayedGame> Finish(int frame);

private:
    enum class Phase { kIdle, kStarting, kRecording };

    Phase phase_ = Phase::kIdle;
    ReplayFile start_;
    std::string events_;
    int first_frame_ = 0;
    bool too_long_ = false;
};
