#include "game/name_entry.hpp"

#include <pwd.h>
#include <unistd.h>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>

#include "game/game.hpp"
#include "game/hiscore.hpp"
#include "game/hud.hpp"
#include "game/menu.hpp"
#include "platform/input/input.hpp"
#include "platform/system/message.hpp"
#include "platform/system/save_session.hpp"
#include "platform/system/user_files.hpp"
#include "platform/video/text.hpp"

namespace {

constexpr int kKeyBackspace = 8;
constexpr int kKeyEnter = 13;
constexpr int kKeyEscape = 27;
constexpr int kOkTop = 330;
// From the level's left edge to a little before the date's.
constexpr int kLevelColumn = 86;
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

int Deflection(float value) { return value == -1.0f ? -1 : value == 1.0f ? 1 : 0; }

bool StickDeflected(Input& input) { return Deflection(input.JoyAxisX(0)) != 0 || Deflection(input.JoyAxisY(0)) != 0; }

// Anything the player did since the last look; on the menu a stick held
// over moves the pointer, which counts too.
bool PlayerActed(Game& game, bool held_stick_counts) {
    ScoreScreens& screens = game.scores;
    int activity = game.services.input.Activity();
    bool acted = activity != screens.seen_activity || (held_stick_counts && StickDeflected(game.services.input));
    screens.seen_activity = activity;
    return acted;
}

// The input that brings the menu back does nothing else; Esc still leaves.
void SwallowInput(Input& input) {
    input.FlushMouse();
    input.JoyButtonHits(0, 0);
    for (int key = 0; key < Input::kKeys; ++key)
        if (key != kKeyEscape) input.KeyHits(key);
    input.TakeTyped();
}

void ShowMenu(ScoreScreens& screens) {
    screens.view = TitleView::Menu;
    screens.highlight = -1;
    screens.idle_frames = 0;
}

void ShowTable(ScoreScreens& screens, int highlight) {
    screens.view = TitleView::Table;
    screens.highlight = highlight;
    screens.table_frames = 0;
}

// The stored table with this run's entries that are not in it yet; the
// same entry never twice.
ScoreTable WithUnsaved(ScoreTable stored, const ScoreScreens& screens) {
    for (const ScoreEntry& entry : screens.unsaved) {
        if (std::find(stored.entries.begin(), stored.entries.end(), entry) == stored.entries.end())
            AddEntry(stored, entry);
    }
    if (!screens.table.last_name.empty()) stored.last_name = screens.table.last_name;
    return stored;
}

void KeepEntry(Game& game, const std::string& name) {
    ScoreScreens& screens = game.scores;
    screens.entry.name = name;
    screens.table.last_name = name;
    AddEntry(screens.table, screens.entry);
    screens.unsaved.push_back(screens.entry);
    SaveScoreTable(game);
    game.services.input.SetTextInput(false);
    auto kept = std::find(screens.table.entries.begin(), screens.table.entries.end(), screens.entry);
    ShowTable(screens, kept == screens.table.entries.end() ? -1 : static_cast<int>(kept - screens.table.entries.begin()));
}

void Centred(Game& game, const std::string& text, int y, int red, int green, int blue) {
    int x = CentredX(game, text, 320);
    ShadowedText(game, text, x + 2, y + 2, x, y, red, green, blue);
}

bool OverOk(Input& input) { return input.MouseY() >= kOkTop - 10 && input.MouseY() < kOkTop + 25; }

void DrawNameEntry(Game& game) {
    ScoreScreens& screens = game.scores;
    Graphics& gfx = game.services.graphics;
    Text& text = game.services.text;
    Centred(game, "NEW HIGH SCORE", 175, 250, 250, 0);
    Centred(game, "No. " + std::to_string(screens.rank + 1) + " - Score: " + std::to_string(screens.entry.score), 205,
            0, 245, 0);
    Centred(game, "Your name:", 245, 0, 245, 0);
    int x = CentredX(game, screens.name, 320);
    ShadowedText(game, screens.name, x + 2, 277, x, 275, 250, 250, 0);
    if (screens.entry_frames / 20 % 2 == 0) {
        auto at = static_cast<std::size_t>(screens.cursor);
        int left = x + text.TextWidth(screens.name.substr(0, at));
        int width = at < screens.name.size() ? text.TextWidth(screens.name.substr(at, 1)) : text.TextWidth("_");
        gfx.SetColor(250, 250, 0);
        gfx.DrawRect(static_cast<float>(left), 300, static_cast<float>(std::max(width, 4)), 2);
    }
    if (Trimmed(screens.name).empty()) {
        gfx.SetColor(125, 0, 0);
    } else if (OverOk(game.services.input)) {
        gfx.SetColor(0, 245, 0);
    } else {
        gfx.SetColor(0, 100, 0);
    }
    text.DrawText("OK", static_cast<float>(CentredX(game, "OK", 320)), kOkTop);
    Centred(game, "Type it, then Enter, OK or button 0", 395, 0, 245, 0);
    DrawMenuPointer(game);
    gfx.SetColor(255, 255, 255);
}

void DrawTable(Game& game) {
    ScoreScreens& screens = game.scores;
    Text& text = game.services.text;
    Centred(game, "HIGH SCORES", 160, 250, 250, 0);
    int y = 190;
    for (std::size_t i = 0; i < screens.table.entries.size(); ++i, y += 25) {
        const ScoreEntry& entry = screens.table.entries[i];
        bool lit = static_cast<int>(i) == screens.highlight;
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
        if (width > kLevelColumn) game.services.graphics.SetTransform(0, static_cast<float>(kLevelColumn) / static_cast<float>(width), 1);
        column(level, 408);
        game.services.graphics.SetTransform(0, 1, 1);
        column(entry.date, 500);
    }
    game.services.graphics.SetColor(255, 255, 255);
}

void MoveCursor(ScoreScreens& screens, int step) {
    int last = static_cast<int>(std::min(screens.name.size(), kNameLength - 1));
    screens.cursor = std::clamp(screens.cursor + step, 0, last);
}

void StepLetter(ScoreScreens& screens, int step) {
    auto at = static_cast<std::size_t>(screens.cursor);
    if (at >= screens.name.size()) screens.name += ' ';
    char& letter = screens.name[at];
    std::size_t found = kPadLetters.find(letter);
    if (found == std::string_view::npos && letter >= 'a' && letter <= 'z')
        found = kPadLetters.find(static_cast<char>(letter - 'a' + 'A'));
    if (found == std::string_view::npos) found = 0;
    auto count = static_cast<int>(kPadLetters.size());
    letter = kPadLetters[static_cast<std::size_t>((static_cast<int>(found) + step + count) % count)];
}

void Type(ScoreScreens& screens, std::string_view utf8) {
    std::string letters = NameCharsOf(utf8);
    if (letters.empty()) return;
    screens.name += letters.substr(0, kNameLength - std::min(screens.name.size(), kNameLength));
    MoveCursor(screens, static_cast<int>(kNameLength));
}

// Keys type and correct; returns whether Enter came.
bool TakeTyping(Game& game) {
    ScoreScreens& screens = game.scores;
    std::string typed = game.services.input.TakeTyped();
    game.services.input.KeyHits(kKeyBackspace);
    game.services.input.KeyHits(kKeyEnter);
    std::size_t start = 0;
    for (std::size_t at = 0; at <= typed.size(); ++at) {
        if (at < typed.size() && typed[at] != '\b' && typed[at] != '\r') continue;
        Type(screens, std::string_view(typed).substr(start, at - start));
        start = at + 1;
        if (at == typed.size()) break;
        if (typed[at] == '\r') return true;
        if (!screens.name.empty()) screens.name.pop_back();
        MoveCursor(screens, static_cast<int>(kNameLength));
    }
    return false;
}

void TakeStick(Game& game) {
    ScoreScreens& screens = game.scores;
    int x = Deflection(game.services.input.JoyAxisX(0)), y = Deflection(game.services.input.JoyAxisY(0));
    if (x != screens.stick_x || y != screens.stick_y) {
        screens.stick_x = x;
        screens.stick_y = y;
        screens.stick_frames = 0;
    } else {
        ++screens.stick_frames;
    }
    int held = screens.stick_frames;
    if (held != 0 && (held < kRepeatAfter || (held - kRepeatAfter) % kRepeatEvery != 0)) return;
    if (x != 0) MoveCursor(screens, x);
    if (y != 0) StepLetter(screens, -y);
}

void NameEntryFrame(Game& game) {
    ScoreScreens& screens = game.scores;
    Input& input = game.services.input;
    if (screens.entry_frames++ == 0) game.sound.PlaySfx(game.sound.hscore_snd);
    bool confirm = TakeTyping(game);
    TakeStick(game);
    bool clicked = input.MouseHits(1) && OverOk(input);
    confirm = input.JoyButtonHits(0, 0) || clicked || confirm;
    std::string name = Trimmed(screens.name);
    if (confirm && !name.empty()) {
        KeepEntry(game, name);
        // The key, click or button that kept the name must not end the table at once.
        game.FlushInput();
        screens.seen_activity = input.Activity();
    }
}

bool TableFrame(Game& game) {
    ScoreScreens& screens = game.scores;
    if (PlayerActed(game, false)) {
        SwallowInput(game.services.input);
        ShowMenu(screens);
        return false;
    }
    if (screens.highlight < 0 && ++screens.table_frames >= screens.table_limit) {
        ShowMenu(screens);
        return false;
    }
    return true;
}

bool MenuFrame(Game& game, bool fresh) {
    ScoreScreens& screens = game.scores;
    bool acted = PlayerActed(game, true);
    if (fresh || acted) {
        screens.idle_frames = 0;
        return false;
    }
    if (++screens.idle_frames < screens.idle_limit || screens.table.entries.empty()) return false;
    ShowTable(screens, -1);
    return true;
}

}  // namespace

