#include "platform/input/input.hpp"

#include <algorithm>
#include <utility>

InputEvent InputEvent::Key(int code, bool down) {
    return {down ? InputEventType::KeyDown : InputEventType::KeyUp, code};
}

InputEvent InputEvent::Mouse(int button, bool down) {
    return {down ? InputEventType::MouseDown : InputEventType::MouseUp, button};
}

InputEvent InputEvent::MoveTo(int x, int y) { return {InputEventType::MoveTo, 0, x, y}; }

InputEvent InputEvent::MoveBy(int dx, int dy) { return {InputEventType::MoveBy, 0, dx, dy}; }

InputEvent InputEvent::JoyAxis(int axis, float value, int port) {
    return {InputEventType::JoyAxis, axis, 0, 0, value, port};
}

InputEvent InputEvent::JoyButton(int button, bool down, int port) {
    return {down ? InputEventType::JoyButtonDown : InputEventType::JoyButtonUp, button, 0, 0, 0.0f, port};
}

InputEvent InputEvent::Focus(bool gained) { return {gained ? InputEventType::FocusGained : InputEventType::FocusLost}; }

InputEvent InputEvent::Close() { return {InputEventType::Close}; }

InputEvent InputEvent::Text(std::string text) {
    InputEvent event{InputEventType::Text};
    event.text = std::move(text);
    return event;
}

namespace {

bool IsJoystickEvent(const InputEvent& event) {
    return event.type == InputEventType::JoyAxis || event.type == InputEventType::JoyButtonDown ||
           event.type == InputEventType::JoyButtonUp;
}

// Records only hold joystick port 0, the one the game reads.
bool IsRecorded(const InputEvent& event) { return !IsJoystickEvent(event) || event.port == 0; }

// Sets a held flag and counts a press only when it was up before, so a held
// control gives one hit however long it is held.
void Press(int& down, int& hits) {
    if (down == 0) {
        down = 1;
        hits += 1;
    }
}

int TakeHits(int& hits) {
    int count = hits;
    hits = 0;
    return count;
}

}  // namespace

Input::Input(InputSource& source) : source_(source), mouse_x_(kWidth / 2), mouse_y_(kHeight / 2) {}

void Input::BeginFrame(int frame) {
    frame_ = frame;
    fetched_ = false;
}

void Input::Fetch() {
    if (fetched_) return;
    fetched_ = true;
    // Frames numbered by an earlier busy wait get nothing at their start: on
    // replay that group was already taken by the wait.
    if (frame_ <= wait_frame_) return;
    typed_.clear();
    batch_.clear();
    source_.FetchFrame(frame_, batch_);
    Deliver(frame_);
}

bool Input::WaitPoll() {
    Fetch();
    batch_.clear();
    bool more = source_.FetchWait(frame_, batch_);
    if (std::any_of(batch_.begin(), batch_.end(), IsRecorded)) wait_frame_ = std::max(frame_, wait_frame_) + 1;
    Deliver(wait_frame_);
    return more || !batch_.empty();
}

void Input::Deliver(int record_frame) {
    for (InputEvent& event : batch_) {
        Apply(event);
        if (!IsRecorded(event)) continue;
        for (InputRecorder* recorder : recorders_) recorder->Record(record_frame, event);
    }
}

void Input::AddRecorder(InputRecorder* recorder) { recorders_.push_back(recorder); }

void Input::RemoveRecorder(InputRecorder* recorder) {
    recorders_.erase(std::remove(recorders_.begin(), recorders_.end(), recorder), recorders_.end());
}

ControlState Input::Controls() const {
    ControlState controls;
    using Device = ControlState::Device;
    auto list = [&controls](Device device, int code, int down, int hits) {
        if (down != 0 || hits != 0) controls.buttons.push_back({device, code, down, hits});
    };
    for (int key = 0; key < kKeys; ++key) list(Device::kKey, key, key_down_[key], key_hits_[key]);
    for (int button = 1; button < kMouseButtons; ++button)
        list(Device::kMouse, button, mouse_down_[button], mouse_hits_[button]);
    const JoyPort& joy = ports_[0];
    for (int button = 0; button < kJoyButtons; ++button)
        list(Device::kJoyButton, button, joy.down[button], joy.hits[button]);
    for (int axis = 0; axis < kJoyAxes; ++axis)
        if (joy.axes[axis] != 0.0f) controls.axes.emplace_back(axis, joy.axes[axis]);
    controls.pointer_x = mouse_x_;
    controls.pointer_y = mouse_y_;
    controls.suspended = suspended_;
    controls.skipped = std::max(0, wait_frame_ - frame_ + 1);
    return controls;
}

