#include "game/table_screen.hpp"

#include <algorithm>
#include <string>

#include "game/game.hpp"
#include "game/hud.hpp"
#include "game/kept_replays.hpp"
#include "game/keys.hpp"
#include "game/menu.hpp"
#include "game/watch.hpp"
#include "platform/input/input.hpp"
#include "platform/system/replay_page.hpp"
#include "platform/video/text.hpp"

namespace {

// From the level's left edge to a little before the date's.
constexpr int kLevelColumn = 86;
constexpr int kFirstRowTop = 190;
constexpr int kRowHeight = 25;

void ShowMenu(Game& game) {
    game.title_view = TitleView::Menu;
    game.table_screen.highlight = -1;
    game.table_screen.chosen = -1;
    game.title_idle.frames = 0;
}

// The input that brings the menu back does nothing else; Esc still leaves.
void SwallowInput(Input& input) {
    input.FlushMouse();
    for (int button = 0; button < Input::kJoyButtons; ++button) input.JoyButtonHits(button, 0);
    for (int key = 0; key < Input::kKeys; ++key)
        if (key != kKeyEscape) input.KeyHits(key);
    input.TakeTyped();
}

// The entry whose row is at height y, -1 for none: a row reaches from a
// little above its text to the next one.
int RowAt(const Game& game, int y) {
    if (y < kFirstRowTop - 3) return -1;
    int row = (y - kFirstRowTop + 3) / kRowHeight;
    return row < static_cast<int>(game.scores.table.entries.size()) ? row : -1;
}

// The chosen entry's recording, offered to the page's "Save replay" (in the
// browser; nothing happens on the desktop).
void OfferChosen(Game& game) {
    TableScreen& screen = game.table_screen;
    std::string path;
    if (CanWatchEntry(game, screen.chosen)) {
        const ScoreEntry& entry = game.scores.table.entries[static_cast<std::size_t>(screen.chosen)];
        path = ReplayPath(game.scores.path, entry.replay);
    }
    if (path == screen.offered) return;
    screen.offered = path;
    if (path.empty()) {
        OfferReplay({}, {});
    } else {
        const ScoreEntry& entry = game.scores.table.entries[static_cast<std::size_t>(screen.chosen)];
        OfferReplay(path, "rezarudev-" + std::to_string(entry.score) + ".txt");
    }
}

// Up, Down and the pointer choose; true when the player did any of it.
bool Choose(Game& game) {
    TableScreen& screen = game.table_screen;
    Input& input = game.services.input;
    int rows = static_cast<int>(game.scores.table.entries.size());
    bool chose = false;
    JoyToPointer(game);
    if (input.MouseX() != screen.pointer_x || input.MouseY() != screen.pointer_y) {
        screen.pointer_x = input.MouseX();
        screen.pointer_y = input.MouseY();
        int row = RowAt(game, screen.pointer_y);
        if (row >= 0) screen.chosen = row;
        chose = true;
    }
    if (input.KeyHits(kKeyUp)) {
        screen.chosen = std::max(0, screen.chosen < 0 ? rows - 1 : screen.chosen - 1);
        chose = true;
    }
    if (input.KeyHits(kKeyDown)) {
        screen.chosen = std::min(rows - 1, screen.chosen + 1);
        chose = true;
    }
    return chose;
}

// Enter or button 0 watches the chosen entry, a click the one under the
// pointer; a click elsewhere asks for the menu. Returns whether it did
// either.
bool TakeWatch(Game& game, bool& menu) {
    TableScreen& screen = game.table_screen;
    Input& input = game.services.input;
    bool watch = input.KeyHits(kKeyEnter) != 0;
    watch = input.JoyButtonHits(0, 0) != 0 || watch;
    if (input.MouseHits(1)) {
        int row = RowAt(game, input.MouseY());
        if (row < 0) {
            menu = true;
            return true;
        }
        screen.chosen = row;
        watch = true;
    }
    if (watch && screen.chosen >= 0) WatchEntry(game, screen.chosen);
    return watch;
}

// Any other key (but Esc, which leaves), mouse button or joystick button.
bool OtherPress(Input& input) {
    bool pressed = false;
    for (int key = 0; key < Input::kKeys; ++key)
        if (key != kKeyEscape) pressed = input.KeyHits(key) != 0 || pressed;
    pressed = input.MouseHits(2) != 0 || pressed;
    pressed = input.MouseHits(3) != 0 || pressed;
    for (int button = 1; button < Input::kJoyButtons; ++button)
        pressed = input.JoyButtonHits(button, 0) != 0 || pressed;
    return pressed;
}

}  // namespace