void LoadScoreTable(Game& game) {
    ScoreScreens& screens = game.scores;
    screens.path = ScoresPath(game.folders);
    screens.table = ReadScores(screens.path).table;
}

void SaveScoreTable(Game& game) {
    ScoreScreens& screens = game.scores;
    SaveSession session(std::filesystem::path(screens.path).parent_path().string());
    ScoresRead stored = ReadScores(screens.path, false);
    bool saved = stored.may_save;
    if (!saved) {
        std::fprintf(stderr, "rezarudev: the score table %s cannot be read, so this game is not saved there\n",
                     Printable(screens.path).c_str());
    } else {
        ScoreTable merged = WithUnsaved(stored.table, screens);
        if (!stored.exists || merged != stored.table) {
            if (!stored.text.empty()) saved = KeepUnreadableLines(screens.path, stored.text);
            if (saved) saved = WriteScores(screens.path, merged);
        }
        screens.table = merged;
    }
    // Only what reached the storage is done with; the rest goes with the next save.
    if (!session.Finish()) saved = false;
    if (saved) screens.unsaved.clear();
    if (!saved) game.save_failed = true;
}

void ReadOthersSaves(Game& game) {
    ScoreScreens& screens = game.scores;
    SaveSession session(std::filesystem::path(screens.path).parent_path().string());
    BestScoreRead best = ReadBestScore(BestScorePath(game), false);
    if (best.may_save && best.best > game.player.best) game.player.best = best.best;
    ScoresRead stored = ReadScores(screens.path, false);
    if (stored.may_save) screens.table = WithUnsaved(stored.table, screens);
    session.Finish();
}

