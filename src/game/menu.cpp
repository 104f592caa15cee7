#include "game/menu.hpp"

#include "game/controls_screen.hpp"
#include "game/game.hpp"
#include "game/hud.hpp"
#include "game/screens.hpp"
#include "platform/input/input.hpp"
#include "platform/video/text.hpp"

const char* const kCreditLine = "v" REZARUDEV_SHORT_VERSION " - Rezarudev - shoot the burgers, dodge the fries";

namespace {

const char* const menu_items[] = {"Start New Game", "Resume Current Game", "Quit Current Game", "Sound Volume:",
                                  "Music Volume:",  "Music Track:",        "Controls",          "Exit Rezarudev"};
const char* const volume_names[] = {"Off", "10%", "20%", "30%", "40%", "50%", "60%", "70%", "80%", "90%", "100%"};
const char* const track_names[] = {"Random", "Panic!", "Bunstorm", "Horizon"};

enum MenuRow {
    kStartNewGame,
    kResumeGame,
    kQuitGame,
    kSoundVolume,
    kMusicVolume,
    kMusicTrack,
    kControls,
    kExitGame,
    kRowCount
};

// 100% -> Off -> 10% -> ... -> 100%; the volume climbs by 0.1 a click
// rather than being worked out from the step.
void StepVolume(int& step, float& volume) {
    step += 1;
    volume += 0.1f;
    if (step > 10) {
        step = 0;
        volume = 0.0f;
    }
}

std::string RowText(Game& game, int row) {
    std::string text = menu_items[row];
    GameSound& sound = game.sound;
    const char* setting = nullptr;
    if (row == kSoundVolume) setting = volume_names[sound.sfx_vol_step];
    if (row == kMusicVolume) setting = volume_names[sound.music_vol_step];
    if (row == kMusicTrack) setting = track_names[sound.music_track];
    if (setting) {
        text += ' ';
        text += setting;
    }
    return text;
}

void ActOn(Game& game, int row, int title_mode) {
    GameSound& sound = game.sound;
    switch (row) {
    case kStartNewGame:
        StartGame(game);
        break;
    case kResumeGame:
        if (game.paused) Resume(game);
        break;
    case kQuitGame:
        if (!game.title_on) {
            ReturnToTitle(game);
            game.services.input.FlushMouse();
            game.services.input.FlushKeyboard();
        }
        break;
    case kSoundVolume:
        StepVolume(sound.sfx_vol_step, sound.sfx_vol);
        sound.PlaySfx(sound.shoot_snd);
        break;
    case kMusicVolume: {
        float volume = sound.music_vol;
        StepVolume(sound.music_vol_step, volume);
        sound.SetMusicVolume(volume);
        break;
    }
    case kMusicTrack:
        if (!title_mode) {
            sound.music_track += 1;
            if (sound.music_track > 3) sound.music_track = 0;
            sound.SwitchMusic(sound.music_track);
        }
        break;
    case kControls:
        OpenControls(game);
        break;
    case kExitGame:
        game.quit_game = 1;
        break;
    default:
        break;
    }
}

}  // namespace

void JoyToPointer(Game& game) {
    Input& input = game.services.input;
    int mx = input.MouseX(), my = input.MouseY();
    // Each full deflection moves the pointer on its own, so a diagonal is two moves.
    auto nudge = [&](int dx, int dy) {
        mx += dx;
        my += dy;
        input.MoveMouse(mx, my);
    };
    if (input.JoyAxisX(0) == -1.0f) nudge(-6, 0);
    if (input.JoyAxisX(0) == 1.0f) nudge(6, 0);
    if (input.JoyAxisY(0) == -1.0f) nudge(0, -6);
    if (input.JoyAxisY(0) == 1.0f) nudge(0, 6);
}

int FullDeflection(float axis) { return axis == -1.0f ? -1 : axis == 1.0f ? 1 : 0; }

void DrawMenuPointer(Game& game) {
    Graphics& gfx = game.services.graphics;
    Input& input = game.services.input;
    gfx.SetColor(255, 255, 255);
    gfx.SetTransform(330, 0.8f, 0.8f);
    gfx.SetBlend(BLEND_MASK);
    gfx.DrawImage(*game.images.ship_img, static_cast<float>(input.MouseX()), static_cast<float>(input.MouseY()), 0);
    gfx.SetTransform(0, 1, 1);
}

int DrawMenu(Game& game, int title_mode) {
    Graphics& gfx = game.services.graphics;
    Input& input = game.services.input;
    Text& text = game.services.text;
    JoyToPointer(game);
    // Truncating division: the 24 pixels above row 0 also select it.
    int sel = (input.MouseY() - 190) / 25;
    int y = 180;
    for (int row = 0; row < kRowCount; ++row) {
        if (title_mode && row == kMusicTrack) {
            gfx.SetColor(125, 0, 0);
        } else if (row == sel) {
            gfx.SetColor(0, 245, 0);
        } else {
            gfx.SetColor(0, 100, 0);
        }
        std::string label = RowText(game, row);
        text.DrawText(label, static_cast<float>(CentredX(game, label, 320)), static_cast<float>(y));
        y += 25;
    }
    DrawMenuPointer(game);
    return sel;
}

void DrawCreditLine(Game& game) {
    game.services.graphics.SetColor(0, 245, 0);
    game.services.text.DrawText(kCreditLine, static_cast<float>(CentredX(game, kCreditLine, 320)), 456);
    game.services.graphics.SetColor(255, 255, 255);
}

void ClickMenu(Game& game, int row, int title_mode) {
    Input& input = game.services.input;
    if (input.MouseHits(1) || input.JoyButtonHits(0, 0)) ActOn(game, row, title_mode);
}
