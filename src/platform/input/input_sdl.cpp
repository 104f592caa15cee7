#include "platform/input/input_sdl.hpp"

#include <SDL.h>

#include <algorithm>
#include <cmath>
#include <memory>

#include "platform/input/input_platform.hpp"
#include "platform/input/page_controls.hpp"
#include "platform/video/display.hpp"

namespace {

int KeyFromScancode(int scancode) {
    if (scancode >= SDL_SCANCODE_A && scancode <= SDL_SCANCODE_Z) return 'A' + scancode - SDL_SCANCODE_A;
    if (scancode >= SDL_SCANCODE_1 && scancode <= SDL_SCANCODE_9) return '1' + scancode - SDL_SCANCODE_1;
    if (scancode >= SDL_SCANCODE_F1 && scancode <= SDL_SCANCODE_F12) return 112 + scancode - SDL_SCANCODE_F1;
    if (scancode >= SDL_SCANCODE_F13 && scancode <= SDL_SCANCODE_F24) return 124 + scancode - SDL_SCANCODE_F13;
    if (scancode >= SDL_SCANCODE_KP_1 && scancode <= SDL_SCANCODE_KP_9) return 97 + scancode - SDL_SCANCODE_KP_1;
    switch (scancode) {
    case SDL_SCANCODE_0:
        return '0';
    case SDL_SCANCODE_BACKSPACE:
        return 8;
    case SDL_SCANCODE_TAB:
        return 9;
    case SDL_SCANCODE_CLEAR:
        return 12;
    case SDL_SCANCODE_RETURN:
        return 13;
    case SDL_SCANCODE_KP_ENTER:
        return 13;
    case SDL_SCANCODE_PAUSE:
        return 19;
    case SDL_SCANCODE_CAPSLOCK:
        return 20;
    case SDL_SCANCODE_ESCAPE:
        return 27;
    case SDL_SCANCODE_SPACE:
        return 32;
    case SDL_SCANCODE_PAGEUP:
        return 33;
    case SDL_SCANCODE_PAGEDOWN:
        return 34;
    case SDL_SCANCODE_END:
        return 35;
    case SDL_SCANCODE_HOME:
        return 36;
    case SDL_SCANCODE_LEFT:
        return 37;
    case SDL_SCANCODE_UP:
        return 38;
    case SDL_SCANCODE_RIGHT:
        return 39;
    case SDL_SCANCODE_DOWN:
        return 40;
    case SDL_SCANCODE_PRINTSCREEN:
        return 44;
    case SDL_SCANCODE_INSERT:
        return 45;
    case SDL_SCANCODE_DELETE:
        return 46;
    case SDL_SCANCODE_LGUI:
        return 91;
    case SDL_SCANCODE_RGUI:
        return 92;
    case SDL_SCANCODE_APPLICATION:
        return 93;
    case SDL_SCANCODE_KP_0:
        return 96;
    case SDL_SCANCODE_KP_MULTIPLY:
        return 106;
    case SDL_SCANCODE_KP_PLUS:
        return 107;
    case SDL_SCANCODE_KP_MINUS:
        return 109;
    case SDL_SCANCODE_KP_PERIOD:
        return 110;
    case SDL_SCANCODE_KP_DIVIDE:
        return 111;
    case SDL_SCANCODE_NUMLOCKCLEAR:
        return 144;
    case SDL_SCANCODE_SCROLLLOCK:
        return 145;
    case SDL_SCANCODE_LSHIFT:
        return 160;
    case SDL_SCANCODE_RSHIFT:
        return 161;
    case SDL_SCANCODE_LCTRL:
        return 162;
    case SDL_SCANCODE_RCTRL:
        return 163;
    case SDL_SCANCODE_LALT:
        return 164;
    case SDL_SCANCODE_RALT:
        return 165;
    case SDL_SCANCODE_SEMICOLON:
        return 186;
    case SDL_SCANCODE_EQUALS:
        return 187;
    case SDL_SCANCODE_COMMA:
        return 188;
    case SDL_SCANCODE_MINUS:
        return 189;
    case SDL_SCANCODE_PERIOD:
        return 190;
    case SDL_SCANCODE_SLASH:
        return 191;
    case SDL_SCANCODE_GRAVE:
        return 192;
    case SDL_SCANCODE_LEFTBRACKET:
        return 219;
    case SDL_SCANCODE_BACKSLASH:
        return 220;
    case SDL_SCANCODE_RIGHTBRACKET:
        return 221;
    case SDL_SCANCODE_APOSTROPHE:
        return 222;
    case SDL_SCANCODE_NONUSBACKSLASH:
        return 226;
    default:
        return 0;
    }
}

int GameMouseButton(int sdl_button) {
    switch (sdl_button) {
    case SDL_BUTTON_LEFT:
        return 1;
    case SDL_BUTTON_RIGHT:
        return 2;
    case SDL_BUTTON_MIDDLE:
        return 3;
    default:
        return 0;
    }
}

// The point-of-view hat sits at axis 9 as a fraction of a turn clockwise from
// up; centred reads -1.
constexpr int kHatAxis = 9;
constexpr int kStickAxes = 6;

float HatValue(int hat) {
    switch (hat) {
    case SDL_HAT_UP:
        return 0.0f;
    case SDL_HAT_RIGHTUP:
        return 0.125f;
    case SDL_HAT_RIGHT:
        return 0.25f;
    case SDL_HAT_RIGHTDOWN:
        return 0.375f;
    case SDL_HAT_DOWN:
        return 0.5f;
    case SDL_HAT_LEFTDOWN:
        return 0.625f;
    case SDL_HAT_LEFT:
        return 0.75f;
    case SDL_HAT_LEFTUP:
        return 0.875f;
    default:
        return -1.0f;
    }
}

constexpr Uint32 kWaitMilliseconds = 5;

// The right trigger is a button to the game: pressed past half way, let go
// below a quarter, so a trigger resting near the middle does not chatter.
constexpr int kTriggerPress = 16384;
constexpr int kTriggerRelease = 8192;

// What a pad button's press was delivered as, beside joystick buttons.
constexpr int kDeliveredNothing = -1;
constexpr int kDeliveredTurnLeft = -2;
constexpr int kDeliveredTurnRight = -3;

// A pad button SDL numbers that the game can bind, or -1 (the d-pad steers,
// and the later buttons are too rare to offer).
int BindablePadButton(int sdl_button) { return sdl_button <= SDL_CONTROLLER_BUTTON_RIGHTSHOULDER ? sdl_button : -1; }

}  // namespace

