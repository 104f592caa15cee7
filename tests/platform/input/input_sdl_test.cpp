#include "platform/input/input_sdl.hpp"

#include <SDL.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <utility>
#include <vector>

#include "game/settings.hpp"
#include "platform/input/close_signals.hpp"
#include "platform/input/scripted_input.hpp"

namespace {

TEST(SdlInput, KeysGetTheGamesCodesWithSidesApart) {
    EXPECT_EQ(GameKeyCode(SDL_SCANCODE_RETURN, SDLK_RETURN), 13);
    EXPECT_EQ(GameKeyCode(SDL_SCANCODE_KP_ENTER, SDLK_KP_ENTER), 13);
    EXPECT_EQ(GameKeyCode(SDL_SCANCODE_SPACE, SDLK_SPACE), 32);
    EXPECT_EQ(GameKeyCode(SDL_SCANCODE_LEFT, SDLK_LEFT), 37);
    EXPECT_EQ(GameKeyCode(SDL_SCANCODE_0, SDLK_0), 48);
    EXPECT_EQ(GameKeyCode(SDL_SCANCODE_F12, SDLK_F12), 123);
    EXPECT_EQ(GameKeyCode(SDL_SCANCODE_LSHIFT, SDLK_LSHIFT), 160);
    EXPECT_EQ(GameKeyCode(SDL_SCANCODE_LCTRL, SDLK_LCTRL), 162);
    EXPECT_EQ(GameKeyCode(SDL_SCANCODE_RCTRL, SDLK_RCTRL), 163);
    EXPECT_EQ(GameKeyCode(SDL_SCANCODE_LALT, SDLK_LALT), 164);
    EXPECT_EQ(GameKeyCode(SDL_SCANCODE_RALT, SDLK_RALT), 165);
    EXPECT_EQ(GameKeyCode(SDL_SCANCODE_KP_9, SDLK_KP_9), 105);
    // Letters follow the layout (the key labelled A on an AZERTY board sits
    // where Q is), other keys without a Latin letter go by position.
    EXPECT_EQ(GameKeyCode(SDL_SCANCODE_Q, SDLK_a), 65);
    EXPECT_EQ(GameKeyCode(SDL_SCANCODE_Z, 0x44F), 90);
    EXPECT_EQ(GameKeyCode(SDL_SCANCODE_1, 0x26), 49);
    EXPECT_EQ(GameKeyCode(SDL_SCANCODE_MUTE, SDLK_MUTE), 0);
}

TEST(SdlInput, FullDeflectionIsExactlyOne) {
    EXPECT_EQ(JoyAxisValue(-32768), -1.0f);
    EXPECT_EQ(JoyAxisValue(32767), 1.0f);
    EXPECT_EQ(JoyAxisValue(0), 0.0f);
    EXPECT_LT(JoyAxisValue(32766), 1.0f);
}

TEST(SdlInput, MotionIsScaledToTheLetterboxedPicture) {
    EXPECT_DOUBLE_EQ(MotionScale(640, 480, 640, 480, 640, 480), 1.0);
    // 1920x1080 shows a 1440x1080 picture: 2.25 window pixels a playfield pixel.
    EXPECT_DOUBLE_EQ(MotionScale(1920, 1080, 1920, 1080, 640, 480), 640.0 / 1440.0);
    // A tall window is limited by its width.
    EXPECT_DOUBLE_EQ(MotionScale(1280, 2000, 1280, 2000, 640, 480), 0.5);
    // Twice as many drawable pixels as window pixels: the picture is as
    // large in window pixels as on a plain screen.
    EXPECT_DOUBLE_EQ(MotionScale(1280, 960, 2560, 1920, 640, 480), 0.5);
    EXPECT_DOUBLE_EQ(MotionScale(0, 0, 0, 0, 640, 480), 1.0);
}

TEST(SdlInput, WindowPointsMapThroughTheLetterbox) {
    using Point = std::pair<int, int>;
    // 1920x1080 shows the picture 1440x1080 wide from x = 240.
    EXPECT_EQ(WindowToPlayfield(240, 0, 1920, 1080, 1920, 1080, 640, 480), (Point{0, 0}));
    EXPECT_EQ(WindowToPlayfield(1679, 1079, 1920, 1080, 1920, 1080, 640, 480), (Point{639, 479}));
    EXPECT_EQ(WindowToPlayfield(100, 540, 1920, 1080, 1920, 1080, 640, 480), (Point{-63, 240}));
    // Window points are half the drawable's on a high-density screen.
    EXPECT_EQ(WindowToPlayfield(120, 270, 960, 540, 1920, 1080, 640, 480), (Point{0, 240}));
    // A tall window has bars above and below.
    EXPECT_EQ(WindowToPlayfield(320, 60, 640, 600, 640, 600, 640, 480), (Point{320, 0}));
    EXPECT_EQ(WindowToPlayfield(7, 9, 0, 0, 0, 0, 640, 480), (Point{7, 9}));
    // Without framebuffer objects the picture stays 640x480 in the middle.
    Letterbox unscaled{320, 240, 640, 480};
    EXPECT_EQ(WindowToPlayfield(320, 240, 1280, 960, 1280, 960, unscaled, 640, 480), (Point{0, 0}));
    EXPECT_EQ(WindowToPlayfield(959, 719, 1280, 960, 1280, 960, unscaled, 640, 480), (Point{639, 479}));
}

class SdlEvents : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(SDL_Init(SDL_INIT_EVENTS), 0) << SDL_GetError(); }
    void TearDown() override { SDL_Quit(); }

    static void Push(SDL_Event event) { ASSERT_EQ(SDL_PushEvent(&event), 1) << SDL_GetError(); }

    static SDL_Event Key(Uint32 type, SDL_Scancode scancode, SDL_Keycode keycode, int repeat, Uint16 mod = 0) {
        SDL_Event event{};
        event.type = type;
        event.key.keysym.scancode = scancode;
        event.key.keysym.sym = keycode;
        event.key.keysym.mod = mod;
        event.key.repeat = static_cast<Uint8>(repeat);
        return event;
    }

    static SDL_Event Motion(int x, int y, int xrel, int yrel) {
        SDL_Event event{};
        event.type = SDL_MOUSEMOTION;
        event.motion.x = x;
        event.motion.y = y;
        event.motion.xrel = xrel;
        event.motion.yrel = yrel;
        return event;
    }

    static std::vector<InputEvent> Fetch(SdlInputSource& source) {
        std::vector<InputEvent> events;
        source.FetchFrame(0, events);
        return events;
    }

    static SDL_Event Window(SDL_WindowEventID id) {
        SDL_Event event{};
        event.type = SDL_WINDOWEVENT;
        event.window.event = static_cast<Uint8>(id);
        return event;
    }
};

