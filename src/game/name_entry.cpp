#include "game/name_entry.hpp"

#include <algorithm>

#include "game/game.hpp"
#include "game/hud.hpp"
#include "game/keys.hpp"
#include "game/menu.hpp"
#include "game/table_screen.hpp"
#include "platform/input/input.hpp"
#include "platform/system/clock.hpp"
#include "platform/system/login_name.hpp"
#include "platform/video/text.hpp"

namespace {

constexpr int kOkTop = 330;
// What a pad steps through, up for the next; a blank first, so that a name
// grows by one step from its end.
constexpr std::string_view kPadLetters = " ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789.-";
// A stick held in one direction steps again after a third of a second, then
// ten times a second.
constexpr int kRepeatAfter = 20;
constexpr int kRepeatEvery = 6;

std::string Trimmed(const std::string& name) {
    auto first = std::find_if_not(name.begin(), name.end(), IsBlank);
    auto last = std::find_if_not(name.rbegin(), name.rend(), IsBlank).base();
    return first < last ? std::string(first, last) : std::string();
}

void KeepEntry(Game& game, const std::string& name) {
    NameEntry& entry = game.name_entry;
    entry.entry.name = name;
    BoardNameKept(game, name);
    int place = KeepScore(game, entry.entry, std::move(entry.played));
    entry.played.reset();
    game.services.input.SetTextInput(false);
    ShowTable(game, place);
}

bool OverOk(Input& input) { return input.MouseY() >= kOkTop - 10 && input.MouseY() < kOkTop + 25; }

void MoveCursor(NameEntry& entry, int step) {
    int last = static_cast<int>(std::min(entry.name.size(), kNameLength - 1));
    entry.cursor = std::clamp(entry.cursor + step, 0, last);
}

void StepLetter(NameEntry& entry, int step) {
    auto at = static_cast<std::size_t>(entry.cursor);
    if (at >= entry.name.size()) entry.name += ' ';
    char& letter = entry.name[at];
    std::size_t found = kPadLetters.find(letter);
    if (found == std::string_view::npos && letter >= 'a' && letter <= 'z')
        found = kPadLetters.find(static_cast<char>(letter - 'a' + 'A'));
    if (found == std::string_view::npos) found = 0;
    auto count = static_cast<int>(kPadLetters.size());
    letter = kPadLetters[static_cast<std::size_t>((static_cast<int>(found) + step + count) % count)];
}

void Type(NameEntry& entry, std::string_view utf8) {
    std::string letters = NameCharsOf(utf8);
    if (letters.empty()) return;
    entry.name += letters.substr(0, kNameLength - std::min(entry.name.size(), kNameLength));
    MoveCursor(entry, static_cast<int>(kNameLength));
}

// Keys type and correct; returns whether Enter came.
bool TakeTyping(Game& game) {
    NameEntry& entry = game.name_entry;
    std::string typed = game.services.input.TakeTyped();
    game.services.input.KeyHits(kKeyBackspace);
    game.services.input.KeyHits(kKeyEnter);
    std::size_t start = 0;
    for (std::size_t at = 0; at <= typed.size(); ++at) {
        if (at < typed.size() && typed[at] != '\b' && typed[at] != '\r') continue;
        Type(entry, std::string_view(typed).substr(start, at - start));
        start = at + 1;
        if (at == typed.size()) break;
        if (typed[at] == '\r') return true;
        if (!entry.name.empty()) entry.name.pop_back();
        MoveCursor(entry, static_cast<int>(kNameLength));
    }
    return false;
}

void TakeStick(Game& game) {
    NameEntry& entry = game.name_entry;
    int x = FullDeflection(game.services.input.JoyAxisX(0)), y = FullDeflection(game.services.input.JoyAxisY(0));
    if (x != entry.stick_x || y != entry.stick_y) {
        entry.stick_x = x;
        entry.stick_y = y;
        entry.stick_frames = 0;
    } else {
        ++entry.stick_frames;
    }
    int held = entry.stick_frames;
    if (held != 0 && (held < kRepeatAfter || (held - kRepeatAfter) % kRepeatEvery != 0)) return;
    if (x != 0) MoveCursor(entry, x);
    if (y != 0) StepLetter(entry, -y);
}

}  // namespace