int GameKeyCode(int scancode, int keycode) {
    // Letters and digits follow the keyboard layout, as virtual keys do;
    // everything else goes by the key's position.
    if (keycode >= 'a' && keycode <= 'z') return keycode - 'a' + 'A';
    if (keycode >= '0' && keycode <= '9') return keycode;
    return KeyFromScancode(scancode);
}

int PlaceKeyCode(int scancode) { return KeyFromScancode(scancode); }

float JoyAxisValue(int raw) {
    raw = DesktopAxisReading(raw);
    return raw < 0 ? static_cast<float>(raw / 32768.0) : static_cast<float>(raw / 32767.0);
}

double MotionScale(int window_width, int window_height, int drawable_width, int drawable_height, int width,
                   int height) {
    if (window_width <= 0 || window_height <= 0 || drawable_width <= 0 || drawable_height <= 0) return 1.0;
    double fit = std::min(static_cast<double>(drawable_width) / width, static_cast<double>(drawable_height) / height);
    // The picture's width in window pixels, which can differ from drawable
    // pixels on high-density screens.
    double picture_in_window = width * fit * window_width / drawable_width;
    return width / picture_in_window;
}

std::pair<int, int> WindowToPlayfield(int x, int y, int window_width, int window_height, int drawable_width,
                                      int drawable_height, int width, int height) {
    return WindowToPlayfield(x, y, window_width, window_height, drawable_width, drawable_height,
                             FitPicture(drawable_width, drawable_height, width, height), width, height);
}

std::pair<int, int> WindowToPlayfield(int x, int y, int window_width, int window_height, int drawable_width,
                                      int drawable_height, const Letterbox& box, int width, int height) {
    if (window_width <= 0 || window_height <= 0 || drawable_width <= 0 || drawable_height <= 0) return {x, y};
    double drawable_x = static_cast<double>(x) * drawable_width / window_width;
    double drawable_y = static_cast<double>(y) * drawable_height / window_height;
    return {static_cast<int>(std::floor((drawable_x - box.left) * width / box.width)),
            static_cast<int>(std::floor((drawable_y - box.top) * height / box.height))};
}

