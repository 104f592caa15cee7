#include "game/table_screen.hpp"

#include <string>

#include "game/game.hpp"
#include "game/hud.hpp"
#include "game/keys.hpp"
#include "platform/input/input.hpp"
#include "platform/video/text.hpp"

namespace {

// From the level's left edge to a little before the date's.
constexpr int kLevelColumn = 86;

void ShowMenu(Game& game) {
    game.title_view = TitleView::Menu;
    game.table_screen.highlight = -1;
    game.title_idle.frames = 0;
}

// The input that brings the menu back does nothing else; Esc still leaves.
void SwallowInput(Input& input) {
    input.FlushMouse();
    input.JoyButtonHits(0, 0);
    for (int key = 0; key < Input::kKeys; ++key)
        if (key != kKeyEscape) input.KeyHits(key);
    input.TakeTyped();
}

}  // namespace

void ShowTable(Game& game, int highlight) {
    game.title_view = TitleView::Table;
    game.table_screen.highlight = highlight;
    game.table_screen.frames = 0;
}

bool TableFrame(Game& game) {
    TableScreen& screen = game.table_screen;
    if (PlayerActed(game, false)) {
        SwallowInput(game.services.input);
        ShowMenu(game);
        return false;
    }
    if (screen.highlight < 0 && ++screen.frames >= screen.limit) {
        ShowMenu(game);
        return false;
    }
    return true;
}

void DrawTable(Game& game) {
    const ScoreTable& table = game.scores.table;
    Text& text = game.services.text;
    CentredText(game, "HIGH SCORES", 160, 250, 250, 0);
    int y = 190;
    for (std::size_t i = 0; i < table.entries.size(); ++i, y += 25) {
        const ScoreEntry& entry = table.entries[i];
        bool lit = static_cast<int>(i) == game.table_screen.highlight;
        int red = lit ? 250 : 0, green = lit ? 250 : 245;
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
        if (width > kLevelColumn)
            game.services.graphics.SetTransform(0, static_cast<float>(kLevelColumn) / static_cast<float>(width), 1);
        column(level, 408);
        game.services.graphics.SetTransform(0, 1, 1);
        column(entry.date, 500);
    }
    game.services.graphics.SetColor(255, 255, 255);
}
