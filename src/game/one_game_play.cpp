#include "game/one_game_play.hpp"

#include <utility>

#include "game/game_start.hpp"
#include "game/rules.hpp"
#include "game/screens.hpp"
#include "game/shell.hpp"
#include "platform/audio/audio.hpp"
#include "platform/video/text.hpp"

OneGamePlay::OneGamePlay(Services& platform, ReplayFile recording, std::string sounds_folder)
    : recording_(recording),
      source_(std::move(recording)),
      services_{platform.clock, platform.display, platform.graphics, input_,
                platform.audio, platform.text,    platform.collision} {
    GameFolders folders;
    folders.sounds = std::move(sounds_folder);
    game_ = std::make_unique<Game>(services_, folders);
    Game& game = *game_;
    game.records_games = false;
    game.save_best = false;
    game.run.fast_exit = true;
    // The events are the source's; what is kept here is where they start and end.
    recording_.events = {};
}

OneGamePlay::~OneGamePlay() {
    Game& game = *game_;
    game.sound.ReleaseChannels();
    if (lender_) std::swap(lender_->images, game.images);
}

void OneGamePlay::LoadAssets() {
    Game& game = *game_;
    game.services.graphics.SetAutoImageFlags(kImageMasked | kImageDynamic);
    CreateSprites(game);
    game.sound.AllocChannels();
    ::LoadAssets(game);
    CloseSplash(game);
}

void OneGamePlay::BorrowAssets(Game& lender) {
    Game& game = *game_;
    lender_ = &lender;
    std::swap(lender.images, game.images);
    game.sound.ShareEffects(lender.sound);
    game.sound.AllocChannels();
}

void OneGamePlay::Start() {
    Game& game = *game_;
    ApplyStart(game, recording_);
    // The caption hands over to a name entry that is never shown; it offers
    // a name so as not to ask the system for one.
    game.scores.table.last_name = "Player";
    // The frame "Start New Game" was chosen in is the last of the game
    // before: it takes no events of the recording's.
    input_.BeginFrame(-1);
    StartGame(game);
    if (game.player.score > game.player.best) UpdateBest(game);
    game.sound.frame_sounds.clear();
    game.frame = 0;
    input_.BeginFrame(0);
    input_.SetControls(recording_.controls);
}

void OneGamePlay::DrawFrame() {
    Game& game = *game_;
    was_over_ = game.game_over;
    DrawMainLoopScreen(game);
}

void OneGamePlay::FinishFrame() {
    Game& game = *game_;
    game.sound.frame_sounds.clear();
    int frame = game.frame;
    bool going_on = FinishMainLoopFrame(game);
    if (over()) return;
    if (game.games_started > 1) {
        ending_ = Ending::kNewGame;
    } else if (game.title_on) {
        // The caption hands over to the title in the playing screen, the
        // pause menu from the paused one.
        ending_ = was_over_ && game.screen == Screen::Playing ? Ending::kGameOver : Ending::kQuit;
    } else if (!going_on) {
        ending_ = Ending::kLeft;
    } else if (frame >= recording_.end) {
        ending_ = Ending::kPastEnd;
    }
    if (over()) last_frame_ = frame;
}

void OneGamePlay::Step() {
    DrawFrame();
    FinishFrame();
}