SdlInputSource::SdlInputSource(SDL_Window* window, int width, int height)
    : window_(window), width_(width), height_(height) {
    // Alt+Tab shows itself only in the window system's own events.
    if (window_ != nullptr) SDL_EventState(SDL_SYSWMEVENT, SDL_ENABLE);
    // SDL starts with text input on; the game wants it only to take a name.
    if (window_ != nullptr) SDL_StopTextInput();
}

SdlInputSource::~SdlInputSource() {
    CloseJoysticks();
    if (joystick_system_) SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER);
}

void SdlInputSource::FetchFrame(int, std::vector<InputEvent>& events) {
    TakePending(events);
    SDL_Event event;
    while (SDL_PollEvent(&event) != 0) Translate(event, events);
    ReleaseHeldAlt(SDL_GetTicks(), events);
    TakePageControls(events);
}

// The page's on-screen controls press what the actions' keys press, so a
// game played by touch records and replays as any other; what is typed on a
// phone's keyboard comes as text, with Backspace and Enter as those keys.
void SdlInputSource::TakePageControls(std::vector<InputEvent>& events) {
    // The controls screen takes keys as themselves: a touch there binds nothing.
    unsigned held = mode_ == ControlMode::Actions ? PageHeldActions() : 0;
    for (int action = 0; action < kActionCount; ++action) {
        unsigned bit = 1u << action;
        if ((held & bit) != (page_actions_ & bit)) PressCode(ActionKeyCode(action), (held & bit) != 0, events);
    }
    page_actions_ = held;
    std::string typed = PageTyped();
    if (!text_input_) return;
    std::size_t start = 0;
    for (std::size_t at = 0; at <= typed.size(); ++at) {
        if (at < typed.size() && typed[at] != '\b' && typed[at] != '\r') continue;
        if (at > start) events.push_back(InputEvent::Text(typed.substr(start, at - start)));
        start = at + 1;
        if (at == typed.size()) break;
        int code = PlaceKeyCode(typed[at] == '\b' ? SDL_SCANCODE_BACKSPACE : SDL_SCANCODE_RETURN);
        PressCode(code, true, events);
        PressCode(code, false, events);
    }
}

// A code held by two keys, or a key and a touch, is pressed once and let go
// once.
void SdlInputSource::PressCode(int code, bool down, std::vector<InputEvent>& events) {
    if (down) {
        if (key_presses_[code]++ == 0) events.push_back(InputEvent::Key(code, true));
    } else if (key_presses_[code] > 0 && --key_presses_[code] == 0) {
        events.push_back(InputEvent::Key(code, false));
    }
}

// Sleeps a little for the first event instead of spinning through the wait.
bool SdlInputSource::FetchWait(int frame, std::vector<InputEvent>& events) {
    SDL_Event event;
    if (SDL_WaitEventTimeout(&event, kWaitMilliseconds) != 0) Translate(event, events);
    FetchFrame(frame, events);
    return true;
}

void SdlInputSource::TakePending(std::vector<InputEvent>& events) {
    events.insert(events.end(), pending_.begin(), pending_.end());
    pending_.clear();
}

// A held-back Left Alt that has been held long enough on its own is a press.
void SdlInputSource::ReleaseHeldAlt(std::uint32_t now, std::vector<InputEvent>& events) {
    if (!alt_held_back_ || now - alt_pressed_at_ < kAltHoldMilliseconds) return;
    alt_held_back_ = false;
    // Held while another window took the focus: it was meant for that switch.
    if (window_ != nullptr && SDL_GetKeyboardFocus() != window_) {
        alt_swallowed_ = true;
        return;
    }
    DeliverKey(SDL_SCANCODE_LALT, SDLK_LALT, true, events);
}

// The held-back press, if any, is not the game's, and neither is one that
// comes soon after.
void SdlInputSource::SwallowAlt() {
    if (alt_held_back_) alt_swallowed_ = true;
    alt_held_back_ = false;
    alt_quiet_ = true;
    alt_quiet_from_ = SDL_GetTicks();
}