void ShowTable(Game& game, int highlight) {
    TableScreen& screen = game.table_screen;
    game.title_view = TitleView::Table;
    screen.highlight = highlight;
    screen.chosen = highlight;
    screen.frames = 0;
    screen.pointer_x = game.services.input.MouseX();
    screen.pointer_y = game.services.input.MouseY();
}

bool TableFrame(Game& game) {
    TableScreen& screen = game.table_screen;
    // Looked at first, so that the idle title does not count what is done here.
    bool acted = PlayerActed(game, false);
    bool menu = false;
    acted = Choose(game) || acted;
    acted = TakeWatch(game, menu) || acted;
    menu = OtherPress(game.services.input) || menu;
    if (menu) {
        SwallowInput(game.services.input);
        ShowMenu(game);
        OfferChosen(game);
        return false;
    }
    if (acted) screen.frames = 0;
    if (screen.highlight < 0 && ++screen.frames >= screen.limit) {
        ShowMenu(game);
        OfferChosen(game);
        return false;
    }
    OfferChosen(game);
    return true;
}

void DrawTable(Game& game) {
    const ScoreTable& table = game.scores.table;
    Graphics& gfx = game.services.graphics;
    Text& text = game.services.text;
    CentredText(game, "HIGH SCORES", 160, 250, 250, 0);
    int y = kFirstRowTop;
    for (std::size_t i = 0; i < table.entries.size(); ++i, y += kRowHeight) {
        const ScoreEntry& entry = table.entries[i];
        auto index = static_cast<int>(i);
        if (index == game.table_screen.chosen) {
            gfx.SetBlend(BLEND_ALPHA);
            gfx.SetAlpha(0.35f);
            gfx.SetColor(0, 160, 0);
            gfx.DrawRect(60, static_cast<float>(y - 3), 520, static_cast<float>(kRowHeight));
            gfx.SetAlpha(1.0f);
            gfx.SetBlend(BLEND_MASK);
        }
        bool lit = index == game.table_screen.highlight;
        // A game with no recording to watch is drawn darker.
        bool watchable = CanWatchEntry(game, index);
        int red = lit ? 250 : 0, green = lit ? 250 : watchable ? 245 : 150;
        auto column = [&](const std::string& item, int left) {
            ShadowedText(game, item, left + 2, y + 2, left, y, red, green, 0);
        };
        std::string rank = std::to_string(i + 1) + ".";
        column(rank, 70 - text.TextWidth(rank));
        column(entry.name, 80);
        std::string score = std::to_string(entry.score);
        column(score, 392 - text.TextWidth(score));
        // A level no game reaches (a file edited by hand) is squeezed into
        // its column rather than drawn over the date.
        std::string level = "Level " + std::to_string(entry.level);
        int width = text.TextWidth(level);
        if (width > kLevelColumn) gfx.SetTransform(0, static_cast<float>(kLevelColumn) / static_cast<float>(width), 1);
        column(level, 408);
        gfx.SetTransform(0, 1, 1);
        column(entry.date, 500);
    }
    CentredText(game, "Up/Down, pointer: choose - Enter, click, button 0: watch", 446, 0, 150, 0);
    DrawMenuPointer(game);
    gfx.SetColor(255, 255, 255);
}
