#include "platform/input/close_signals.hpp"

#include <csignal>

#include <signal.h>

#include "platform/input/input_platform.hpp"

namespace {

// A signal handler can reach nothing but a flag of this type, so this one
// piece of state has to live outside any object.
volatile std::sig_atomic_t close_signalled = 0;

extern "C" void SignalClose(int) { close_signalled = 1; }

void TakeSignal(std::vector<InputEvent>& events) {
    if (PageAsksToClose()) close_signalled = 1;
    if (close_signalled != 0) {
        close_signalled = 0;
        events.push_back(InputEvent::Close());
    }
}

}  // namespace

struct CloseOnSignalSource::SavedHandlers {
    struct sigaction interrupt {};
    struct sigaction terminate {};
};

CloseOnSignalSource::CloseOnSignalSource(InputSource& inner)
    : inner_(inner), saved_(std::make_unique<SavedHandlers>()) {
    close_signalled = 0;
    struct sigaction action {};
    action.sa_handler = SignalClose;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, &saved_->interrupt);
    sigaction(SIGTERM, &action, &saved_->terminate);
}

CloseOnSignalSource::~CloseOnSignalSource() {
    sigaction(SIGINT, &saved_->interrupt, nullptr);
    sigaction(SIGTERM, &saved_->terminate, nullptr);
}

void CloseOnSignalSource::FetchFrame(int frame, std::vector<InputEvent>& events) {
    inner_.FetchFrame(frame, events);
    TakeSignal(events);
}

bool CloseOnSignalSource::FetchWait(int frame, std::vector<InputEvent>& events) {
    bool more = inner_.FetchWait(frame, events);
    TakeSignal(events);
    return more;
}