void SdlInputSource::TranslateKey(const SDL_Event& event, std::vector<InputEvent>& events) {
    const SDL_KeyboardEvent& key = event.key;
    if (key.repeat != 0) return;
    bool down = event.type == SDL_KEYDOWN;
    SDL_Scancode scancode = key.keysym.scancode;
    if (scancode == SDL_SCANCODE_LALT) {
        if (down) {
            alt_quiet_ = alt_quiet_ && SDL_GetTicks() - alt_quiet_from_ < kAltQuietMilliseconds;
            alt_held_back_ = !alt_quiet_;
            alt_swallowed_ = alt_quiet_;
            alt_pressed_at_ = key.timestamp;
            return;
        }
        if (alt_held_back_) {
            alt_held_back_ = false;
            // SDL lets go of every key when the focus leaves, before it says
            // so: that release ends an Alt+Tab, not a tap.
            if (window_ != nullptr && SDL_GetKeyboardFocus() != window_) return;
            DeliverKey(SDL_SCANCODE_LALT, SDLK_LALT, true, events);
        } else if (alt_swallowed_) {
            alt_swallowed_ = false;
            return;
        }
        DeliverKey(SDL_SCANCODE_LALT, SDLK_LALT, false, events);
        return;
    }
    if (down && alt_held_back_) {
        // Alt with another key is a shortcut, not the game's key.
        alt_held_back_ = false;
        alt_swallowed_ = true;
    }
    bool enter = scancode == SDL_SCANCODE_RETURN || scancode == SDL_SCANCODE_KP_ENTER;
    if (enter && !down && enter_swallowed_) {
        enter_swallowed_ = false;
        return;
    }
    if (down && enter && (key.keysym.mod & KMOD_ALT) != 0) enter_swallowed_ = true;
    if (scancode == SDL_SCANCODE_F11 || (down && enter_swallowed_)) {
        if (down && display_toggle_) {
            if (GameTogglesFullscreen()) display_toggle_();
            SwallowAlt();
        }
        return;
    }
    DeliverKey(scancode, key.keysym.sym, down, events);
}

int SdlInputSource::CodeOfKey(int scancode, int keycode) const {
    if (scancode == SDL_SCANCODE_ESCAPE) return GameKeyCode(scancode, keycode);
    if (mode_ != ControlMode::Actions) return PlaceKeyCode(scancode);
    if (text_input_) return GameKeyCode(scancode, keycode);
    if (int action = ActionOfKey(bindings_, scancode); action >= 0) return ActionKeyCode(action);
    // A key the player moved away from an action no longer does it.
    int code = GameKeyCode(scancode, keycode);
    return IsActionKeyCode(code) ? 0 : code;
}

void SdlInputSource::DeliverKey(int scancode, int keycode, bool down, std::vector<InputEvent>& events) {
    auto held = held_keys_.find(scancode);
    if (down) {
        int code = CodeOfKey(scancode, keycode);
        if (held != held_keys_.end() || code <= 0 || code >= Input::kKeys) return;
        held_keys_[scancode] = code;
        PressCode(code, true, events);
        return;
    }
    if (held == held_keys_.end()) return;
    int code = held->second;
    held_keys_.erase(held);
    PressCode(code, false, events);
}

