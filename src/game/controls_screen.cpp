#include "game/controls_screen.hpp"

#include <algorithm>
#include <array>
#include <string>
#include <utility>

#include "game/game.hpp"
#include "game/hud.hpp"
#include "game/keys.hpp"
#include "game/menu.hpp"
#include "game/scores.hpp"
#include "platform/input/bindings.hpp"
#include "platform/video/text.hpp"

namespace {

// Rows stand where the menu's do, and a row is picked by the menu's rule, so
// "Back" is where "Controls" was: a double click comes back to the menu.
constexpr int kBackRow = kActionCount;
constexpr int kDefaultsRow = kActionCount + 1;
constexpr int kRowCount = kActionCount + 2;
constexpr int kTop = 180;
constexpr int kRowHeight = 25;
constexpr int kColumnCount = 4;
constexpr int kColumnCentres[kColumnCount] = {215, 330, 445, 560};
constexpr int kNameLeft = 40;
constexpr int kNoticeFrames = 120;

int RowUnder(int y) {
    // Truncating, as the menu: the 24 pixels above the first row pick it too.
    int row = (y - 190) / kRowHeight;
    return row >= 0 && row < kRowCount ? row : -1;
}

int ColumnUnder(int x) {
    int column = 0;
    while (column + 1 < kColumnCount && x >= (kColumnCentres[column] + kColumnCentres[column + 1]) / 2) ++column;
    return column;
}

bool IsKeyColumn(int column) { return column < 2; }

void Say(ControlsScreen& screen, std::string text) {
    screen.notice = std::move(text);
    screen.notice_frames = kNoticeFrames;
}

// Keys and buttons to the live input, and the mode for what the screen waits for.
void ApplyMode(Game& game) { game.services.input.SetControlMode(ControlModeOf(game)); }

void Await(Game& game, int action, int column) {
    ControlsScreen& screen = game.controls;
    screen.awaiting_action = action;
    screen.awaiting_column = column;
    screen.notice_frames = 0;
    ApplyMode(game);
    // What else came with the choice is not the awaited key or button.
    game.services.input.FlushKeyboard();
}

void StopAwaiting(Game& game) {
    game.controls.awaiting_action = -1;
    game.controls.awaiting_column = -1;
    game.FlushInput();
    ApplyMode(game);
}

// A key another action has is refused; one this action has in its other
// slot changes places with what this slot had.
template <std::size_t N>
bool Bind(std::array<int, N>& slots, int slot, int value, int none, int owner, int action) {
    if (owner >= 0 && owner != action) return false;
    if (owner == action) {
        if (slots[slot] != value && slots[slot] != none) std::swap(slots[0], slots[1]);
        return true;
    }
    if (slot == 1 && slots[0] == none) slot = 0;
    slots[slot] = value;
    return true;
}

void BindKey(Game& game, int action, int slot, int key) {
    Bindings& bindings = game.bindings;
    if (!Bind(bindings.keys[action], slot, key, kNoKey, ActionOfKey(bindings, key), action))
        Say(game.controls, "That key is in use");
    ApplyBindings(game);
}

void BindButton(Game& game, int action, int slot, int button) {
    Bindings& bindings = game.bindings;
    if (!Bind(bindings.buttons[action], slot, button, kNoButton, ActionOfButton(bindings, button), action))
        Say(game.controls, "That button is in use");
    ApplyBindings(game);
}

// Only a second key or button goes: every action keeps its first.
void Clear(Game& game, int action, int column) {
    if (column == 1) game.bindings.keys[action][1] = kNoKey;
    if (column == 3) game.bindings.buttons[action][1] = kNoButton;
    ApplyBindings(game);
}

void Close(Game& game) {
    game.controls.open = 0;
    game.controls.notice_frames = 0;
    // Over "Controls" again.
    game.services.input.MoveMouse(320, 352);
    game.FlushInput();
    ApplyMode(game);
}

// Esc, a click or (for a key) button 0 leave the box as it was.
void TakeAwaited(Game& game) {
    ControlsScreen& screen = game.controls;
    Input& input = game.services.input;
    int action = screen.awaiting_action, column = screen.awaiting_column;
    bool key = IsKeyColumn(column);
    bool cancel = input.KeyHits(kKeyEscape) != 0;
    cancel = input.MouseHits(1) != 0 || cancel;
    cancel = input.MouseHits(2) != 0 || cancel;
    if (key) cancel = input.JoyButtonHits(0, 0) != 0 || cancel;
    if (cancel) {
        StopAwaiting(game);
        return;
    }
    if (key) {
        for (int code = 1; code < Input::kKeys; ++code) {
            if (input.KeyHits(code) == 0) continue;
            int pressed = KeyOfPlaceCode(code);
            if (!IsBindableKey(pressed)) continue;
            BindKey(game, action, column, pressed);
            StopAwaiting(game);
            return;
        }
        return;
    }
    for (int button = 0; button < Input::kJoyButtons; ++button) {
        if (input.JoyButtonHits(button, 0) == 0 || !IsBindableButton(button)) continue;
        BindButton(game, action, column - 2, button);
        StopAwaiting(game);
        return;
    }
}

// The arrows go from box to box, taking the pointer along.
void TakeArrows(Game& game, int& row, int& column) {
    Input& input = game.services.input;
    int rows = 0, columns = 0;
    if (input.KeyHits(kKeyUp)) --rows;
    if (input.KeyHits(kKeyDown)) ++rows;
    if (input.KeyHits(kKeyLeft)) --columns;
    if (input.KeyHits(kKeyRight)) ++columns;
    if (rows == 0 && columns == 0) return;
    if (row < 0) row = kBackRow;
    row = (row + rows + kRowCount) % kRowCount;
    column = std::clamp(column + columns, 0, kColumnCount - 1);
    int x = row < kActionCount ? kColumnCentres[column] : 320;
    input.MoveMouse(x, 190 + kRowHeight * row + 12);
}

void TakeChoice(Game& game) {
    Input& input = game.services.input;
    int row = RowUnder(input.MouseY()), column = ColumnUnder(input.MouseX());
    TakeArrows(game, row, column);
    bool clear = input.MouseHits(2) != 0;
    clear = input.KeyHits(kKeyBackspace) != 0 || clear;
    clear = input.KeyHits(kKeyDelete) != 0 || clear;
    bool click = input.MouseHits(1) != 0;
    click = input.JoyButtonHits(0, 0) != 0 || click;
    click = input.KeyHits(kKeyEnter) != 0 || click;
    click = input.KeyHits(kKeySpace) != 0 || click;
    // The pad's trigger button goes back, as B does on most systems.
    if (input.JoyButtonHits(1, 0) != 0 || (click && row == kBackRow)) {
        Close(game);
    } else if (click && row == kDefaultsRow) {
        game.bindings = DefaultBindings();
        ApplyBindings(game);
        Say(game.controls, "Every key and button is back to its default");
    } else if (click && row >= 0 && row < kActionCount) {
        Await(game, row, column);
    } else if (clear && row >= 0 && row < kActionCount) {
        Clear(game, row, column);
    }
}

// What SDL says the key shows, in the font's Latin-1; its name where the
// font has not got the letters.
std::string KeyText(int key) {
    std::string label = KeyLabel(key);
    std::string latin1 = NameCharsOf(label);
    return ToUtf8(latin1) == label && !latin1.empty() ? latin1 : KeyName(key);
}

std::string BoxText(const Game& game, int action, int column) {
    const Bindings& bindings = game.bindings;
    std::string text = IsKeyColumn(column) ? KeyText(bindings.keys[action][column])
                                           : PadButtonLabel(bindings.buttons[action][column - 2]);
    return text.empty() ? "-" : text;
}

void Colour(Game& game, bool lit) {
    if (lit) {
        game.services.graphics.SetColor(0, 245, 0);
    } else {
        game.services.graphics.SetColor(0, 100, 0);
    }
}

void DrawCentred(Game& game, const std::string& text, int centre, int y) {
    game.services.text.DrawText(text, static_cast<float>(CentredX(game, text, centre)), static_cast<float>(y));
}

void Draw(Game& game) {
    ControlsScreen& screen = game.controls;
    Graphics& gfx = game.services.graphics;
    Input& input = game.services.input;
    int row_under = RowUnder(input.MouseY()), column_under = ColumnUnder(input.MouseX());
    bool awaiting = screen.awaiting_action >= 0;
    gfx.SetColor(0, 245, 0);
    DrawCentred(game, "Keys", (kColumnCentres[0] + kColumnCentres[1]) / 2, kTop - kRowHeight);
    DrawCentred(game, "Pad Buttons", (kColumnCentres[2] + kColumnCentres[3]) / 2, kTop - kRowHeight);
    for (int row = 0; row < kRowCount; ++row) {
        int y = kTop + kRowHeight * row;
        if (row >= kActionCount) {
            Colour(game, !awaiting && row == row_under);
            DrawCentred(game, row == kBackRow ? "Back" : "Defaults", 320, y);
            continue;
        }
        Colour(game, !awaiting && row == row_under);
        game.services.text.DrawText(ActionTitle(row), kNameLeft, static_cast<float>(y));
        for (int column = 0; column < kColumnCount; ++column) {
            bool waits = awaiting && screen.awaiting_action == row && screen.awaiting_column == column;
            if (waits) {
                gfx.SetColor(250, 250, 0);
                // Blinks as the name entry's cursor does.
                if (game.frame / 20 % 2 == 0) DrawCentred(game, "?", kColumnCentres[column], y);
                continue;
            }
            Colour(game, !awaiting && row == row_under && column == column_under);
            DrawCentred(game, BoxText(game, row, column), kColumnCentres[column], y);
        }
    }
    std::string line = "Choose a box, then press its new key or button";
    if (screen.notice_frames > 0) {
        line = screen.notice;
    } else if (awaiting) {
        line = std::string(IsKeyColumn(screen.awaiting_column) ? "Press a key for " : "Press a pad button for ") +
               ActionTitle(screen.awaiting_action) + " - Esc leaves it as it was";
    }
    gfx.SetColor(250, 250, 0);
    DrawCentred(game, line, 320, 390);
    if (!awaiting) {
        gfx.SetColor(0, 100, 0);
        DrawCentred(game, "Backspace or a right click clears a second one", 320, 415);
    }
    DrawMenuPointer(game);
    gfx.SetColor(255, 255, 255);
}

}  // namespace

void OpenControls(Game& game) {
    ControlsScreen& screen = game.controls;
    screen.open = 1;
    screen.awaiting_action = -1;
    screen.awaiting_column = -1;
    screen.notice_frames = 0;
    // Over "Back", where "Controls" was clicked.
    game.services.input.MoveMouse(320, 352);
    game.FlushInput();
    ApplyMode(game);
}

bool ControlsFrame(Game& game) {
    JoyToPointer(game);
    if (game.controls.awaiting_action >= 0) {
        TakeAwaited(game);
    } else {
        TakeChoice(game);
    }
    if (!game.controls.open) return false;
    game.screen = Screen::Controls;
    Draw(game);
    if (game.controls.notice_frames > 0) --game.controls.notice_frames;
    return true;
}

ControlMode ControlModeOf(const Game& game) {
    const ControlsScreen& screen = game.controls;
    if (!screen.open) return ControlMode::Actions;
    if (screen.awaiting_action < 0) return ControlMode::Keys;
    return IsKeyColumn(screen.awaiting_column) ? ControlMode::AwaitingKey : ControlMode::AwaitingButton;
}

void ApplyBindings(Game& game) { game.services.input.SetBindings(game.bindings); }
