#include "game/shell.hpp"

#include "game/game.hpp"
#include "game/hiscore.hpp"
#include "game/hud.hpp"
#include "game/menu.hpp"
#include "game/rules.hpp"
#include "game/settings.hpp"
#include "platform/audio/audio.hpp"
#include "platform/video/collision.hpp"
#include "platform/video/display.hpp"
#include "platform/input/input.hpp"
#include "platform/video/text.hpp"

namespace {

constexpr int kKeyEnter = 13;
constexpr int kKeyEscape = 27;
constexpr int kKeySpace = 32;
constexpr int kKeyLeftControl = 162;

// Where each sprite sits in the atlas; frame n of a strip is 16 pixels
// further right.
struct SpriteCut {
    std::unique_ptr<TImage> Game::*image;
    int width, height, frames, x, y;
};

constexpr SpriteCut kShipCut{&Game::ship_img, 15, 37, 4, 1, 1};
constexpr SpriteCut kIconsCut{&Game::icons_img, 15, 15, 12, 89, 1};
// The order of the single-frame grabs is the order the sprites are cut.
constexpr SpriteCut kSingleCuts[] = {
    {&Game::title_img, 321, 104, 1, 1, 209},   {&Game::shot_img, 4, 9, 1, 66, 1},
    {&Game::burger_img, 77, 63, 1, 1, 40},     {&Game::particle_img, 20, 17, 1, 66, 13},
    {&Game::flame_img, 112, 68, 1, 158, 36},   {&Game::ring_img, 139, 132, 1, 274, 72},
    {&Game::explosion_img, 58, 55, 1, 1, 152}, {&Game::gameover_img, 203, 24, 1, 1, 106},
    {&Game::ufo_img, 53, 53, 1, 81, 40},       {&Game::fries_img, 18, 30, 1, 137, 40},
};

void CreateSprite(Game& game, const SpriteCut& cut) {
    game.*cut.image = game.gfx.CreateImage(cut.width, cut.height, cut.frames);
}

void BuildNameTables(Game& game) {
    game.menu_items = {"Start New Game", "Resume Current Game", "Quit Current Game", "Sound Volume:",
                       "Music Volume:",  "Music Track:",        "Exit Rezarudev"};
    game.volume_names = {"Off", "10%", "20%", "30%", "40%", "50%", "60%", "70%", "80%", "90%", "100%"};
    game.track_names = {"Random", "Panic!", "Bunstorm", "Horizon"};
    game.auto_names = {"None", "Shield", "Gun Sat", "Hologram", "Tri-Force"};
    game.trigger_names = {"Hyper-Space", "Mines", "Rocket", "Armageddon", "Smart-Bomb"};
}

void TitleScreen(Game& game) {
    game.screen = Screen::Title;
    DrawBackground(game, 0);
    game.gfx.SetBlend(BLEND_MASK);
    game.gfx.DrawImage(*game.title_img, 328, 100, 0);
    if (RunScoreScreens(game)) return;
    RunMenu(game, 1);
    Input& input = game.input;
    if (input.KeyHits(kKeyLeftControl) || input.KeyHits(kKeySpace)) {
        ClearPlayfield(game);
        game.title_on = 0;
        game.paused = 0;
        NewGame(game);
        game.FlushInput();
    }
}

void PauseScreen(Game& game) {
    game.screen = Screen::Paused;
    Graphics& gfx = game.gfx;
    gfx.SetBlend(BLEND_SOLID);
    gfx.SetColor(60, 60, 80);
    gfx.DrawImage(*game.pause_img, 0, 0, 0);
    gfx.SetColor(255, 255, 255);
    gfx.SetBlend(BLEND_MASK);
    RunMenu(game, 0);
    Input& input = game.input;
    if (input.KeyHits(kKeySpace) || input.JoyButtonHits(2, 0) || input.KeyHits(kKeyLeftControl)) {
        game.paused = 0;
        if (game.ufo.alive) game.sound.StartUfoLoop();
        game.FlushInput();
    }
}

template <typename T>
int WalkList(Game& game, EntityList<T>& list) {
    return list.Walk([&game](T& object) { object.update(game); });
}

// The ship and everything that follows it, run only while the ship is in
// play (neither warping in nor game over).
void ShipStep(Game& game) {
    Graphics& gfx = game.gfx;
    player_tag& player = game.player;
    autopow_tag& autopow = game.autopow;
    trigpow_tag& trigpow = game.trigpow;
    player.gsfire = 0;
    player.shieldrot += 10.0f;
    if (autopow.ptype == 2) player.gsat_tmr += 1;
    if ((autopow.ptype == 3 || autopow.ptype == 4) && player.sfired == 1) player.gsfire = 1;
    if (player.gsat_tmr >= 40) {
        player.gsfire = 1;
        player.gsat_tmr = 0;
        game.sound.PlaySfx(game.sound.shoot_snd);
    }
    // Without a shield, or in hyperspace, the segments neither move nor fade.
    if (autopow.ptype == 1 && player.hspace_ctr == 0) {
        shield_tag::Create(game, player.shieldrot);
        WalkList(game, game.shield_list);
    }
    autopow.update(game, player.gsfire);
    player.sfired = 0;
    player.update(game);
    player.get_inputs(game);

    if (trigpow.aspin_ctr > 0) {
        trigpow.aspin_ctr += 1;
        player.rotation += 15.0f;
        shipshot_tag::Create(game, player.x, player.y, player.rotation);
        if (trigpow.aspin_ctr > 72) {
            trigpow.aspin_ctr = 0;
            player.direction = player.rotation;
        }
    }
    if (trigpow.sb_scale > 0) {
        gfx.SetBlend(BLEND_ALPHA);
        gfx.SetAlpha(trigpow.sb_alpha);
        gfx.SetScale(trigpow.sb_scale, trigpow.sb_scale);
        gfx.DrawImage(*game.ring_img, trigpow.sb_x, trigpow.sb_y, 0);
        gfx.SetAlpha(1.0f);
        gfx.SetScale(1, 1);
        gfx.SetBlend(BLEND_MASK);
        trigpow.sb_scale += 0.1f;
        trigpow.sb_alpha -= 0.02f;
        if (trigpow.sb_scale > 10) trigpow.sb_scale = 0;
    }
    WalkList(game, game.points_list);
}

void PlayingScreen(Game& game) {
    game.screen = Screen::Playing;
    DrawBackground(game, 1);
    game.services.collision.ResetCollisionLayers(0);
    powerup_tag& powerup = game.powerup;
    if (powerup.alive) {
        powerup.update(game);
    } else {
        powerup.counter -= 1;
        if (powerup.counter <= 0) powerup_tag::Create(game);
    }
    int burger_count = WalkList(game, game.burger_list);
    WalkList(game, game.shipshot_list);
    WalkList(game, game.shiptrail_list);
    WalkList(game, game.explosion_list);
    WalkList(game, game.hspace_list);
    WalkList(game, game.mine_list);
    WalkList(game, game.rocket_list);
    WalkList(game, game.shipbits_list);
    ufo_tag& ufo = game.ufo;
    if (ufo.fry_alive) ufo.fry_update(game);
    if (ufo.alive) {
        ufo.update(game);
    } else {
        ufo.rel_tmr -= 1;
        if (ufo.rel_tmr <= 0) ufo_tag::Create(game);
    }
    int particle_count = WalkList(game, game.particle_list);
    WalkList(game, game.smoke_list);
    if (!game.game_over && !game.warp_on) ShipStep(game);
    if (game.warp_on) AdvanceWarp(game);
    // A level completed behind the caption is settled before the caption
    // steps: in its last frame the caption hands over to the title, which
    // must not inherit a warp-in, a game track or burgers.
    if (burger_count == 0 && particle_count == 0) CompleteLevel(game);
    if (game.game_over) AdvanceGameOver(game);

    Input& input = game.input;
    if (input.KeyHits(kKeySpace) || input.JoyButtonHits(2, 0)) {
        game.paused = 1;
        input.MoveMouse(320, 232);
        if (game.ufo.alive) game.services.audio.StopChannel(game.sound.ufo_chan);
        // The frozen playfield, without the HUD that is drawn next.
        game.gfx.GrabImage(*game.pause_img, 0, 0, 0);
    }
}

}  // namespace

