#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

// The keys and pad buttons the player gives each action. They are turned
// into the game's own key codes and joystick buttons as they come in, before
// anything records them, so a recording plays the same whatever the
// bindings of the machine that plays it.

// In the order the controls screen lists them and the settings file names
// them.
enum Action : int { kTurnLeft, kTurnRight, kThrust, kFire, kTrigger, kPause, kActionCount };

inline constexpr int kKeysPerAction = 2;
inline constexpr int kButtonsPerAction = 2;
// Keys are SDL scancodes: the key's place on the keyboard, whatever its label.
inline constexpr int kNoKey = 0;
inline constexpr int kNoButton = -1;

// Pad buttons as SDL's game controllers number them, with the two triggers,
// which are axes to SDL, after them.
enum PadButton : int {
    kPadA,
    kPadB,
    kPadX,
    kPadY,
    kPadBack,
    kPadGuide,
    kPadStart,
    kPadLeftStick,
    kPadRightStick,
    kPadLeftShoulder,
    kPadRightShoulder,
    kPadLeftTrigger,
    kPadRightTrigger,
    kPadButtonCount
};

// Up to two keys and two pad buttons an action, the used slots first. No key
// or button is bound to two actions.
struct Bindings {
    std::array<std::array<int, kKeysPerAction>, kActionCount> keys{};
    std::array<std::array<int, kButtonsPerAction>, kActionCount> buttons{};

    bool operator==(const Bindings&) const = default;
};

// Today's keys first, then a second set free of Ctrl, Alt and the F-keys,
// which desktops and browsers take for themselves: W thrust, A and D turn,
// K fire, L trigger, P pause. The pad: A fire, B and the left shoulder the
// trigger, Start pause, the right trigger thrust; the stick and d-pad steer.
Bindings DefaultBindings();

// "turn_left" ... "pause", as the settings file spells them.
const char* ActionName(int action);
std::optional<int> ActionOfName(std::string_view name);
// "Turn Left" ... "Pause", for the screen.
const char* ActionTitle(int action);
// The game's key code an action's keys give (37 turn left ... 32 pause).
int ActionKeyCode(int action);
// Whether a key code is one the actions give.
bool IsActionKeyCode(int code);
// The game's joystick button that the pad button in `slot` of an action
// gives: fire 0, trigger 1 or 6, pause 2, thrust 7; -1 for turning, which a
// pad button does as the d-pad does.
int ActionJoyButton(int action, int slot);

// The action a key or pad button is bound to, or -1.
int ActionOfKey(const Bindings& bindings, int key);
int ActionOfButton(const Bindings& bindings, int button);

// The key's SDL scancode name as Linux SDL spells it ("Left Ctrl", "Z",
// "Space", "Left"); empty for none.
std::string KeyName(int key);
// The key of a name, in any case; kNoKey when there is none or the key cannot
// be bound (Esc always quits, F11 always switches the display).
int KeyOfName(std::string_view name);
bool IsBindableKey(int key);
// What the key shows on the player's layout where SDL can tell ("A" for the
// key in Q's place on a French keyboard), else its name.
std::string KeyLabel(int key);
// The key that gives `code` on the controls screen, where keys come as their
// own codes by their place on the keyboard; kNoKey for none.
int KeyOfPlaceCode(int code);

// "a", "leftshoulder", "righttrigger", as SDL names them; empty for none.
std::string PadButtonName(int button);
// kNoButton when unknown, or for the Guide button, which systems keep.
int PadButtonOfName(std::string_view name);
bool IsBindableButton(int button);
// "A", "L Shoulder", "R Trigger", for the screen.
std::string PadButtonLabel(int button);

// The bindings in force in one line, for the browser page's help:
// "Left/A, Right/D: turn · Up/W: thrust · ...".
std::string ControlsHelpLine(const Bindings& bindings);