TEST_F(SdlEvents, BecomeGameEventsWithRepeatsAndStrangersIgnored) {
    SdlInputSource source(nullptr, 640, 480);
    Push(Key(SDL_KEYDOWN, SDL_SCANCODE_LCTRL, SDLK_LCTRL, 0));
    Push(Key(SDL_KEYDOWN, SDL_SCANCODE_LCTRL, SDLK_LCTRL, 1));
    Push(Key(SDL_KEYUP, SDL_SCANCODE_LCTRL, SDLK_LCTRL, 0));
    SDL_Event button{};
    button.type = SDL_MOUSEBUTTONDOWN;
    button.button.button = SDL_BUTTON_RIGHT;
    Push(button);
    button.button.button = SDL_BUTTON_MIDDLE;
    Push(button);
    Push(Motion(100, 50, 4, -2));
    Push(Window(SDL_WINDOWEVENT_RESIZED));
    Push(Window(SDL_WINDOWEVENT_FOCUS_LOST));
    Push(Window(SDL_WINDOWEVENT_FOCUS_GAINED));
    SDL_Event quit{};
    quit.type = SDL_QUIT;
    Push(quit);

    std::vector<InputEvent> events;
    source.FetchFrame(0, events);
    EXPECT_EQ(events, (std::vector<InputEvent>{
                          InputEvent::Key(162, true),
                          InputEvent::Key(162, false),
                          InputEvent::Mouse(2, true),
                          InputEvent::Mouse(3, true),
                          InputEvent::MoveTo(100, 50),
                          InputEvent::Focus(false),
                          InputEvent::Focus(true),
                          InputEvent::Close(),
                      }));
}

