#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

#include "game/game.hpp"
#include "game/options.hpp"
#include "platform/input/replay.hpp"

// Writes the per-frame trace and saves the asked-for screenshots as each
// frame is finished.
class SessionObserver final : public FrameObserver {
public:
    SessionObserver() = default;
    ~SessionObserver() override;
    SessionObserver(const SessionObserver&) = delete;
    SessionObserver& operator=(const SessionObserver&) = delete;

    // False, with a one-line message in `error`, when the trace file cannot
    // be created.
    bool Open(const RunOptions& options, std::string& error);
    // The recording counts towards the bytes this run may write too.
    void CountRecording(const ReplayWriter* recorder) { recorder_ = recorder; }
    void FrameDrawn(Game& game) override;
    bool ReadsPicture(const Game& game) const override;
    // Names each screenshot of a frame the run never reached.
    void RunEnded();
    // True once a trace line or a screenshot could not be written, or a
    // screenshot was never taken: the run then ends with status 1.
    bool failed() const { return failed_; }

private:
    // Ends the run, as a failure, once the files it writes pass WriteLimit.
    void KeepWithinLimit(Game& game);

    std::FILE* trace_ = nullptr;
    const ReplayWriter* recorder_ = nullptr;
    std::uint64_t written_ = 0;
    bool trace_failed_ = false;
    bool failed_ = false;
    int last_frame_ = -1;
    std::vector<Screenshot> screenshots_;
};