void StartUp(Game& game, std::optional<int> seed) {
    SetUpGame(game, seed);
    ApplySettings(game, game.settings);
    game.fullscreen_at_start = game.services.display.fullscreen();
    game.sound.StartMusic(4);
    ShowSplash(game);
    game.player.level = 1;
    game.input.MoveMouse(320, 204);
    game.pause_img = game.gfx.CreateImage(1024, 768, 1);
}

void SetUpGame(Game& game, std::optional<int> seed) {
    Graphics& gfx = game.gfx;
    Input& input = game.input;
    gfx.SetAutoImageFlags(kImageMasked | kImageDynamic);
    BuildNameTables(game);
    gfx.SetAutoMidHandle(true);
    CreateSprite(game, kShipCut);
    CreateSprite(game, kIconsCut);
    for (const SpriteCut& cut : kSingleCuts) CreateSprite(game, cut);
    gfx.SetAutoMidHandle(false);
    game.sound.AllocChannels();
    game.random.SeedRandom(seed ? *seed : game.services.clock.Milliseconds());
    game.joy_left = -1.0f;
    game.joy_right = 1.0f;
    game.joy_up = -1.0f;
    input.JoystickCount();
    input.SetMouseVisible(false);
    LoadAssets(game);
    LoadBest(game);
    LoadScoreTable(game);
}