TEST_F(SdlEvents, CapturedMotionIsRelativeFreeMotionIsWherePointerIs) {
    SdlInputSource source(nullptr, 640, 480);
    source.SetPointerCaptured(true, 320, 240);
    Push(Motion(100, 50, 4, -2));
    EXPECT_EQ(Fetch(source), (std::vector<InputEvent>{InputEvent::MoveBy(4, -2)}));
    source.SetPointerCaptured(false, 320, 240);
    Push(Motion(100, 50, 4, -2));
    EXPECT_EQ(Fetch(source), (std::vector<InputEvent>{InputEvent::MoveTo(100, 50)}));
}

TEST_F(SdlEvents, LeftAltCountsOnlyOnItsOwnAndF11OrAltEnterSwitchTheDisplay) {
    SdlInputSource source(nullptr, 640, 480);
    int toggles = 0;
    source.SetDisplayToggle([&toggles] { ++toggles; });
    using Events = std::vector<InputEvent>;
    auto alt = [](bool down) { return Key(down ? SDL_KEYDOWN : SDL_KEYUP, SDL_SCANCODE_LALT, SDLK_LALT, 0); };

    Push(alt(true));
    EXPECT_EQ(Fetch(source), Events{}) << "held back";
    Push(alt(false));
    EXPECT_EQ(Fetch(source), (Events{InputEvent::Key(164, true), InputEvent::Key(164, false)})) << "a tap";

    Push(alt(true));
    EXPECT_EQ(Fetch(source), Events{});
    SDL_Delay(SdlInputSource::kAltHoldMilliseconds + 10);
    EXPECT_EQ(Fetch(source), Events{InputEvent::Key(164, true)}) << "held on its own";
    Push(alt(false));
    EXPECT_EQ(Fetch(source), Events{InputEvent::Key(164, false)});

    Push(alt(true));
    Push(Key(SDL_KEYDOWN, SDL_SCANCODE_RETURN, SDLK_RETURN, 0, KMOD_LALT));
    Push(Key(SDL_KEYUP, SDL_SCANCODE_RETURN, SDLK_RETURN, 0, KMOD_LALT));
    // The window system may let go of Alt and press it again around the switch.
    Push(alt(false));
    Push(alt(true));
    Push(alt(false));
    EXPECT_EQ(Fetch(source), Events{}) << "Alt+Enter";
    EXPECT_EQ(toggles, 1);

    Push(Key(SDL_KEYDOWN, SDL_SCANCODE_F11, SDLK_F11, 0));
    Push(Key(SDL_KEYUP, SDL_SCANCODE_F11, SDLK_F11, 0));
    Push(Key(SDL_KEYDOWN, SDL_SCANCODE_RETURN, SDLK_RETURN, 0));
    EXPECT_EQ(Fetch(source), Events{InputEvent::Key(13, true)}) << "Enter alone is the game's";
    EXPECT_EQ(toggles, 2);

    Push(alt(true));
    Push(Window(SDL_WINDOWEVENT_FOCUS_LOST));
    Push(alt(false));
    EXPECT_EQ(Fetch(source), Events{InputEvent::Focus(false)}) << "Alt+Tab";
}

