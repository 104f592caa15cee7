#include "game/session_observer.hpp"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "game/trace.hpp"
#include "platform/system/message.hpp"
#include "platform/system/write_guard.hpp"
#include "platform/video/png.hpp"

SessionObserver::~SessionObserver() {
    if (trace_) std::fclose(trace_);
}

bool SessionObserver::Open(const RunOptions& options, std::string& error) {
    screenshots_ = options.screenshots;
    if (options.trace.empty()) return true;
    trace_ = std::fopen(options.trace.c_str(), "w");
    if (!trace_) {
        error = "cannot write the trace file " + Printable(options.trace) + ": " + std::strerror(errno);
        return false;
    }
    return true;
}

void SessionObserver::FrameDrawn(Game& game) {
    if (trace_ && !trace_failed_) {
        std::string line = TraceLine(game);
        line += '\n';
        // Flushed every frame, so that a run that is killed keeps every frame it showed.
        if (std::fwrite(line.data(), 1, line.size(), trace_) != line.size() || std::fflush(trace_) != 0) {
            std::fprintf(stderr, "rezarudev: cannot write the trace file any more: %s\n", std::strerror(errno));
            trace_failed_ = true;
            failed_ = true;
        }
        written_ += line.size();
    }
    last_frame_ = game.frame;
    for (const Screenshot& screenshot : screenshots_) {
        if (screenshot.frame != game.frame) continue;
        if (!WritePng(screenshot.path, game.services.graphics.GrabBackBuffer())) {
            std::fprintf(stderr, "rezarudev: cannot write the screenshot %s\n", Printable(screenshot.path).c_str());
            failed_ = true;
        }
        std::error_code error;
        std::uintmax_t size = std::filesystem::file_size(screenshot.path, error);
        if (!error) written_ += size;
    }
    KeepWithinLimit(game);
}

bool SessionObserver::ReadsPicture(const Game& game) const {
    for (const Screenshot& screenshot : screenshots_)
        if (screenshot.frame == game.frame) return true;
    return false;
}

void SessionObserver::KeepWithinLimit(Game& game) {
    std::uint64_t limit = WriteLimit();
    std::uint64_t written = written_ + (recorder_ ? recorder_->written() : 0);
    if (limit == 0 || written <= limit || game.frame_limit_reached) return;
    std::fprintf(stderr, "rezarudev: the files of this run passed %llu MB, so it ends here\n",
                 static_cast<unsigned long long>(limit >> 20));
    failed_ = true;
    // Left as a frame limit leaves: the best score and the table are saved.
    game.frame_limit_reached = 1;
}

void SessionObserver::RunEnded() {
    for (const Screenshot& screenshot : screenshots_) {
        if (screenshot.frame <= last_frame_) continue;
        std::fprintf(stderr, "rezarudev: the screenshot %s of frame %d was never taken: the run ended at frame %d\n",
                     Printable(screenshot.path).c_str(), screenshot.frame, last_frame_);
        failed_ = true;
    }
}