void SdlInputSource::Translate(const SDL_Event& event, std::vector<InputEvent>& events) {
    // Events queued after the hold ran out come after the press.
    if (event.type != SDL_KEYUP) ReleaseHeldAlt(event.common.timestamp, events);
    switch (event.type) {
    case SDL_KEYDOWN:
    case SDL_KEYUP:
        TranslateKey(event, events);
        break;
    case SDL_TEXTINPUT:
        if (text_input_ && event.text.text[0] != '\0') events.push_back(InputEvent::Text(event.text.text));
        break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
        if (int button = GameMouseButton(event.button.button); button != 0) {
            events.push_back(InputEvent::Mouse(button, event.type == SDL_MOUSEBUTTONDOWN));
        }
        break;
    case SDL_MOUSEMOTION:
        if (captured_) {
            Move(event.motion.xrel, event.motion.yrel, events);
        } else {
            MoveTo(event.motion.x, event.motion.y, events);
        }
        break;
    case SDL_SYSWMEVENT:
        if (KeyboardTakenByAnotherClient(event)) SwallowAlt();
        break;
    case SDL_WINDOWEVENT:
        if (event.window.event == SDL_WINDOWEVENT_FOCUS_LOST || event.window.event == SDL_WINDOWEVENT_FOCUS_GAINED) {
            SwallowAlt();
        }
        if (event.window.event == SDL_WINDOWEVENT_FOCUS_LOST) events.push_back(InputEvent::Focus(false));
        if (event.window.event == SDL_WINDOWEVENT_FOCUS_GAINED) events.push_back(InputEvent::Focus(true));
        if (HiddenWindowLosesFocus()) {
            if (event.window.event == SDL_WINDOWEVENT_HIDDEN) events.push_back(InputEvent::Focus(false));
            if (event.window.event == SDL_WINDOWEVENT_SHOWN) events.push_back(InputEvent::Focus(true));
        }
        if (event.window.event == SDL_WINDOWEVENT_CLOSE) events.push_back(InputEvent::Close());
        break;
    case SDL_QUIT:
        events.push_back(InputEvent::Close());
        break;
    case SDL_JOYAXISMOTION:
        if (int port = PortOf(event.jaxis.which);
            port >= 0 && joysticks_[port].pad == nullptr && event.jaxis.axis < kStickAxes) {
            events.push_back(InputEvent::JoyAxis(event.jaxis.axis, JoyAxisValue(event.jaxis.value), port));
        }
        break;
    case SDL_JOYHATMOTION:
        if (int port = PortOf(event.jhat.which); port >= 0 && joysticks_[port].pad == nullptr && event.jhat.hat == 0) {
            events.push_back(InputEvent::JoyAxis(kHatAxis, HatValue(event.jhat.value), port));
        }
        break;
    case SDL_JOYBUTTONDOWN:
    case SDL_JOYBUTTONUP:
        if (int port = PortOf(event.jbutton.which);
            port >= 0 && joysticks_[port].pad == nullptr && event.jbutton.button < Input::kJoyButtons) {
            bool down = event.type == SDL_JOYBUTTONDOWN;
            joysticks_[port].held[event.jbutton.button] = down;
            events.push_back(InputEvent::JoyButton(event.jbutton.button, down, port));
        }
        break;
    case SDL_CONTROLLERBUTTONDOWN:
    case SDL_CONTROLLERBUTTONUP:
        if (int port = PortOf(event.cbutton.which); port >= 0 && joysticks_[port].pad != nullptr) {
            PadButton(port, event.cbutton.button, event.type == SDL_CONTROLLERBUTTONDOWN, events);
        }
        break;
    case SDL_CONTROLLERAXISMOTION:
        if (int port = PortOf(event.caxis.which); port >= 0 && joysticks_[port].pad != nullptr) {
            Joystick& pad = joysticks_[port];
            int value = event.caxis.value;
            if (event.caxis.axis == SDL_CONTROLLER_AXIS_LEFTX) pad.stick_x = value;
            if (event.caxis.axis == SDL_CONTROLLER_AXIS_LEFTY) pad.stick_y = value;
            PadAxes(port, events);
            PadTrigger(port, event.caxis.axis, value, events);
        }
        break;
    case SDL_JOYDEVICEADDED:
        // Also sent for the devices found when the joysticks were first
        // counted, which are open already.
        if (joystick_system_) OpenDevice(event.jdevice.which, events);
        break;
    case SDL_JOYDEVICEREMOVED:
        // The axes keep their last values, but buttons held on a vanished
        // device would keep any wait for their release going for ever.
        if (int port = PortOf(event.jdevice.which); port >= 0) {
            Joystick& joystick = joysticks_[port];
            for (int button = 0; button < Input::kJoyButtons; ++button) {
                if (joystick.held[button]) events.push_back(InputEvent::JoyButton(button, false, port));
            }
            joystick.held.fill(false);
            // A pad lets its stick and d-pad go as it leaves.
            if (joystick.pad != nullptr) {
                if (joystick.axis_x != 0.0f) events.push_back(InputEvent::JoyAxis(0, 0.0f, port));
                if (joystick.axis_y != 0.0f) events.push_back(InputEvent::JoyAxis(1, 0.0f, port));
            }
            CloseDevice(joystick);
        }
        break;
    default:
        break;
    }
}

void SdlInputSource::MoveTo(int x, int y, std::vector<InputEvent>& events) {
    if (window_ == nullptr) {
        events.push_back(InputEvent::MoveTo(x, y));
        return;
    }
    int window_width = 0, window_height = 0, drawable_width = 0, drawable_height = 0;
    SDL_GetWindowSize(window_, &window_width, &window_height);
    SDL_GL_GetDrawableSize(window_, &drawable_width, &drawable_height);
    Letterbox picture = PictureInWindow(window_, drawable_width, drawable_height, width_, height_);
    auto [playfield_x, playfield_y] =
        WindowToPlayfield(x, y, window_width, window_height, drawable_width, drawable_height, picture, width_, height_);
    events.push_back(InputEvent::MoveTo(playfield_x, playfield_y));
}