void Input::SetControls(const ControlState& controls) {
    ClearKeyboard();
    ClearMouse();
    ports_.fill({});
    using Device = ControlState::Device;
    for (const ControlState::Button& button : controls.buttons) {
        int code = button.code;
        if (button.device == Device::kKey && code >= 0 && code < kKeys) {
            key_down_[code] = button.down;
            key_hits_[code] = button.hits;
        } else if (button.device == Device::kMouse && code >= 1 && code < kMouseButtons) {
            mouse_down_[code] = button.down;
            mouse_hits_[code] = button.hits;
        } else if (button.device == Device::kJoyButton && code >= 0 && code < kJoyButtons) {
            ports_[0].down[code] = button.down;
            ports_[0].hits[code] = button.hits;
        }
    }
    for (const auto& [axis, value] : controls.axes)
        if (axis >= 0 && axis < kJoyAxes) ports_[0].axes[axis] = value;
    mouse_x_ = std::clamp(controls.pointer_x, 0, kWidth - 1);
    mouse_y_ = std::clamp(controls.pointer_y, 0, kHeight - 1);
    suspended_ = controls.suspended;
    terminate_ = 0;
    wait_frame_ = frame_ + controls.skipped - 1;
    fetched_ = false;
}

// Relative motion is turned into the absolute position it led to, so that a
// record holds what the game saw.
void Input::Apply(InputEvent& event) {
    switch (event.type) {
    case InputEventType::KeyDown:
        if (event.code >= 0 && event.code < kKeys) Press(key_down_[event.code], key_hits_[event.code]);
        if (event.code == 8) typed_ += '\b';
        if (event.code == 13) typed_ += '\r';
        ++activity_;
        break;
    case InputEventType::KeyUp:
        if (event.code >= 0 && event.code < kKeys) key_down_[event.code] = 0;
        break;
    case InputEventType::MouseDown:
        if (event.code >= 1 && event.code < kMouseButtons) Press(mouse_down_[event.code], mouse_hits_[event.code]);
        ++activity_;
        break;
    case InputEventType::MouseUp:
        if (event.code >= 1 && event.code < kMouseButtons) mouse_down_[event.code] = 0;
        break;
    case InputEventType::MoveBy:
        event = InputEvent::MoveTo(mouse_x_ + event.x, mouse_y_ + event.y);
        [[fallthrough]];
    case InputEventType::MoveTo:
        if (std::clamp(event.x, 0, kWidth - 1) != mouse_x_ || std::clamp(event.y, 0, kHeight - 1) != mouse_y_)
            ++activity_;
        mouse_x_ = std::clamp(event.x, 0, kWidth - 1);
        mouse_y_ = std::clamp(event.y, 0, kHeight - 1);
        event.x = mouse_x_;
        event.y = mouse_y_;
        break;
    case InputEventType::JoyAxis:
        if (JoyPort* port = Port(event.port); port != nullptr && event.code >= 0 && event.code < kJoyAxes) {
            port->axes[event.code] = event.value;
            if (event.value == 1.0f || event.value == -1.0f) ++activity_;
        }
        break;
    case InputEventType::JoyButtonDown:
        if (JoyPort* port = Port(event.port); port != nullptr && event.code >= 0 && event.code < kJoyButtons) {
            Press(port->down[event.code], port->hits[event.code]);
            ++activity_;
        }
        break;
    case InputEventType::JoyButtonUp:
        if (JoyPort* port = Port(event.port); port != nullptr && event.code >= 0 && event.code < kJoyButtons) {
            port->down[event.code] = 0;
        }
        break;
    case InputEventType::FocusLost:
    case InputEventType::FocusGained:
        // Keys let go while another window had the focus would otherwise
        // stay held for ever.
        ClearKeyboard();
        ClearMouse();
        suspended_ = event.type == InputEventType::FocusLost ? 1 : 0;
        break;
    case InputEventType::Close:
        terminate_ = 1;
        break;
    case InputEventType::Text:
        typed_ += event.text;
        ++activity_;
        break;
    }
}