void OpenNameEntry(Game& game) {
    ScoreScreens& screens = game.scores;
    int rank = RankOf(screens.table, game.player.score);
    if (rank < 0) return;
    screens.view = TitleView::NameEntry;
    screens.entry = {game.player.score, game.player.level, Today(), {}};
    screens.rank = rank;
    screens.name = screens.table.last_name.empty() ? DefaultPlayerName() : screens.table.last_name;
    screens.cursor = static_cast<int>(std::min(screens.name.size(), kNameLength - 1));
    screens.entry_frames = 0;
    // A stick already held steps nothing until it is let go.
    screens.stick_x = Deflection(game.services.input.JoyAxisX(0));
    screens.stick_y = Deflection(game.services.input.JoyAxisY(0));
    screens.stick_frames = -1000000;
    game.services.input.SetTextInput(true);
}

bool RunScoreScreens(Game& game) {
    ScoreScreens& screens = game.scores;
    // Back on the title after a game, the idle time starts again.
    bool fresh = game.frame != screens.last_title_frame + 1;
    screens.last_title_frame = game.frame;
    bool table = false;
    if (screens.view == TitleView::NameEntry) {
        NameEntryFrame(game);
        if (screens.view == TitleView::NameEntry) {
            game.screen = Screen::NameEntry;
            DrawNameEntry(game);
            return true;
        }
        // The name was kept: the table shows from this frame on.
        table = true;
    } else {
        table = screens.view == TitleView::Table ? TableFrame(game) : MenuFrame(game, fresh);
    }
    if (!table) return false;
    game.screen = Screen::Scores;
    DrawTable(game);
    return true;
}

void FinishNameEntry(Game& game) {
    if (game.scores.view != TitleView::NameEntry) return;
    std::string name = Trimmed(game.scores.name);
    KeepEntry(game, name.empty() ? DefaultPlayerName() : name);
}

std::string DefaultPlayerName() {
    std::string login;
#ifndef __EMSCRIPTEN__
    if (const passwd* user = ::getpwuid(::getuid()); user != nullptr && user->pw_name != nullptr) login = user->pw_name;
    if (login.empty() && std::getenv("USER") != nullptr) login = std::getenv("USER");
#endif
    std::string name = Trimmed(NameCharsOf(login).substr(0, kNameLength));
    return name.empty() ? "Player" : name;
}

std::string Today() {
    std::time_t now = std::time(nullptr);
    std::tm local{};
    char text[16] = "1970-01-01";
    if (::localtime_r(&now, &local) != nullptr) std::strftime(text, sizeof text, "%Y-%m-%d", &local);
    return text;
}