// A settings file's bindings drive the live keys: what comes out are the
// game's own codes, which is all a recording holds.
TEST_F(SdlEvents, BoundKeysGiveTheirActionsCodesAndReleasesMatchTheirPresses) {
    SdlInputSource source(nullptr, 640, 480);
    source.SetBindings(ParseSettings("bind fire J\nbind turn_left Q\nbind thrust Keypad 8\nbind trigger L\n"
                                     "bind pause Left Ctrl\n")
                           .settings.bindings);
    using Events = std::vector<InputEvent>;
    auto tap = [](SDL_Scancode scancode, SDL_Keycode keycode) {
        Push(Key(SDL_KEYDOWN, scancode, keycode, 0));
        Push(Key(SDL_KEYUP, scancode, keycode, 0));
    };
    tap(SDL_SCANCODE_J, SDLK_j);
    tap(SDL_SCANCODE_Q, SDLK_q);
    tap(SDL_SCANCODE_KP_8, SDLK_KP_8);
    tap(SDL_SCANCODE_LEFT, SDLK_LEFT);
    tap(SDL_SCANCODE_LCTRL, SDLK_LCTRL);
    EXPECT_EQ(Fetch(source), (Events{InputEvent::Key(162, true), InputEvent::Key(162, false),
                                     InputEvent::Key(37, true), InputEvent::Key(37, false),
                                     InputEvent::Key(38, true), InputEvent::Key(38, false),
                                     InputEvent::Key(32, true), InputEvent::Key(32, false)}))
        << "Left no longer turns; Left Ctrl pauses";
    // A trigger away from Left Alt counts at once; Left Alt, now nobody's, not at all.
    Push(Key(SDL_KEYDOWN, SDL_SCANCODE_L, SDLK_l, 0));
    EXPECT_EQ(Fetch(source), Events{InputEvent::Key(164, true)});
    tap(SDL_SCANCODE_LALT, SDLK_LALT);
    Push(Key(SDL_KEYUP, SDL_SCANCODE_L, SDLK_l, 0));
    EXPECT_EQ(Fetch(source), Events{InputEvent::Key(164, false)});

    // Two keys of one action: the action is let go with the last of them.
    source.SetBindings(DefaultBindings());
    Push(Key(SDL_KEYDOWN, SDL_SCANCODE_K, SDLK_k, 0));
    Push(Key(SDL_KEYDOWN, SDL_SCANCODE_LCTRL, SDLK_LCTRL, 0));
    Push(Key(SDL_KEYUP, SDL_SCANCODE_K, SDLK_k, 0));
    EXPECT_EQ(Fetch(source), Events{InputEvent::Key(162, true)});
    // A key held while the bindings change lets go of what it pressed.
    Push(Key(SDL_KEYDOWN, SDL_SCANCODE_W, SDLK_w, 0));
    EXPECT_EQ(Fetch(source), Events{InputEvent::Key(38, true)});
    Bindings moved = DefaultBindings();
    moved.keys[kThrust] = {SDL_SCANCODE_UP, kNoKey};
    source.SetBindings(moved);
    Push(Key(SDL_KEYUP, SDL_SCANCODE_W, SDLK_w, 0));
    Push(Key(SDL_KEYUP, SDL_SCANCODE_LCTRL, SDLK_LCTRL, 0));
    tap(SDL_SCANCODE_W, SDLK_w);
    EXPECT_EQ(Fetch(source), (Events{InputEvent::Key(38, false), InputEvent::Key(162, false),
                                     InputEvent::Key(87, true), InputEvent::Key(87, false)}));

    // The controls screen hears keys by their place, Ctrl and Esc too.
    source.SetControlMode(ControlMode::AwaitingKey);
    tap(SDL_SCANCODE_Q, SDLK_a);
    tap(SDL_SCANCODE_K, SDLK_k);
    tap(SDL_SCANCODE_ESCAPE, SDLK_ESCAPE);
    EXPECT_EQ(Fetch(source), (Events{InputEvent::Key(81, true), InputEvent::Key(81, false),
                                     InputEvent::Key(75, true), InputEvent::Key(75, false),
                                     InputEvent::Key(27, true), InputEvent::Key(27, false)}));
}