void SdlInputSource::Move(int xrel, int yrel, std::vector<InputEvent>& events) {
    double scale = 1.0;
    if (window_ != nullptr) {
        int window_width = 0, window_height = 0, drawable_width = 0, drawable_height = 0;
        SDL_GetWindowSize(window_, &window_width, &window_height);
        SDL_GL_GetDrawableSize(window_, &drawable_width, &drawable_height);
        scale = MotionScale(window_width, window_height, drawable_width, drawable_height, width_, height_);
    }
    // Fractions of a playfield pixel are carried over, so slow motion on a
    // large window still moves the pointer.
    remainder_x_ += xrel * scale;
    remainder_y_ += yrel * scale;
    int dx = static_cast<int>(remainder_x_);
    int dy = static_cast<int>(remainder_y_);
    remainder_x_ -= dx;
    remainder_y_ -= dy;
    if (dx != 0 || dy != 0) events.push_back(InputEvent::MoveBy(dx, dy));
}

int SdlInputSource::PortOf(int instance) const {
    for (std::size_t port = 0; port < joysticks_.size(); ++port) {
        if (joysticks_[port].device != nullptr && joysticks_[port].instance == instance) return static_cast<int>(port);
    }
    return -1;
}

int SdlInputSource::JoystickCount() {
    if (!joystick_system_) {
        if (SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) != 0) return 0;
        joystick_system_ = true;
    }
    CloseJoysticks();
    int devices = SDL_NumJoysticks();
    for (int index = 0; index < devices; ++index) OpenDevice(index, pending_);
    return static_cast<int>(joysticks_.size());
}

// Opens a device on the first free port. SDL reports only changes, so the
// state found on opening is delivered as events of its own.
void SdlInputSource::OpenDevice(int index, std::vector<InputEvent>& events) {
    if (PortOf(SDL_JoystickGetDeviceInstanceID(index)) >= 0) return;
    Joystick opened;
    if (SDL_IsGameController(index)) {
        opened.pad = SDL_GameControllerOpen(index);
        if (opened.pad != nullptr) opened.device = SDL_GameControllerGetJoystick(opened.pad);
    }
    if (opened.device == nullptr) opened.device = SDL_JoystickOpen(index);
    if (opened.device == nullptr) return;
    opened.instance = SDL_JoystickInstanceID(opened.device);
    auto free_port = std::find_if(joysticks_.begin(), joysticks_.end(),
                                  [](const Joystick& joystick) { return joystick.device == nullptr; });
    int port = static_cast<int>(free_port - joysticks_.begin());
    if (free_port == joysticks_.end()) {
        if (port >= kMaxPorts) {
            CloseDevice(opened);
            return;
        }
        joysticks_.emplace_back();
    }
    Joystick& joystick = joysticks_[port];
    joystick = opened;
    if (SDL_GameController* pad = joystick.pad; pad != nullptr) {
        joystick.stick_x = SDL_GameControllerGetAxis(pad, SDL_CONTROLLER_AXIS_LEFTX);
        joystick.stick_y = SDL_GameControllerGetAxis(pad, SDL_CONTROLLER_AXIS_LEFTY);
        joystick.axis_x = joystick.axis_y = 2.0f;  // not a value the axes can have, so both are sent
        for (int button = 0; button < SDL_CONTROLLER_BUTTON_MAX; ++button) {
            if (SDL_GameControllerGetButton(pad, static_cast<SDL_GameControllerButton>(button)) != 0) {
                PadButton(port, button, true, events);
            }
        }
        PadAxes(port, events);
        for (int axis : {SDL_CONTROLLER_AXIS_TRIGGERLEFT, SDL_CONTROLLER_AXIS_TRIGGERRIGHT}) {
            PadTrigger(port, axis, SDL_GameControllerGetAxis(pad, static_cast<SDL_GameControllerAxis>(axis)), events);
        }
        return;
    }
    SDL_Joystick* device = joystick.device;
    int axes = std::min(SDL_JoystickNumAxes(device), kStickAxes);
    for (int axis = 0; axis < axes; ++axis) {
        events.push_back(InputEvent::JoyAxis(axis, JoyAxisValue(SDL_JoystickGetAxis(device, axis)), port));
    }
    if (SDL_JoystickNumHats(device) > 0) {
        events.push_back(InputEvent::JoyAxis(kHatAxis, HatValue(SDL_JoystickGetHat(device, 0)), port));
    }
    int buttons = std::min(SDL_JoystickNumButtons(device), Input::kJoyButtons);
    for (int button = 0; button < buttons; ++button) {
        if (SDL_JoystickGetButton(device, button) != 0) JoyButton(port, button, true, events);
    }
}

