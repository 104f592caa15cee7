#pragma once

#include <array>
#include <deque>
#include <string>
#include <utility>
#include <vector>

struct Bindings;

// One thing that happened to the keyboard, mouse, joystick or window, in the
// game's own terms: key codes are Windows virtual-key codes, mouse buttons are
// 1 left, 2 right, 3 middle, pointer positions are playfield pixels.
enum class InputEventType {
    KeyDown,
    KeyUp,
    MouseDown,
    MouseUp,
    MoveTo,  // pointer at (x, y)
    MoveBy,  // pointer moved by (x, y)
    JoyAxis,
    JoyButtonDown,
    JoyButtonUp,
    FocusLost,
    FocusGained,
    Close,
    Text,  // UTF-8 text typed, as the system delivered it
};

struct InputEvent {
    InputEventType type = InputEventType::Close;
    int code = 0;  // key code, mouse button, joystick button or axis index
    int x = 0;
    int y = 0;
    float value = 0.0f;  // joystick axis, -1 .. +1
    int port = 0;        // joystick port
    std::string text{};  // typed text

    static InputEvent Key(int code, bool down);
    static InputEvent Mouse(int button, bool down);
    static InputEvent MoveTo(int x, int y);
    static InputEvent MoveBy(int dx, int dy);
    static InputEvent JoyAxis(int axis, float value, int port = 0);
    static InputEvent JoyButton(int button, bool down, int port = 0);
    static InputEvent Focus(bool gained);
    static InputEvent Close();
    static InputEvent Text(std::string text);

    bool operator==(const InputEvent&) const = default;
};

// What keys and pad buttons stand for as they come in. Only live input
// heeds it: what it delivered is what a recording holds.
enum class ControlMode {
    // A bound key or pad button gives its action's code (Space and Left Ctrl
    // start a game because they pause and fire); an unbound key its own,
    // unless that is an action's. While text is typed, keys are themselves.
    Actions,
    // Every key gives its own code, by its place on the keyboard, so that the
    // controls screen can tell which key it was; pad buttons their actions'.
    Keys,
    // The same while a key is awaited: Esc is the game's then, not the page's.
    AwaitingKey,
    // Keys as themselves; a pad button gives its own number (PadButton).
    AwaitingButton,
};

// The controls as the game finds them at the start of a frame, before any of
// that frame's events: what a recording of one game starts from, since its
// first frame inherits them from the frame that started it. Only what
// differs from a fresh Input is listed.
struct ControlState {
    enum class Device { kKey, kMouse, kJoyButton };
    // A key or button held down, or pressed with the press not yet taken.
    struct Button {
        Device device = Device::kKey;
        int code = 0;
        int down = 0;
        int hits = 0;

        bool operator==(const Button&) const = default;
    };
    std::vector<Button> buttons;
    // Joystick port 0's axes that are not at rest.
    std::vector<std::pair<int, float>> axes;
    int pointer_x = 320;
    int pointer_y = 240;
    int suspended = 0;
    // Frames from this one on whose start a busy wait of an earlier frame has
    // already fetched (see Input).
    int skipped = 0;

    bool operator==(const ControlState&) const = default;
};

// Where events come from: the devices, a replay file, or a test script.
class InputSource {
public:
    virtual ~InputSource() = default;
    // Appends, in order, the events due at the start of this frame.
    virtual void FetchFrame(int frame, std::vector<InputEvent>& events) = 0;
    // Appends the events a busy wait inside this frame gets to see next.
    // False once no event can ever come again.
    virtual bool FetchWait(int frame, std::vector<InputEvent>& events) = 0;
    // Opens the joysticks and numbers their ports; returns how many there are.
    virtual int JoystickCount() = 0;
    virtual void SetMouseVisible(bool visible) = 0;
    // While captured, motion is relative and the system pointer cannot leave
    // the window; otherwise it moves freely and the game's pointer follows it.
    // (x, y) is where the game's pointer is, in playfield pixels.
    virtual void SetPointerCaptured(bool, int, int) {}
    // The game placed its pointer at (x, y) in playfield pixels.
    virtual void PointerPlaced(int, int) {}
    // Text events come only while text input is on; `editing` is the text
    // being typed into, as a page's own text field must start from it.
    virtual void SetTextInput(bool, const std::string&) {}
    // The keys and pad buttons of each action, and what they stand for now.
    virtual void SetBindings(const Bindings&) {}
    virtual void SetControlMode(ControlMode) {}
};

// Receives every event as it is delivered, under the frame it belongs to.
class InputRecorder {
public:
    virtual ~InputRecorder() = default;
    virtual void Record(int frame, const InputEvent& event) = 0;
};

