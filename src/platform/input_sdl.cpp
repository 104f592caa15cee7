#include "platform/input_sdl.hpp"

#include <SDL.h>

#include <algorithm>
#include <cmath>
#include <memory>

namespace {

int KeyFromScancode(int scancode) {
    if (scancode >= SDL_SCANCODE_A && scancode <= SDL_SCANCODE_Z) return 'A' + scancode - SDL_SCANCODE_A;
    if (scancode >= SDL_SCANCODE_1 && scancode <= SDL_SCANCODE_9) return '1' + scancode - SDL_SCANCODE_1;
    if (scancode >= SDL_SCANCODE_F1 && scancode <= SDL_SCANCODE_F12) return 112 + scancode - SDL_SCANCODE_F1;
    if (scancode >= SDL_SCANCODE_F13 && scancode <= SDL_SCANCODE_F24) return 124 + scancode - SDL_SCANCODE_F13;
    if (scancode >= SDL_SCANCODE_KP_1 && scancode <= SDL_SCANCODE_KP_9) return 97 + scancode - SDL_SCANCODE_KP_1;
    switch (scancode) {
    case SDL_SCANCODE_0: return '0';
    case SDL_SCANCODE_BACKSPACE: return 8;
    case SDL_SCANCODE_TAB: return 9;
    case SDL_SCANCODE_CLEAR: return 12;
    case SDL_SCANCODE_RETURN: return 13;
    case SDL_SCANCODE_KP_ENTER: return 13;
    case SDL_SCANCODE_PAUSE: return 19;
    case SDL_SCANCODE_CAPSLOCK: return 20;
    case SDL_SCANCODE_ESCAPE: return 27;
    case SDL_SCANCODE_SPACE: return 32;
    case SDL_SCANCODE_PAGEUP: return 33;
    case SDL_SCANCODE_PAGEDOWN: return 34;
    case SDL_SCANCODE_END: return 35;
    case SDL_SCANCODE_HOME: return 36;
    case SDL_SCANCODE_LEFT: return 37;
    case SDL_SCANCODE_UP: return 38;
    case SDL_SCANCODE_RIGHT: return 39;
    case SDL_SCANCODE_DOWN: return 40;
    case SDL_SCANCODE_PRINTSCREEN: return 44;
    case SDL_SCANCODE_INSERT: return 45;
    case SDL_SCANCODE_DELETE: return 46;
    case SDL_SCANCODE_LGUI: return 91;
    case SDL_SCANCODE_RGUI: return 92;
    case SDL_SCANCODE_APPLICATION: return 93;
    case SDL_SCANCODE_KP_0: return 96;
    case SDL_SCANCODE_KP_MULTIPLY: return 106;
    case SDL_SCANCODE_KP_PLUS: return 107;
    case SDL_SCANCODE_KP_MINUS: return 109;
    case SDL_SCANCODE_KP_PERIOD: return 110;
    case SDL_SCANCODE_KP_DIVIDE: return 111;
    case SDL_SCANCODE_NUMLOCKCLEAR: return 144;
    case SDL_SCANCODE_SCROLLLOCK: return 145;
    case SDL_SCANCODE_LSHIFT: return 160;
    case SDL_SCANCODE_RSHIFT: return 161;
    case SDL_SCANCODE_LCTRL: return 162;
    case SDL_SCANCODE_RCTRL: return 163;
    case SDL_SCANCODE_LALT: return 164;
    case SDL_SCANCODE_RALT: return 165;
    case SDL_SCANCODE_SEMICOLON: return 186;
    case SDL_SCANCODE_EQUALS: return 187;
    case SDL_SCANCODE_COMMA: return 188;
    case SDL_SCANCODE_MINUS: return 189;
    case SDL_SCANCODE_PERIOD: return 190;
    case SDL_SCANCODE_SLASH: return 191;
    case SDL_SCANCODE_GRAVE: return 192;
    case SDL_SCANCODE_LEFTBRACKET: return 219;
    case SDL_SCANCODE_BACKSLASH: return 220;
    case SDL_SCANCODE_RIGHTBRACKET: return 221;
    case SDL_SCANCODE_APOSTROPHE: return 222;
    case SDL_SCANCODE_NONUSBACKSLASH: return 226;
    default: return 0;
    }
}

int GameMouseButton(int sdl_button) {
    switch (sdl_button) {
    case SDL_BUTTON_LEFT: return 1;
    case SDL_BUTTON_RIGHT: return 2;
    case SDL_BUTTON_MIDDLE: return 3;
    default: return 0;
    }
}

// The point-of-view hat sits at axis 9 as a fraction of a turn clockwise from
// up; centred reads -1.
constexpr int kHatAxis = 9;
constexpr int kStickAxes = 6;

float HatValue(int hat) {
    switch (hat) {
    case SDL_HAT_UP: return 0.0f;
    case SDL_HAT_RIGHTUP: return 0.125f;
    case SDL_HAT_RIGHT: return 0.25f;
    case SDL_HAT_RIGHTDOWN: return 0.375f;
    case SDL_HAT_DOWN: return 0.5f;
    case SDL_HAT_LEFTDOWN: return 0.625f;
    case SDL_HAT_LEFT: return 0.75f;
    case SDL_HAT_LEFTUP: return 0.875f;
    default: return -1.0f;
    }
}

constexpr Uint32 kWaitMilliseconds = 5;

}  // namespace