void SdlInputSource::PadButton(int port, int pad_button, bool down, std::vector<InputEvent>& events) {
    Joystick& pad = joysticks_[port];
    switch (pad_button) {
    case SDL_CONTROLLER_BUTTON_DPAD_LEFT:
        pad.dpad_left = down;
        break;
    case SDL_CONTROLLER_BUTTON_DPAD_RIGHT:
        pad.dpad_right = down;
        break;
    case SDL_CONTROLLER_BUTTON_DPAD_UP:
        pad.dpad_up = down;
        break;
    case SDL_CONTROLLER_BUTTON_DPAD_DOWN:
        pad.dpad_down = down;
        break;
    default:
        if (int button = BindablePadButton(pad_button); button >= 0) BoundButton(port, button, down, events);
        return;
    }
    PadAxes(port, events);
}

// A trigger is a button to the game: pressed past half way, let go below a
// quarter, so a trigger resting near the middle does not chatter.
void SdlInputSource::PadTrigger(int port, int axis, int value, std::vector<InputEvent>& events) {
    Joystick& pad = joysticks_[port];
    bool* pressed = axis == SDL_CONTROLLER_AXIS_TRIGGERLEFT    ? &pad.left_trigger
                    : axis == SDL_CONTROLLER_AXIS_TRIGGERRIGHT ? &pad.right_trigger
                                                               : nullptr;
    if (pressed == nullptr) return;
    bool now = *pressed ? value >= kTriggerRelease : value >= kTriggerPress;
    if (now == *pressed) return;
    *pressed = now;
    BoundButton(port, axis == SDL_CONTROLLER_AXIS_TRIGGERLEFT ? kPadLeftTrigger : kPadRightTrigger, now, events);
}

void SdlInputSource::BoundButton(int port, int button, bool down, std::vector<InputEvent>& events) {
    Joystick& pad = joysticks_[port];
    auto held = pad.delivered.find(button);
    if (!down) {
        if (held == pad.delivered.end()) return;
        int target = held->second;
        pad.delivered.erase(held);
        PadPress(port, target, false, events);
        return;
    }
    if (held != pad.delivered.end()) return;
    int target = kDeliveredNothing;
    if (mode_ == ControlMode::AwaitingButton) {
        target = button;
    } else if (int action = ActionOfButton(bindings_, button); action == kTurnLeft) {
        target = kDeliveredTurnLeft;
    } else if (action == kTurnRight) {
        target = kDeliveredTurnRight;
    } else if (action >= 0) {
        target = ActionJoyButton(action, bindings_.buttons[action][0] == button ? 0 : 1);
    }
    if (target == kDeliveredNothing) return;
    pad.delivered[button] = target;
    PadPress(port, target, true, events);
}

void SdlInputSource::PadPress(int port, int target, bool down, std::vector<InputEvent>& events) {
    Joystick& pad = joysticks_[port];
    if (target == kDeliveredTurnLeft || target == kDeliveredTurnRight) {
        (target == kDeliveredTurnLeft ? pad.turns_left : pad.turns_right) += down ? 1 : -1;
        PadAxes(port, events);
        return;
    }
    int& presses = pad.presses[target];
    presses += down ? 1 : -1;
    if (presses == (down ? 1 : 0)) JoyButton(port, target, down, events);
}

void SdlInputSource::JoyButton(int port, int button, bool down, std::vector<InputEvent>& events) {
    Joystick& joystick = joysticks_[port];
    if (joystick.held[button] == down) return;
    joystick.held[button] = down;
    events.push_back(InputEvent::JoyButton(button, down, port));
}