// The polled input state the game queries.
//
// Events reach the state only at fixed points, so that a recorded session
// replays exactly: the first query of a frame (after BeginFrame) takes every
// event due at the start of that frame, and later queries in the same frame
// see no new ones. A busy wait inside a frame (waiting while suspended, or for
// joystick buttons to be let go) calls WaitPoll to get more: from the devices
// whatever has arrived, from a replay the next group of events in the file
// even if it is numbered for a later frame, since time passes while waiting
// and nothing else runs. Each group a wait receives is recorded under its own
// frame number after the current frame, and the start-of-frame fetch is
// skipped for the frames a wait has numbered this way, so the group stays
// separate from everything else both when recording and when replaying.
// A wait must stop only on a change that events bring (never right after a
// poll that found nothing), because a replay answers each poll with the next
// recorded group.
class Input {
public:
    static constexpr int kWidth = 640;
    static constexpr int kHeight = 480;
    static constexpr int kKeys = 256;
    static constexpr int kMouseButtons = 4;
    static constexpr int kJoyPorts = 16;
    static constexpr int kJoyButtons = 16;
    static constexpr int kJoyAxes = 16;

    explicit Input(InputSource& source);

    // Every recorder added gets every event; removing one not added does nothing.
    void AddRecorder(InputRecorder* recorder);
    void RemoveRecorder(InputRecorder* recorder);
    // Called after every paced page flip; frames count from 0.
    void BeginFrame(int frame);
    // Fetches more events within the current frame, for busy waits. False
    // once the source can deliver nothing more, so a wait must give up.
    bool WaitPoll();

    int KeyDown(int key);
    int KeyHits(int key);
    void FlushKeyboard();

    int MouseX();
    int MouseY();
    int MouseDown(int button);
    int MouseHits(int button);
    void FlushMouse();
    // Places the pointer; this is not an input event and is never recorded.
    void MoveMouse(int x, int y);
    void SetMouseVisible(bool visible);
    // Asked once a frame by the game: captured only while a game is played.
    void SetPointerCaptured(bool captured);

    int IsSuspended();
    int TerminateRequested();
    // Whether a close request waits to be taken by TerminateRequested; the
    // busy waits and the splash give way to it without taking it.
    bool ClosePending();

    int JoystickCount();
    int JoyButtonDown(int button, int port);
    int JoyButtonHits(int button, int port);
    float JoyAxisX(int port);
    float JoyAxisY(int port);

    // The text typed since the frame began, Backspace and Enter presses in
    // it as '\b' and '\r', in the order they came; taking it empties it.
    std::string TakeTyped();
    void SetTextInput(bool on, const std::string& editing = {}) { source_.SetTextInput(on, editing); }
    void SetBindings(const Bindings& bindings) { source_.SetBindings(bindings); }
    // Asked once a frame by the game, and as soon as a screen changes it.
    void SetControlMode(ControlMode mode);
    // Counts the presses, pointer moves, full stick deflections and typing
    // delivered so far, for telling when the player last did anything.
    int Activity();

    int frame() const { return frame_; }

    // Between BeginFrame and the frame's first query: the controls as the
    // frame finds them, and the same made so (a recording of one game
    // starting).
    ControlState Controls() const;
    void SetControls(const ControlState& controls);

private:
    struct JoyPort {
        std::array<int, kJoyButtons> down{};
        std::array<int, kJoyButtons> hits{};
        std::array<float, kJoyAxes> axes{};
    };

    void Fetch();
    void Deliver(int record_frame);
    void Apply(InputEvent& event);
    void ClearKeyboard();
    void ClearMouse();
    JoyPort* Port(int port);

    InputSource& source_;
    std::vector<InputRecorder*> recorders_;
    std::vector<InputEvent> batch_;
    int frame_ = 0;
    bool fetched_ = false;
    // The last frame number given to a group fetched by a busy wait.
    int wait_frame_ = -1;

    std::array<int, kKeys> key_down_{};
    std::array<int, kKeys> key_hits_{};
    std::array<int, kMouseButtons> mouse_down_{};
    std::array<int, kMouseButtons> mouse_hits_{};
    int mouse_x_ = 0;
    int mouse_y_ = 0;
    int suspended_ = 0;
    int terminate_ = 0;
    bool pointer_captured_ = false;
    ControlMode control_mode_ = ControlMode::Actions;
    std::string typed_;
    int activity_ = 0;
    std::array<JoyPort, kJoyPorts> ports_{};
};

// Returns once joystick buttons 0, 1, 2, 6 and 7 of port 0 are up and their
// presses are used up, fetching events as it waits. A close request ends the
// wait early, so that nothing held can keep the program from closing.
void WaitJoyRelease(Input& input);
// FlushKeyboard, FlushMouse, then WaitJoyRelease.
void FlushInput(Input& input);
// Returns once the application is active again, or a close request came.
void WaitWhileSuspended(Input& input);
