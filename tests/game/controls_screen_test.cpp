// The controls screen worked with the mouse, the keys and a pad. Keys come
// to it as the codes of their places, so 'J' is the key in J's place.

#include <SDL.h>
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "game/settings.hpp"
#include "support/game_harness.hpp"

namespace {

// Rows of actions from y 202, 25 apart, then "Back" and "Defaults"; boxes
// for two keys and two pad buttons.
constexpr int kBoxX[] = {215, 330, 445, 560};
constexpr int RowY(int row) { return 202 + 25 * row; }
constexpr int kBackY = RowY(kActionCount);
constexpr int kDefaultsY = RowY(kActionCount + 1);

class ControlsScreenTest : public testing::Test {
protected:
    void Click(int x, int y) {
        h.source.Add(InputEvent::MoveTo(x, y));
        h.source.Add(InputEvent::Mouse(1, true));
        h.source.Add(InputEvent::Mouse(1, false));
        h.RunFrames(1);
    }
    void Press(int code) {
        h.Tap(code);
        h.RunFrames(1);
    }
    void Button(int button) {
        h.source.Add(InputEvent::JoyButton(button, true));
        h.source.Add(InputEvent::JoyButton(button, false));
        h.RunFrames(1);
    }
    const Bindings& bindings() const { return h.game.bindings; }

    GameHarness h;
};

TEST_F(ControlsScreenTest, BindsByMouseKeysAndPadRefusingWhatIsInUse) {
    h.game.run.settings_path = (h.folder / "settings").string();
    Click(320, 350);
    ASSERT_EQ(h.game.controls.open, 1);
    h.RunFrames(1);  // the frame of the click showed the menu
    EXPECT_EQ(h.game.screen, Screen::Controls);
    EXPECT_EQ(h.source.control_mode(), ControlMode::Keys);

    // The mouse: fire's second key becomes J, for the game and the live input.
    Click(kBoxX[1], RowY(kFire));
    EXPECT_EQ(h.source.control_mode(), ControlMode::AwaitingKey);
    Press('J');
    EXPECT_EQ(bindings().keys[kFire], (std::array<int, 2>{SDL_SCANCODE_LCTRL, SDL_SCANCODE_J}));
    EXPECT_EQ(h.source.bindings(), bindings());
    EXPECT_EQ(h.source.control_mode(), ControlMode::Keys);

    // J is fire's now; Esc leaves a box as it was, and does not quit.
    Click(kBoxX[0], RowY(kThrust));
    Press('J');
    EXPECT_EQ(bindings().keys[kThrust], DefaultBindings().keys[kThrust]);
    EXPECT_EQ(h.game.controls.notice, "That key is in use");
    Click(kBoxX[0], RowY(kPause));
    h.Tap(27);
    EXPECT_TRUE(h.RunFrames(1));
    EXPECT_EQ(bindings().keys[kPause], DefaultBindings().keys[kPause]);
    EXPECT_EQ(h.game.controls.awaiting_action, -1);

    // The keys alone: from "Back" up to pause's second key, Enter, then M.
    h.source.Add(InputEvent::MoveTo(kBoxX[1], kBackY));
    Press(38);
    Press(13);
    Press('M');
    EXPECT_EQ(bindings().keys[kPause], (std::array<int, 2>{SDL_SCANCODE_SPACE, SDL_SCANCODE_M}));

    // The pad: button 0 picks fire's second pad button, Y takes it; A is
    // fire's already, so thrust cannot have it.
    h.source.SetJoystickCount(1);
    h.source.Add(InputEvent::MoveTo(kBoxX[3], RowY(kFire)));
    Button(0);
    EXPECT_EQ(h.source.control_mode(), ControlMode::AwaitingButton);
    Button(kPadY);
    EXPECT_EQ(bindings().buttons[kFire], (std::array<int, 2>{kPadA, kPadY}));
    h.source.Add(InputEvent::MoveTo(kBoxX[2], RowY(kThrust)));
    Button(0);
    Button(kPadA);
    EXPECT_EQ(bindings().buttons[kThrust], DefaultBindings().buttons[kThrust]);
    EXPECT_EQ(h.game.controls.notice, "That button is in use");

    // "Back" to the menu; what was bound is saved at the end.
    Bindings chosen = bindings();
    Click(320, kBackY);
    EXPECT_EQ(h.game.controls.open, 0);
    EXPECT_EQ(h.source.control_mode(), ControlMode::Actions);
    SaveChangedSettings(h.game);
    std::stringstream text;
    text << std::ifstream(h.folder / "settings").rdbuf();
    EXPECT_EQ(ParseSettings(text.str()).settings.bindings, chosen) << text.str();

    // "Defaults" puts everything back.
    Click(320, 350);
    Click(320, kDefaultsY);
    EXPECT_EQ(bindings(), DefaultBindings());
    EXPECT_EQ(h.source.bindings(), DefaultBindings());
}

// From the pause menu and back to it; the game stays paused meanwhile.
TEST_F(ControlsScreenTest, OpensFromThePauseMenuAndGoesBackToIt) {
    h.StartPlaying();
    h.RunFrames(300);
    h.Tap(32);
    h.RunFrames(1);
    ASSERT_EQ(h.game.paused, 1);
    Click(320, 350);
    h.RunFrames(1);
    EXPECT_EQ(h.game.screen, Screen::Controls);
    Press(32);  // Space on "Back", where the pointer is put
    EXPECT_EQ(h.game.controls.open, 0);
    EXPECT_EQ(h.game.paused, 1);
    EXPECT_EQ(h.game.screen, Screen::Paused);
}

}  // namespace
