#include "platform/input_sdl.hpp"

#include <SDL.h>
#include <gtest/gtest.h>

#include <csignal>
#include <vector>

#include "platform/close_signals.hpp"

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

class SdlEvents : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(SDL_Init(SDL_INIT_EVENTS), 0) << SDL_GetError(); }
    void TearDown() override { SDL_Quit(); }

    static void Push(SDL_Event event) { ASSERT_EQ(SDL_PushEvent(&event), 1) << SDL_GetError(); }

    static SDL_Event Key(Uint32 type, SDL_Scancode scancode, SDL_Keycode keycode, int repeat) {
        SDL_Event event{};
        event.type = type;
        event.key.keysym.scancode = scancode;
        event.key.keysym.sym = keycode;
        event.key.repeat = static_cast<Uint8>(repeat);
        return event;
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
    SDL_Event motion{};
    motion.type = SDL_MOUSEMOTION;
    motion.motion.xrel = 4;
    motion.motion.yrel = -2;
    Push(motion);
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
                          InputEvent::MoveBy(4, -2),
                          InputEvent::Focus(false),
                          InputEvent::Focus(true),
                          InputEvent::Close(),
                      }));
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
