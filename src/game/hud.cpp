#include "game/hud.hpp"

#include "entities/player/power_kinds.hpp"
#include "game/game.hpp"
#include "platform/video/text.hpp"

namespace {

constexpr int kShadow = 20;

}  // namespace

void ShadowedText(Game& game, const std::string& text, int shadow_x, int shadow_y, int x, int y, int red, int green,
                  int blue) {
    Text& writer = game.services.text;
    game.services.graphics.SetColor(kShadow, kShadow, kShadow);
    writer.DrawText(text, static_cast<float>(shadow_x), static_cast<float>(shadow_y));
    game.services.graphics.SetColor(red, green, blue);
    writer.DrawText(text, static_cast<float>(x), static_cast<float>(y));
}

// Text is appended in place throughout: GCC 12 at -O3 takes "literal" +
// std::string for an overlapping copy (-Wrestrict).
std::string TwoDigits(int value) {
    std::string text = std::to_string(value);
    if (value < 10) text.insert(0, 1, '0');
    return text;
}

int CentredX(Game& game, const std::string& text, int centre) {
    return centre - game.services.text.TextWidth(text) / 2;
}

void CentredText(Game& game, const std::string& text, int y, int red, int green, int blue) {
    int x = CentredX(game, text, 320);
    ShadowedText(game, text, x + 2, y + 2, x, y, red, green, blue);
}

std::string ScoreText(const Game& game) { return "Score:" + TwoDigits(game.player.score); }

std::string BestText(const Game& game) {
    return (game.player.best < 10 ? "Best:0" : "Best:") + std::to_string(game.player.best);
}

std::string LevelText(const Game& game) { return "Level:" + TwoDigits(game.player.level); }

std::string PowerUpText(const Game& game) {
    std::string line = "Power-Up: [ Auto: ";
    line += kAutoKinds[game.autopow.ptype].name;
    line += " ]  [ Trigger: ";
    line += kTriggerKinds[game.trigpow.ptype].name;
    if (game.trigpow.uses > 0) {
        line += ' ';
        line += std::to_string(game.trigpow.uses);
    }
    return line + " ]";
}

void DrawHud(Game& game, int status_only) {
    Graphics& gfx = game.services.graphics;
    player_tag& player = game.player;

    std::string score = ScoreText(game);
    ShadowedText(game, score, 4, 4, 2, 2, 0, 245, 0);

    std::string best = BestText(game);
    ShadowedText(game, best, CentredX(game, best, 320), 2, CentredX(game, best, 320), 0, 0, 245, 0);

    std::string level = LevelText(game);
    ShadowedText(game, level, 566, 2, 564, 0, 0, 245, 0);
    gfx.SetColor(255, 255, 255);
    if (status_only) return;

    for (int k = 0; k <= player.lives - 2; ++k) {
        float x = static_cast<float>(12 + 18 * k);
        gfx.SetScale(1.0f, 0.6f);
        gfx.SetColor(kShadow, kShadow, kShadow);
        gfx.DrawImage(*game.images.ship_img, x + 2, 474, 0);
        gfx.SetColor(255, 255, 255);
        gfx.DrawImage(*game.images.ship_img, x, 472, 0);
    }
    gfx.SetScale(1, 1);

    std::string line = PowerUpText(game);
    int width = game.services.text.TextWidth(line);
    ShadowedText(game, line, 640 - width, 456, 638 - width, 454, 0, 245, 0);
    gfx.SetColor(255, 255, 255);
}

void DrawWarpMessage(Game& game) {
    Graphics& gfx = game.services.graphics;
    gfx.SetBlend(BLEND_ALPHA);
    gfx.SetAlpha(game.msg_alpha);
    if (game.bonus_on) {
        std::string bonus = "LEVEL COMPLETE! - BONUS: " + std::to_string(250 * game.player.level);
        ShadowedText(game, bonus, CentredX(game, bonus, 322), 242, CentredX(game, bonus, 320), 240, 0, 250, 0);
    }
    std::string level = "LEVEL: " + std::to_string(game.player.level) + " - Warping... Prepare For Arrival!";
    ShadowedText(game, level, CentredX(game, level, 322), 212, CentredX(game, level, 320), 210, 250, 250, 0);
    gfx.SetColor(255, 255, 255);
    gfx.SetAlpha(1.0f);
    gfx.SetBlend(BLEND_MASK);
}

void DrawGameOverCaption(Game& game) {
    Graphics& gfx = game.services.graphics;
    gfx.SetBlend(BLEND_ALPHA);
    gfx.SetAlpha(game.msg_alpha);
    gfx.DrawImage(*game.images.gameover_img, 320, 220, 0);
    gfx.SetAlpha(1.0f);
    gfx.SetBlend(BLEND_MASK);
}

void DrawPausedCaption(Game& game) {
    std::string caption = "- Game is PAUSED -";
    game.services.graphics.SetColor(245, 245, 0);
    game.services.text.DrawText(caption, static_cast<float>(CentredX(game, caption, 320)), 100);
}
