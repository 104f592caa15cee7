#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <utility>
#include <vector>

#include "platform/input/bindings.hpp"
#include "platform/input/input.hpp"
#include "platform/video/letterbox.hpp"

struct SDL_Window;
struct _SDL_Joystick;
struct _SDL_GameController;
union SDL_Event;

// The game's key code (Windows virtual-key numbering) for an SDL scancode and
// keycode, or 0 when the game has none for it. Shift, Ctrl and Alt are told
// apart by side (160..165).
int GameKeyCode(int scancode, int keycode);
// The same code by the key's place alone, letters and digits too (the key in
// Q's place on a French keyboard gives Q's code), or 0.
int PlaceKeyCode(int scancode);

// A raw SDL axis reading as -1 .. +1; full deflection is exactly -1 or +1,
// which the game tests for by equality.
float JoyAxisValue(int raw);

// Playfield pixels per window pixel of mouse motion when a picture of
// width x height is scaled to fit the drawable, keeping its aspect.
double MotionScale(int window_width, int window_height, int drawable_width, int drawable_height, int width, int height);

// The playfield pixel under a point of the window (window pixels, which can
// differ from drawable pixels on high-density screens) when a picture of
// width x height is letterboxed into the drawable. Points beside the
// picture give positions outside the playfield.
std::pair<int, int> WindowToPlayfield(int x, int y, int window_width, int window_height, int drawable_width,
                                      int drawable_height, int width, int height);
// The same where the picture sits in the drawable at `picture`.
std::pair<int, int> WindowToPlayfield(int x, int y, int window_width, int window_height, int drawable_width,
                                      int drawable_height, const Letterbox& picture, int width, int height);

// True for the window system's notice that another program (a window
// manager's Alt+Tab switcher, say) has taken the keyboard for a moment; SDL
// itself says nothing about it.
bool KeyboardTakenByAnotherClient(const SDL_Event& event);

// Live input from SDL's event queue. SDL must be initialised; the window may
// be null (no scaling).
//
// Keys and the buttons of pads known to SDL's game-controller database reach
// the game through the bindings (ControlMode). A pad's left stick and d-pad
// are the joystick's x and y axes, the d-pad over the stick; a pad button
// bound to an action gives its joystick button (ActionJoyButton), or turns
// as the d-pad does. A release always matches the press it ends, whatever
// changed meanwhile, and of two keys or buttons held for one action the
// second to be let go releases it.
//
// The pointer is captured (relative motion) only while the game asks for it;
// otherwise the system pointer moves freely and the game's pointer follows
// it inside the window. F11 and Alt+Enter ask for the other display mode and
// reach the game as nothing. A Left Alt press is held back until the key is
// let go or has been held kAltHoldMilliseconds on its own, so Alt+Tab and
// Alt+Enter never press it.
class SdlInputSource final : public InputSource {
public:
    static constexpr std::uint32_t kAltHoldMilliseconds = 400;
    // After a display switch, a keyboard grab or a focus change, the window
    // system may replay a still-held Alt as a fresh press for this long.
    static constexpr std::uint32_t kAltQuietMilliseconds = 1000;

    SdlInputSource(SDL_Window* window, int width, int height);
    ~SdlInputSource() override;
    SdlInputSource(const SdlInputSource&) = delete;
    SdlInputSource& operator=(const SdlInputSource&) = delete;

    void FetchFrame(int frame, std::vector<InputEvent>& events) override;
    bool FetchWait(int frame, std::vector<InputEvent>& events) override;
    int JoystickCount() override;
    void SetMouseVisible(bool visible) override;
    void SetPointerCaptured(bool captured, int x, int y) override;
    void PointerPlaced(int x, int y) override;
    void SetTextInput(bool on, const std::string& editing) override;
    void SetBindings(const Bindings& bindings) override;
    void SetControlMode(ControlMode mode) override;

    // Called on F11 or Alt+Enter.
    void SetDisplayToggle(std::function<void()> toggle) { display_toggle_ = std::move(toggle); }
    bool pointer_captured() const { return captured_; }

private:
    struct Joystick {
        _SDL_Joystick* device = nullptr;
        // Set for a pad driven through its game-controller mapping.
        _SDL_GameController* pad = nullptr;
        int instance = -1;
        std::array<bool, Input::kJoyButtons> held{};
        // What each held pad button's press was delivered as (a joystick
        // button or a turn), and how many presses hold each joystick button.
        std::map<int, int> delivered;
        std::array<int, Input::kJoyButtons> presses{};
        // Pad state behind the two axes the game reads.
        int stick_x = 0;
        int stick_y = 0;
        bool dpad_left = false, dpad_right = false, dpad_up = false, dpad_down = false;
        int turns_left = 0, turns_right = 0;
        bool left_trigger = false, right_trigger = false;
        float axis_x = 0.0f;
        float axis_y = 0.0f;
    };
    static constexpr int kMaxPorts = 256;

    void Translate(const SDL_Event& event, std::vector<InputEvent>& events);
    void TranslateKey(const SDL_Event& event, std::vector<InputEvent>& events);
    int CodeOfKey(int scancode, int keycode) const;
    void DeliverKey(int scancode, int keycode, bool down, std::vector<InputEvent>& events);
    void TakePending(std::vector<InputEvent>& events);
    void TakePageControls(std::vector<InputEvent>& events);
    void PressCode(int code, bool down, std::vector<InputEvent>& events);
    void ReleaseHeldAlt(std::uint32_t now, std::vector<InputEvent>& events);
    void SwallowAlt();
    void Move(int xrel, int yrel, std::vector<InputEvent>& events);
    void MoveTo(int x, int y, std::vector<InputEvent>& events);
    void WarpTo(int x, int y);
    int PortOf(int instance) const;
    void OpenDevice(int index, std::vector<InputEvent>& events);
    void CloseDevice(Joystick& joystick);
    void CloseJoysticks();
    void PadButton(int port, int pad_button, bool down, std::vector<InputEvent>& events);
    void PadTrigger(int port, int axis, int value, std::vector<InputEvent>& events);
    void BoundButton(int port, int button, bool down, std::vector<InputEvent>& events);
    void PadPress(int port, int target, bool down, std::vector<InputEvent>& events);
    void JoyButton(int port, int button, bool down, std::vector<InputEvent>& events);
    void PadAxes(int port, std::vector<InputEvent>& events);

    SDL_Window* window_;
    int width_;
    int height_;
    double remainder_x_ = 0.0;
    double remainder_y_ = 0.0;
    bool captured_ = false;
    bool text_input_ = false;
    Bindings bindings_ = DefaultBindings();
    ControlMode mode_ = ControlMode::Actions;
    // The code each held key's press was delivered as, and how many held
    // keys hold each code.
    std::map<int, int> held_keys_;
    std::array<int, Input::kKeys> key_presses_{};
    // The actions the page's on-screen controls held at the last fetch.
    unsigned page_actions_ = 0;
    // A Left Alt press not yet known to be the game's.
    bool alt_held_back_ = false;
    bool alt_swallowed_ = false;
    // The Enter of an Alt+Enter, whose release is not the game's either.
    bool enter_swallowed_ = false;
    std::uint32_t alt_pressed_at_ = 0;
    std::uint32_t alt_quiet_from_ = 0;
    bool alt_quiet_ = false;
    std::function<void()> display_toggle_;
    bool joystick_system_ = false;
    std::vector<Joystick> joysticks_;
    // Events made outside the SDL queue (joystick start-up state), delivered
    // with the next fetch.
    std::vector<InputEvent> pending_;
};
