#pragma once

#include <deque>
#include <vector>

#include "platform/input/bindings.hpp"
#include "platform/input/input.hpp"

// A source for tests: events added with Add arrive at the next fetch of
// either kind; each batch added with AddForWait arrives at one busy-wait fetch.
class ScriptedInputSource final : public InputSource {
public:
    void Add(const InputEvent& event) { pending_.push_back(event); }
    void AddForWait(std::vector<InputEvent> batch) { wait_batches_.push_back(std::move(batch)); }
    void SetJoystickCount(int count) { joysticks_ = count; }

    void FetchFrame(int, std::vector<InputEvent>& events) override {
        ++frame_fetches_;
        events.insert(events.end(), pending_.begin(), pending_.end());
        pending_.clear();
    }
    bool FetchWait(int, std::vector<InputEvent>& events) override {
        ++wait_fetches_;
        events.insert(events.end(), pending_.begin(), pending_.end());
        pending_.clear();
        if (!wait_batches_.empty()) {
            events.insert(events.end(), wait_batches_.front().begin(), wait_batches_.front().end());
            wait_batches_.pop_front();
        }
        return !wait_batches_.empty();
    }
    int JoystickCount() override { return joysticks_; }
    void SetMouseVisible(bool visible) override { mouse_visible_ = visible; }
    void SetPointerCaptured(bool captured, int, int) override { pointer_captured_ = captured; }
    void SetBindings(const Bindings& bindings) override { bindings_ = bindings; }
    void SetControlMode(ControlMode mode) override { control_mode_ = mode; }

    bool mouse_visible() const { return mouse_visible_; }
    bool pointer_captured() const { return pointer_captured_; }
    const Bindings& bindings() const { return bindings_; }
    ControlMode control_mode() const { return control_mode_; }
    int frame_fetches() const { return frame_fetches_; }
    int wait_fetches() const { return wait_fetches_; }

private:
    std::vector<InputEvent> pending_;
    std::deque<std::vector<InputEvent>> wait_batches_;
    int joysticks_ = 0;
    bool mouse_visible_ = true;
    bool pointer_captured_ = false;
    Bindings bindings_ = DefaultBindings();
    ControlMode control_mode_ = ControlMode::Actions;
    int frame_fetches_ = 0;
    int wait_fetches_ = 0;
};