void LoadAssets(Game& game) {
    Graphics& gfx = game.gfx;
    std::unique_ptr<TImage> atlas = gfx.LoadImage("incbin::burger1_sf1.png", -1);
    gfx.Cls();
    if (atlas) gfx.DrawImage(*atlas, 0, 0, 0);
    for (int n = 0; n < kShipCut.frames; ++n) gfx.GrabImage(*game.ship_img, kShipCut.x + 16 * n, kShipCut.y, n);
    for (int n = 0; n < kIconsCut.frames; ++n)
        gfx.GrabImage(*game.icons_img, kIconsCut.x + 16 * n, kIconsCut.y, n);
    for (const SpriteCut& cut : kSingleCuts) gfx.GrabImage(*(game.*cut.image), cut.x, cut.y, 0);
    game.game_font = game.services.text.LoadFont("incbin::256bytes.ttf", 22, 4);
    game.services.text.SetFont(game.game_font.get());
    game.bg_img = gfx.LoadImage("incbin::burger1_bg.png", -1);
    if (!game.bg_img) game.bg_img = gfx.CreateImage(640, 640, 1);
    gfx.SetImageMidHandle(*game.bg_img);
    game.sound.LoadEffects();
}

void ShowSplash(Game& game) {
    Graphics& gfx = game.gfx;
    Input& input = game.input;
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

void DrawBackground(Game& game, int animate) {
    Graphics& gfx = game.gfx;
    gfx.SetBlend(BLEND_SOLID);
    if (animate) {
        gfx.SetTransform(game.bg_angle, 1.2f, 1.2f);
    } else {
        gfx.SetTransform(0, 1, 1);
    }
    gfx.DrawImage(*game.bg_img, 320, 240, 0);
    if (animate) game.bg_angle += game.bg_spin;
    gfx.SetTransform(0, 1, 1);
    trigpow_tag& trigpow = game.trigpow;
    if (trigpow.sb_flash > 0) {
        gfx.SetColor(255, 255, 255);
        gfx.SetBlend(BLEND_ALPHA);
        gfx.SetAlpha(trigpow.sb_flash);
        gfx.DrawRect(0, 0, 640, 480);
        trigpow.sb_flash -= 0.04f;
        gfx.SetAlpha(1.0f);
    }
    gfx.SetBlend(BLEND_MASK);
}

bool PointerCaptured(const Game& game) {
    return !game.title_on && !game.paused && !game.warp_on && !game.game_over;
}

bool RunMainLoopFrame(Game& game) {
    if (game.title_on) {
        TitleScreen(game);
    } else if (game.paused) {
        PauseScreen(game);
    } else {
        PlayingScreen(game);
    }
    if (game.player.score > game.player.best) UpdateBest(game);
    DrawHud(game, game.paused || game.title_on ? 1 : 0);
    game.input.SetPointerCaptured(PointerCaptured(game));
    game.Flip();
    game.WaitWhileSuspended();
    Input& input = game.input;
    bool leave = input.KeyHits(kKeyEscape) || game.quit_game || input.TerminateRequested();
    game.NextFrame();
    return !leave && !game.frame_limit_reached;
}

void ShutDown(Game& game) {
    Audio& audio = game.services.audio;
    if (audio.ChannelPlaying(game.sound.music_chan)) {
        audio.StopChannel(game.sound.music_chan);
        if (!game.fast_exit) game.services.clock.Delay(500);
    }
    ClearPlayfield(game);
    SaveBest(game);
    FinishNameEntry(game);
    SaveChangedSettings(game);
}

void RunMainLoop(Game& game) {
    // A frame limit or a close request may already have come during the
    // splash.
    bool leave = game.frame_limit_reached || game.input.TerminateRequested();
    while (!leave) leave = !RunMainLoopFrame(game);
    ShutDown(game);
}