void OpenNameEntry(Game& game, std::optional<PlayedGame> played) {
    NameEntry& entry = game.name_entry;
    int rank = RankOf(game.scores.table, game.player.score);
    if (rank < 0) return;
    game.title_view = TitleView::NameEntry;
    entry.entry = {game.player.score, game.player.level, Today(), {}, {}};
    entry.played = std::move(played);
    entry.rank = rank;
    entry.name = OfferedName(game);
    entry.cursor = static_cast<int>(std::min(entry.name.size(), kNameLength - 1));
    entry.entry_frames = 0;
    // A stick already held steps nothing until it is let go.
    entry.stick_x = FullDeflection(game.services.input.JoyAxisX(0));
    entry.stick_y = FullDeflection(game.services.input.JoyAxisY(0));
    entry.stick_frames = -1000000;
    game.services.input.SetTextInput(true, entry.name);
}

void NameEntryFrame(Game& game) {
    NameEntry& entry = game.name_entry;
    Input& input = game.services.input;
    if (entry.entry_frames++ == 0) game.sound.PlaySfx(game.sound.hscore_snd);
    bool confirm = TakeTyping(game);
    TakeStick(game);
    bool clicked = input.MouseHits(1) && OverOk(input);
    confirm = input.JoyButtonHits(0, 0) || clicked || confirm;
    std::string name = Trimmed(entry.name);
    if (confirm && !name.empty()) {
        KeepEntry(game, name);
        // The key, click or button that kept the name must not end the table at once.
        game.FlushInput();
        game.title_idle.seen_activity = input.Activity();
    }
}

void DrawNameEntry(Game& game) {
    NameEntry& entry = game.name_entry;
    Graphics& gfx = game.services.graphics;
    Text& text = game.services.text;
    CentredText(game, "NEW HIGH SCORE", 175, 250, 250, 0);
    CentredText(game, "No. " + std::to_string(entry.rank + 1) + " - Score: " + std::to_string(entry.entry.score),
                205, 0, 245, 0);
    CentredText(game, "Your name:", 245, 0, 245, 0);
    int x = CentredX(game, entry.name, 320);
    ShadowedText(game, entry.name, x + 2, 277, x, 275, 250, 250, 0);
    if (entry.entry_frames / 20 % 2 == 0) {
        auto at = static_cast<std::size_t>(entry.cursor);
        int left = x + text.TextWidth(entry.name.substr(0, at));
        int width = at < entry.name.size() ? text.TextWidth(entry.name.substr(at, 1)) : text.TextWidth("_");
        gfx.SetColor(250, 250, 0);
        gfx.DrawRect(static_cast<float>(left), 300, static_cast<float>(std::max(width, 4)), 2);
    }
    if (Trimmed(entry.name).empty()) {
        gfx.SetColor(125, 0, 0);
    } else if (OverOk(game.services.input)) {
        gfx.SetColor(0, 245, 0);
    } else {
        gfx.SetColor(0, 100, 0);
    }
    text.DrawText("OK", static_cast<float>(CentredX(game, "OK", 320)), kOkTop);
    CentredText(game, "Type it, then Enter, OK or button 0", 395, 0, 245, 0);
    DrawMenuPointer(game);
    gfx.SetColor(255, 255, 255);
}

void FinishNameEntry(Game& game) {
    if (game.title_view != TitleView::NameEntry) return;
    std::string name = Trimmed(game.name_entry.name);
    KeepEntry(game, name.empty() ? DefaultPlayerName() : name);
}

std::string OfferedName(const Game& game) {
    return game.scores.table.last_name.empty() ? DefaultPlayerName() : game.scores.table.last_name;
}

std::string DefaultPlayerName() {
    std::string name = Trimmed(NameCharsOf(LoginName()).substr(0, kNameLength));
    return name.empty() ? "Player" : name;
}