int GameKeyCode(int scancode, int keycode) {
    // Letters and digits follow the keyboard layout, as virtual keys do;
    // everything else goes by the key's position.
    if (keycode >= 'a' && keycode <= 'z') return keycode - 'a' + 'A';
    if (keycode >= '0' && keycode <= '9') return keycode;
    return KeyFromScancode(scancode);
}

float JoyAxisValue(int raw) {
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

SdlInputSource::SdlInputSource(SDL_Window* window, int width, int height)
    : window_(window), width_(width), height_(height) {}

SdlInputSource::~SdlInputSource() {
    CloseJoysticks();
    if (joystick_system_) SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
}

void SdlInputSource::FetchFrame(int, std::vector<InputEvent>& events) {
    TakePending(events);
    SDL_Event event;
    while (SDL_PollEvent(&event) != 0) Translate(event, events);
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

void SdlInputSource::Translate(const SDL_Event& event, std::vector<InputEvent>& events) {
    switch (event.type) {
    case SDL_KEYDOWN:
    case SDL_KEYUP:
        if (event.key.repeat != 0) break;
        if (int code = GameKeyCode(event.key.keysym.scancode, event.key.keysym.sym); code != 0) {
            events.push_back(InputEvent::Key(code, event.type == SDL_KEYDOWN));
        }
        break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
        if (int button = GameMouseButton(event.button.button); button != 0) {
            events.push_back(InputEvent::Mouse(button, event.type == SDL_MOUSEBUTTONDOWN));
        }
        break;
    case SDL_MOUSEMOTION:
        Move(event.motion.xrel, event.motion.yrel, events);
        break;
    case SDL_WINDOWEVENT:
        if (event.window.event == SDL_WINDOWEVENT_FOCUS_LOST) events.push_back(InputEvent::Focus(false));
        if (event.window.event == SDL_WINDOWEVENT_FOCUS_GAINED) events.push_back(InputEvent::Focus(true));
        if (event.window.event == SDL_WINDOWEVENT_CLOSE) events.push_back(InputEvent::Close());
        break;
    case SDL_QUIT:
        events.push_back(InputEvent::Close());
        break;
    case SDL_JOYAXISMOTION:
        if (int port = PortOf(event.jaxis.which); port >= 0 && event.jaxis.axis < kStickAxes) {
            events.push_back(InputEvent::JoyAxis(event.jaxis.axis, JoyAxisValue(event.jaxis.value), port));
        }
        break;
    case SDL_JOYHATMOTION:
        if (int port = PortOf(event.jhat.which); port >= 0 && event.jhat.hat == 0) {
            events.push_back(InputEvent::JoyAxis(kHatAxis, HatValue(event.jhat.value), port));
        }
        break;
    case SDL_JOYBUTTONDOWN:
    case SDL_JOYBUTTONUP:
        if (int port = PortOf(event.jbutton.which); port >= 0 && event.jbutton.button < Input::kJoyButtons) {
            bool down = event.type == SDL_JOYBUTTONDOWN;
            joysticks_[port].held[event.jbutton.button] = down;
            events.push_back(InputEvent::JoyButton(event.jbutton.button, down, port));
        }
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
            SDL_JoystickClose(joystick.device);
            joystick.device = nullptr;
            joystick.instance = -1;
        }
        break;
    default:
        break;
    }
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
        if (SDL_InitSubSystem(SDL_INIT_JOYSTICK) != 0) return 0;
        joystick_system_ = true;
    }
    CloseJoysticks();
    int devices = SDL_NumJoysticks();
    for (int index = 0; index < devices && static_cast<int>(joysticks_.size()) < kMaxPorts; ++index) {
        SDL_Joystick* device = SDL_JoystickOpen(index);
        if (device == nullptr) continue;
        int port = static_cast<int>(joysticks_.size());
        Joystick& joystick = joysticks_.emplace_back();
        joystick.device = device;
        joystick.instance = SDL_JoystickInstanceID(device);
        // SDL reports only changes, so the state found on opening is
        // delivered as events of its own.
        int axes = std::min(SDL_JoystickNumAxes(device), kStickAxes);
        for (int axis = 0; axis < axes; ++axis) {
            pending_.push_back(InputEvent::JoyAxis(axis, JoyAxisValue(SDL_JoystickGetAxis(device, axis)), port));
        }
        if (SDL_JoystickNumHats(device) > 0) {
            pending_.push_back(InputEvent::JoyAxis(kHatAxis, HatValue(SDL_JoystickGetHat(device, 0)), port));
        }
        int buttons = std::min(SDL_JoystickNumButtons(device), Input::kJoyButtons);
        for (int button = 0; button < buttons; ++button) {
            if (SDL_JoystickGetButton(device, button) != 0) {
                joystick.held[button] = true;
                pending_.push_back(InputEvent::JoyButton(button, true, port));
            }
        }
    }
    return static_cast<int>(joysticks_.size());
}

void SdlInputSource::CloseJoysticks() {
    for (Joystick& joystick : joysticks_) {
        if (joystick.device != nullptr) SDL_JoystickClose(joystick.device);
    }
    joysticks_.clear();
}

void SdlInputSource::SetMouseVisible(bool visible) {
    // Hidden, the pointer is the game's own: relative mode keeps motion
    // coming when the system pointer would sit at a screen edge.
    if (visible) {
        SDL_SetRelativeMouseMode(SDL_FALSE);
        SDL_ShowCursor(SDL_ENABLE);
    } else {
        SDL_ShowCursor(SDL_DISABLE);
        SDL_SetRelativeMouseMode(SDL_TRUE);
    }
}
