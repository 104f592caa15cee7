#include "platform/input/bindings.hpp"

#include <SDL.h>

#include <algorithm>
#include <cctype>

#include "platform/input/input_sdl.hpp"

static_assert(int{kPadA} == int{SDL_CONTROLLER_BUTTON_A} && int{kPadGuide} == int{SDL_CONTROLLER_BUTTON_GUIDE} &&
                  int{kPadRightShoulder} == int{SDL_CONTROLLER_BUTTON_RIGHTSHOULDER},
              "pad buttons are numbered as SDL numbers them");

namespace {

const char* const kActionNames[kActionCount] = {"turn_left", "turn_right", "thrust", "fire", "trigger", "pause"};
const char* const kActionTitles[kActionCount] = {"Turn Left", "Turn Right", "Thrust", "Fire", "Power-Up", "Pause"};
// Windows virtual-key numbering, as everywhere in the game.
constexpr int kActionCodes[kActionCount] = {37, 39, 38, 162, 164, 32};

const char* const kPadNames[kPadButtonCount] = {
    "a",         "b",          "x",          "y",           "back",         "guide",       "start",
    "leftstick", "rightstick", "leftshoulder", "rightshoulder", "lefttrigger", "righttrigger"};
const char* const kPadLabels[kPadButtonCount] = {
    "A",       "B",       "X",          "Y",          "Back",      "Guide",    "Start",
    "L Stick", "R Stick", "L Shoulder", "R Shoulder", "L Trigger", "R Trigger"};

bool SameWord(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

// The slots of one action as its label on the page: "Left Ctrl/K".
template <std::size_t N, typename Label>
std::string Joined(const std::array<int, N>& slots, int none, Label label) {
    std::string text;
    for (int slot : slots) {
        if (slot == none) continue;
        if (!text.empty()) text += '/';
        text += label(slot);
    }
    return text;
}

}  // namespace

Bindings DefaultBindings() {
    Bindings bindings;
    bindings.keys[kTurnLeft] = {SDL_SCANCODE_LEFT, SDL_SCANCODE_A};
    bindings.keys[kTurnRight] = {SDL_SCANCODE_RIGHT, SDL_SCANCODE_D};
    bindings.keys[kThrust] = {SDL_SCANCODE_UP, SDL_SCANCODE_W};
    bindings.keys[kFire] = {SDL_SCANCODE_LCTRL, SDL_SCANCODE_K};
    bindings.keys[kTrigger] = {SDL_SCANCODE_LALT, SDL_SCANCODE_L};
    bindings.keys[kPause] = {SDL_SCANCODE_SPACE, SDL_SCANCODE_P};
    bindings.buttons[kTurnLeft] = {kNoButton, kNoButton};
    bindings.buttons[kTurnRight] = {kNoButton, kNoButton};
    bindings.buttons[kThrust] = {kPadRightTrigger, kNoButton};
    bindings.buttons[kFire] = {kPadA, kNoButton};
    bindings.buttons[kTrigger] = {kPadB, kPadLeftShoulder};
    bindings.buttons[kPause] = {kPadStart, kNoButton};
    return bindings;
}

const char* ActionName(int action) { return action >= 0 && action < kActionCount ? kActionNames[action] : ""; }

std::optional<int> ActionOfName(std::string_view name) {
    for (int action = 0; action < kActionCount; ++action)
        if (name == kActionNames[action]) return action;
    return std::nullopt;
}

const char* ActionTitle(int action) { return action >= 0 && action < kActionCount ? kActionTitles[action] : ""; }

int ActionKeyCode(int action) { return action >= 0 && action < kActionCount ? kActionCodes[action] : 0; }

bool IsActionKeyCode(int code) { return std::find(std::begin(kActionCodes), std::end(kActionCodes), code) != std::end(kActionCodes); }

int ActionJoyButton(int action, int slot) {
    switch (action) {
    case kThrust:
        return 7;
    case kFire:
        return 0;
    case kTrigger:
        return slot == 0 ? 1 : 6;
    case kPause:
        return 2;
    default:
        return -1;
    }
}

namespace {

// The action whose slots hold `value`; -1 for none, and for the empty slot's value.
template <typename Slots>
int ActionHolding(const Slots& slots, int value, int none) {
    if (value == none) return -1;
    for (int action = 0; action < kActionCount; ++action)
        for (int bound : slots[action])
            if (bound == value) return action;
    return -1;
}

}  // namespace

int ActionOfKey(const Bindings& bindings, int key) { return ActionHolding(bindings.keys, key, kNoKey); }

int ActionOfButton(const Bindings& bindings, int button) {
    return ActionHolding(bindings.buttons, button, kNoButton);
}

// SDL's X11 back end renames the Application key "Menu" once the display is
// open; the settings file is read before that, and the browser never does it.
std::string KeyName(int key) {
    if (key <= kNoKey || key >= SDL_NUM_SCANCODES) return {};
    if (key == SDL_SCANCODE_APPLICATION) return "Menu";
    return SDL_GetScancodeName(static_cast<SDL_Scancode>(key));
}

int KeyOfName(std::string_view name) {
    if (name.empty()) return kNoKey;
    if (SameWord(name, "Menu")) return SDL_SCANCODE_APPLICATION;
    if (SameWord(name, "Application")) return kNoKey;
    std::string copy(name);
    int key = SDL_GetScancodeFromName(copy.c_str());
    // SDL says why it found nothing in its error string; there is nothing to tell.
    if (key == SDL_SCANCODE_UNKNOWN) SDL_ClearError();
    return IsBindableKey(key) ? key : kNoKey;
}

bool IsBindableKey(int key) {
    return key > kNoKey && key < SDL_NUM_SCANCODES && key != SDL_SCANCODE_ESCAPE && key != SDL_SCANCODE_F11 &&
           !KeyName(key).empty();
}

std::string KeyLabel(int key) {
    if (key <= kNoKey || key >= SDL_NUM_SCANCODES) return {};
    SDL_Keycode keycode = SDL_GetKeyFromScancode(static_cast<SDL_Scancode>(key));
    // Without a display SDL knows no layout; and a label that is a key's
    // name rather than the character it types says no more than the name.
    if (keycode == SDLK_UNKNOWN || (keycode & SDLK_SCANCODE_MASK) != 0) return KeyName(key);
    std::string label = SDL_GetKeyName(keycode);
    return label.empty() ? KeyName(key) : label;
}

int KeyOfPlaceCode(int code) {
    if (code <= 0) return kNoKey;
    // The first of the keys that give it: Return before the keypad's Enter.
    for (int key = 1; key < SDL_NUM_SCANCODES; ++key)
        if (PlaceKeyCode(key) == code) return key;
    return kNoKey;
}

std::string PadButtonName(int button) {
    return button >= 0 && button < kPadButtonCount ? kPadNames[button] : std::string();
}

int PadButtonOfName(std::string_view name) {
    for (int button = 0; button < kPadButtonCount; ++button)
        if (SameWord(name, kPadNames[button])) return IsBindableButton(button) ? button : kNoButton;
    return kNoButton;
}

bool IsBindableButton(int button) { return button >= 0 && button < kPadButtonCount && button != kPadGuide; }

std::string PadButtonLabel(int button) {
    return button >= 0 && button < kPadButtonCount ? kPadLabels[button] : std::string();
}

std::string ControlsHelpLine(const Bindings& bindings) {
    auto keys = [&bindings](int action) { return Joined(bindings.keys[action], kNoKey, KeyLabel); };
    const std::string dot = " \xc2\xb7 ";
    return keys(kTurnLeft) + ", " + keys(kTurnRight) + ": turn" + dot + keys(kThrust) + ": thrust" + dot +
           keys(kFire) + ": fire" + dot + keys(kTrigger) + ": power-up" + dot + keys(kPause) + ": pause" + dot +
           "Esc: quit" + dot + "mouse, gamepad";
}
