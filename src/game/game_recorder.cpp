#include "game/game_recorder.hpp"

std::string PlayedGame::Text(const std::string& name) const {
    ReplayFile whole = start;
    whole.name = name;
    std::string text = FormatReplayStart(whole);
    text += events;
    text += "end ";
    text += std::to_string(end);
    text += '\n';
    return text;
}

void GameRecorder::Begin(const GameStart& start, int frame) {
    phase_ = Phase::kStarting;
    start_ = {};
    start_.one_game = true;
    start_.seed = start.state;
    start_.settings = start.settings;
    start_.state = start.carried;
    events_.clear();
    first_frame_ = frame + 1;
    too_long_ = false;
}

void GameRecorder::FirstFrame(const ControlState& controls) {
    start_.controls = controls;
    phase_ = Phase::kRecording;
}

void GameRecorder::Record(int frame, const InputEvent& event) {
    if (phase_ != Phase::kRecording || too_long_ || frame < first_frame_) return;
    std::string line = FormatReplayEvent(frame - first_frame_, event);
    if (line.empty()) return;
    // The lines before the events take far less than this margin.
    if (events_.size() + line.size() + 1 > kMaxGameRecordingBytes - 4096) {
        too_long_ = true;
        events_.clear();
        events_.shrink_to_fit();
        return;
    }
    events_ += line;
    events_ += '\n';
}

std::optional<PlayedGame> GameRecorder::Finish(int frame) {
    bool recorded = phase_ == Phase::kRecording && frame >= first_frame_;
    phase_ = Phase::kIdle;
    if (!recorded) return std::nullopt;
    PlayedGame played{std::move(start_), std::move(events_), frame - first_frame_, too_long_};
    events_.clear();
    return played;
}