void Input::ClearKeyboard() {
    key_down_.fill(0);
    key_hits_.fill(0);
    typed_.clear();
}

void Input::ClearMouse() {
    mouse_down_.fill(0);
    mouse_hits_.fill(0);
}

Input::JoyPort* Input::Port(int port) {
    if (port < 0 || port >= kJoyPorts) return nullptr;
    return &ports_[port];
}

int Input::KeyDown(int key) {
    Fetch();
    if (key < 0 || key >= kKeys) return 0;
    return key_down_[key];
}

int Input::KeyHits(int key) {
    Fetch();
    if (key < 0 || key >= kKeys) return 0;
    return TakeHits(key_hits_[key]);
}

void Input::FlushKeyboard() {
    Fetch();
    ClearKeyboard();
}

int Input::MouseX() {
    Fetch();
    return mouse_x_;
}

int Input::MouseY() {
    Fetch();
    return mouse_y_;
}

int Input::MouseDown(int button) {
    Fetch();
    if (button < 1 || button >= kMouseButtons) return 0;
    return mouse_down_[button];
}

int Input::MouseHits(int button) {
    Fetch();
    if (button < 1 || button >= kMouseButtons) return 0;
    return TakeHits(mouse_hits_[button]);
}

void Input::FlushMouse() {
    Fetch();
    ClearMouse();
}

// The frame's events come first, so a move event of this frame never
// overrides the game's own placement.
void Input::MoveMouse(int x, int y) {
    Fetch();
    mouse_x_ = std::clamp(x, 0, kWidth - 1);
    mouse_y_ = std::clamp(y, 0, kHeight - 1);
    source_.PointerPlaced(mouse_x_, mouse_y_);
}

void Input::SetMouseVisible(bool visible) { source_.SetMouseVisible(visible); }

void Input::SetPointerCaptured(bool captured) {
    if (captured == pointer_captured_) return;
    pointer_captured_ = captured;
    source_.SetPointerCaptured(captured, mouse_x_, mouse_y_);
}

void Input::SetControlMode(ControlMode mode) {
    if (mode == control_mode_) return;
    control_mode_ = mode;
    source_.SetControlMode(mode);
}

int Input::IsSuspended() {
    Fetch();
    return suspended_;
}

int Input::TerminateRequested() {
    Fetch();
    int requested = terminate_;
    terminate_ = 0;
    return requested;
}

bool Input::ClosePending() {
    Fetch();
    return terminate_ != 0;
}

std::string Input::TakeTyped() {
    Fetch();
    std::string typed = std::move(typed_);
    typed_.clear();
    return typed;
}

int Input::Activity() {
    Fetch();
    return activity_;
}

int Input::JoystickCount() { return source_.JoystickCount(); }

int Input::JoyButtonDown(int button, int port) {
    Fetch();
    JoyPort* joy = Port(port);
    if (joy == nullptr || button < 0 || button >= kJoyButtons) return 0;
    return joy->down[button];
}

int Input::JoyButtonHits(int button, int port) {
    Fetch();
    JoyPort* joy = Port(port);
    if (joy == nullptr || button < 0 || button >= kJoyButtons) return 0;
    return TakeHits(joy->hits[button]);
}

float Input::JoyAxisX(int port) {
    Fetch();
    JoyPort* joy = Port(port);
    return joy == nullptr ? 0.0f : joy->axes[0];
}

float Input::JoyAxisY(int port) {
    Fetch();
    JoyPort* joy = Port(port);
    return joy == nullptr ? 0.0f : joy->axes[1];
}

// Waits only while a button is held: a poll that finds nothing must never be
// the one that ends a wait, since a replay answers every poll with the next
// recorded group. So the presses are taken after the release, without
// polling again.
void WaitJoyRelease(Input& input) {
    for (int button : {0, 1, 2, 6, 7}) {
        while (input.JoyButtonDown(button, 0) != 0 && !input.ClosePending()) {
            // A replay that ends with the button held must not hang the game.
            if (!input.WaitPoll()) break;
        }
        input.JoyButtonHits(button, 0);
    }
}

void FlushInput(Input& input) {
    input.FlushKeyboard();
    input.FlushMouse();
    WaitJoyRelease(input);
}

void WaitWhileSuspended(Input& input) {
    while (input.IsSuspended() != 0 && !input.ClosePending()) {
        if (!input.WaitPoll()) break;
    }
}