// The d-pad gives full deflection, which the game needs to turn and thrust.
void SdlInputSource::PadAxes(int port, std::vector<InputEvent>& events) {
    Joystick& pad = joysticks_[port];
    bool left = pad.dpad_left || pad.turns_left > 0, right = pad.dpad_right || pad.turns_right > 0;
    float x = left ? -1.0f : right ? 1.0f : JoyAxisValue(pad.stick_x);
    float y = pad.dpad_up ? -1.0f : pad.dpad_down ? 1.0f : JoyAxisValue(pad.stick_y);
    if (x != pad.axis_x) events.push_back(InputEvent::JoyAxis(0, x, port));
    if (y != pad.axis_y) events.push_back(InputEvent::JoyAxis(1, y, port));
    pad.axis_x = x;
    pad.axis_y = y;
}

void SdlInputSource::CloseDevice(Joystick& joystick) {
    if (joystick.pad != nullptr) {
        SDL_GameControllerClose(joystick.pad);
    } else if (joystick.device != nullptr) {
        SDL_JoystickClose(joystick.device);
    }
    joystick = Joystick();
}

void SdlInputSource::CloseJoysticks() {
    for (Joystick& joystick : joysticks_) CloseDevice(joystick);
    joysticks_.clear();
}

// The game draws its own pointer, so the system one is hidden over the
// window (and only there) either way.
void SdlInputSource::SetMouseVisible(bool visible) { SDL_ShowCursor(visible ? SDL_ENABLE : SDL_DISABLE); }

// Both ways the system pointer goes where the game's pointer is: taken, so
// that motion comes even if the pointer was outside the window; let go, so
// the two stay together.
void SdlInputSource::SetPointerCaptured(bool captured, int x, int y) {
    if (captured == captured_) return;
    captured_ = captured;
    remainder_x_ = 0.0;
    remainder_y_ = 0.0;
    if (window_ == nullptr) return;
    if (captured) {
        if (SDL_GetKeyboardFocus() == window_) WarpTo(x, y);
        // Relative mode keeps motion coming when the system pointer would
        // sit at a screen edge. In a browser it asks the canvas for a pointer
        // lock, which web/controls.js asks for again when it was refused.
        SDL_SetRelativeMouseMode(SDL_TRUE);
        // The warp's own motion must not count as the player's.
        SDL_PumpEvents();
        SDL_FlushEvent(SDL_MOUSEMOTION);
    } else {
        SDL_SetRelativeMouseMode(SDL_FALSE);
        PointerPlaced(x, y);
    }
}

void SdlInputSource::SetBindings(const Bindings& bindings) {
    bindings_ = bindings;
    TellPageTheControls(bindings_, mode_);
}

void SdlInputSource::SetControlMode(ControlMode mode) {
    mode_ = mode;
    TellPageTheControls(bindings_, mode_);
}

void SdlInputSource::SetTextInput(bool on, const std::string& editing) {
    if (on == text_input_) return;
    text_input_ = on;
    PageTextEntry(on, editing);
    if (window_ == nullptr) return;
    if (on) {
        SDL_StartTextInput();
    } else {
        SDL_StopTextInput();
    }
}

// Never pulls the system pointer in from outside the window.
void SdlInputSource::PointerPlaced(int x, int y) {
    if (!captured_ && window_ != nullptr && SDL_GetMouseFocus() == window_) WarpTo(x, y);
}

void SdlInputSource::WarpTo(int x, int y) {
    int window_width = 0, window_height = 0, drawable_width = 0, drawable_height = 0;
    SDL_GetWindowSize(window_, &window_width, &window_height);
    SDL_GL_GetDrawableSize(window_, &drawable_width, &drawable_height);
    if (window_width <= 0 || window_height <= 0 || drawable_width <= 0 || drawable_height <= 0) return;
    Letterbox box = PictureInWindow(window_, drawable_width, drawable_height, width_, height_);
    // The middle of the playfield pixel, which maps back to the same pixel.
    double drawable_x = box.left + (x + 0.5) * box.width / width_;
    double drawable_y = box.top + (y + 0.5) * box.height / height_;
    // The motion this warp brings back is an event like any other: it puts
    // the game's pointer where it already is.
    SDL_WarpMouseInWindow(window_, static_cast<int>(drawable_x * window_width / drawable_width),
                          static_cast<int>(drawable_y * window_height / drawable_height));
}