// A pad known to SDL's controller database, made with SDL's virtual joystick.
TEST_F(SdlEvents, PadsFollowTheirBindingsAndComeAndGo) {
    SdlInputSource source(nullptr, 640, 480);
    int present = source.JoystickCount();
    std::vector<InputEvent> events;
    source.FetchFrame(0, events);
    SDL_VirtualJoystickDesc pad{};
    pad.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
    pad.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
    pad.naxes = SDL_CONTROLLER_AXIS_MAX;
    pad.nbuttons = SDL_CONTROLLER_BUTTON_MAX;
    pad.axis_mask = (1u << SDL_CONTROLLER_AXIS_MAX) - 1;
    pad.button_mask = (1u << SDL_CONTROLLER_BUTTON_MAX) - 1;
    pad.name = "Test pad";
    int index = SDL_JoystickAttachVirtualEx(&pad);
    ASSERT_GE(index, 0) << SDL_GetError();
    if (!SDL_IsGameController(index)) GTEST_SKIP() << "this SDL has no mapping for virtual pads";
    int port = present;
    events = Fetch(source);
    EXPECT_EQ(events, (std::vector<InputEvent>{InputEvent::JoyAxis(0, 0.0f, port), InputEvent::JoyAxis(1, 0.0f, port)}))
        << "plugged in while running";

    SDL_Joystick* device = SDL_JoystickOpen(index);
    ASSERT_NE(device, nullptr);
    SDL_JoystickSetVirtualButton(device, SDL_CONTROLLER_BUTTON_A, 1);
    SDL_JoystickSetVirtualButton(device, SDL_CONTROLLER_BUTTON_B, 1);
    SDL_JoystickSetVirtualButton(device, SDL_CONTROLLER_BUTTON_START, 1);
    SDL_JoystickSetVirtualButton(device, SDL_CONTROLLER_BUTTON_LEFTSHOULDER, 1);
    SDL_JoystickSetVirtualButton(device, SDL_CONTROLLER_BUTTON_RIGHTSHOULDER, 1);
    SDL_JoystickSetVirtualButton(device, SDL_CONTROLLER_BUTTON_DPAD_LEFT, 1);
    SDL_JoystickSetVirtualAxis(device, SDL_CONTROLLER_AXIS_LEFTY, -32768);
    SDL_JoystickSetVirtualAxis(device, SDL_CONTROLLER_AXIS_TRIGGERRIGHT, 20000);
    events = Fetch(source);
    std::vector<InputEvent> expected = {
        InputEvent::JoyButton(0, true, port), InputEvent::JoyButton(1, true, port),
        InputEvent::JoyButton(2, true, port), InputEvent::JoyButton(6, true, port),
        InputEvent::JoyAxis(0, -1.0f, port),  InputEvent::JoyAxis(1, -1.0f, port),
        InputEvent::JoyButton(7, true, port),
    };
    for (const InputEvent& event : expected) {
        EXPECT_EQ(std::count(events.begin(), events.end(), event), 1) << "button or axis " << event.code;
    }
    EXPECT_EQ(events.size(), expected.size()) << "the right shoulder is not mapped";

    // The d-pad wins over the stick until it is let go.
    SDL_JoystickSetVirtualAxis(device, SDL_CONTROLLER_AXIS_LEFTX, 32767);
    EXPECT_EQ(Fetch(source), std::vector<InputEvent>{});
    SDL_JoystickSetVirtualButton(device, SDL_CONTROLLER_BUTTON_DPAD_LEFT, 0);
    SDL_JoystickSetVirtualAxis(device, SDL_CONTROLLER_AXIS_TRIGGERRIGHT, 12000);
    EXPECT_EQ(Fetch(source), std::vector<InputEvent>{InputEvent::JoyAxis(0, 1.0f, port)})
        << "the trigger holds between a quarter and a half";

    // Bound buttons: X turns as the d-pad does and Y fires, A no longer;
    // while the controls screen waits for a button, a button is its own number.
    Bindings bound = DefaultBindings();
    bound.buttons[kTurnLeft] = {kPadX, kNoButton};
    bound.buttons[kFire] = {kPadY, kNoButton};
    source.SetBindings(bound);
    SDL_JoystickSetVirtualButton(device, SDL_CONTROLLER_BUTTON_A, 0);
    EXPECT_EQ(Fetch(source), std::vector<InputEvent>{InputEvent::JoyButton(0, false, port)}) << "as it was pressed";
    SDL_JoystickSetVirtualButton(device, SDL_CONTROLLER_BUTTON_A, 1);
    SDL_JoystickSetVirtualButton(device, SDL_CONTROLLER_BUTTON_X, 1);
    EXPECT_EQ(Fetch(source), std::vector<InputEvent>{InputEvent::JoyAxis(0, -1.0f, port)});
    SDL_JoystickSetVirtualButton(device, SDL_CONTROLLER_BUTTON_Y, 1);
    EXPECT_EQ(Fetch(source), std::vector<InputEvent>{InputEvent::JoyButton(0, true, port)});
    source.SetControlMode(ControlMode::AwaitingButton);
    SDL_JoystickSetVirtualButton(device, SDL_CONTROLLER_BUTTON_BACK, 1);
    SDL_JoystickSetVirtualButton(device, SDL_CONTROLLER_BUTTON_X, 0);
    EXPECT_EQ(Fetch(source), (std::vector<InputEvent>{InputEvent::JoyAxis(0, 1.0f, port),
                                                      InputEvent::JoyButton(kPadBack, true, port)}));
    SDL_JoystickSetVirtualButton(device, SDL_CONTROLLER_BUTTON_BACK, 0);
    source.SetControlMode(ControlMode::Actions);
    EXPECT_EQ(Fetch(source), std::vector<InputEvent>{InputEvent::JoyButton(kPadBack, false, port)});

    // Unplugged, everything it held is let go.
    SDL_JoystickClose(device);
    SDL_JoystickDetachVirtual(index);
    events = Fetch(source);
    for (InputEvent event : {InputEvent::JoyButton(0, false, port), InputEvent::JoyButton(7, false, port),
                             InputEvent::JoyAxis(0, 0.0f, port), InputEvent::JoyAxis(1, 0.0f, port)}) {
        EXPECT_EQ(std::count(events.begin(), events.end(), event), 1) << "button or axis " << event.code;
    }
    // Plugged in again, it takes the same port.
    index = SDL_JoystickAttachVirtualEx(&pad);
    EXPECT_EQ(Fetch(source),
              (std::vector<InputEvent>{InputEvent::JoyAxis(0, 0.0f, port), InputEvent::JoyAxis(1, 0.0f, port)}));
    SDL_JoystickDetachVirtual(index);
}

TEST(CloseOnSignal, InterruptAndTerminateSignalsAskToCloseOnceWhateverTheSource) {
    ScriptedInputSource inner;
    CloseOnSignalSource source(inner);
    std::vector<InputEvent> events;
    inner.Add(InputEvent::Key(32, true));
    std::raise(SIGINT);
    source.FetchFrame(0, events);
    EXPECT_EQ(events, (std::vector<InputEvent>{InputEvent::Key(32, true), InputEvent::Close()}));
    events.clear();
    source.FetchFrame(1, events);
    EXPECT_TRUE(events.empty());
    // A source with nothing more to give, like a finished replay, still
    // passes the request on.
    std::raise(SIGTERM);
    EXPECT_FALSE(source.FetchWait(1, events));
    EXPECT_EQ(events, (std::vector<InputEvent>{InputEvent::Close()}));
}

}  // namespace
