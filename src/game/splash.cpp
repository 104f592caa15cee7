#include "game/splash.hpp"

#include "game/game.hpp"
#include "game/keys.hpp"
#include "game/screens.hpp"
#include "platform/input/input.hpp"

void ShowSplash(Game& game) {
    Graphics& gfx = game.services.graphics;
    Input& input = game.services.input;
    float alpha = 1.0f;
    int count = 0;
    std::unique_ptr<TImage> logo = gfx.LoadImage("incbin::qxlogo.png", -1);
    if (logo) gfx.SetImageMidHandle(*logo);
    for (;;) {
        game.screen = Screen::Splash;
        DrawBackground(game, 0);
        gfx.SetBlend(BLEND_ALPHA);
        gfx.SetAlpha(alpha);
        if (logo) gfx.DrawImage(*logo, 320, 200, 0);
        if (alpha == 1.0f) count += 1;
        if (count > 250) alpha -= 0.01f;
        if (alpha < 0) {
            alpha = 0.0f;
            count += 1;
        }
        gfx.SetBlend(BLEND_MASK);
        gfx.SetAlpha(1.0f);
        game.Flip();
        game.WaitWhileSuspended();
        // A close request is left for the main loop to take, which then ends
        // before its first frame.
        if (count >= 300 || input.MouseHits(1) || input.JoyButtonHits(0, 0) || input.KeyHits(kKeySpace) ||
            input.KeyHits(kKeyEnter) || input.KeyHits(kKeyLeftControl) || input.KeyHits(kKeyEscape) ||
            input.ClosePending())
            break;
        game.NextFrame();
        if (game.frame_limit_reached) return;
    }
    game.FlushInput();
    game.NextFrame();
}
