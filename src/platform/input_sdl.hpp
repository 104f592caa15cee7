#pragma once

#include <array>
#include <memory>
#include <vector>

#include "platform/input.hpp"

struct SDL_Window;
struct _SDL_Joystick;
union SDL_Event;

// The game's key code (Windows virtual-key numbering) for an SDL scancode and
// keycode, or 0 when the game has none for it. Shift, Ctrl and Alt are told
// apart by side (160..165).
int GameKeyCode(int scancode, int keycode);

// A raw SDL axis reading as -1 .. +1; full deflection is exactly -1 or +1,
// which the game tests for by equality.
float JoyAxisValue(int raw);

// Playfield pixels per window pixel of mouse motion when a picture of
// width x height is scaled to fit the drawable, keeping its aspect.
double MotionScale(int window_width, int window_height, int drawable_width, int drawable_height, int width,
                   int height);

// Live input from SDL's event queue. SDL must be initialised; the window may
// be null (no scaling).
class SdlInputSource final : public InputSource {
public:
    SdlInputSource(SDL_Window* window, int width, int height);
    ~SdlInputSource() override;
    SdlInputSource(const SdlInputSource&) = delete;
    SdlInputSource& operator=(const SdlInputSource&) = delete;

    void FetchFrame(int frame, std::vector<InputEvent>& events) override;
    bool FetchWait(int frame, std::vector<InputEvent>& events) override;
    int JoystickCount() override;
    void SetMouseVisible(bool visible) override;

private:
    struct Joystick {
        _SDL_Joystick* device = nullptr;
        int instance = -1;
        std::array<bool, Input::kJoyButtons> held{};
    };
    static constexpr int kMaxPorts = 256;

    void Translate(const SDL_Event& event, std::vector<InputEvent>& events);
    void TakePending(std::vector<InputEvent>& events);
    void Move(int xrel, int yrel, std::vector<InputEvent>& events);
    int PortOf(int instance) const;
    void CloseJoysticks();

    SDL_Window* window_;
    int width_;
    int height_;
    double remainder_x_ = 0.0;
    double remainder_y_ = 0.0;
    bool joystick_system_ = false;
    std::vector<Joystick> joysticks_;
    // Events made outside the SDL queue (joystick start-up state), delivered
    // with the next fetch.
    std::vector<InputEvent> pending_;
};
