#include "verify/whole_run.hpp"

#include "game/shell.hpp"

WholeRunPlay::WholeRunPlay(ReplayFile replay, const std::string& empty_folder, FrameObserver* observer)
    : seed_(replay.seed), settings_(replay.settings), source_(std::move(replay)) {
    GameFolders folders;
    folders.best_score = empty_folder + "/hiscore.dat";
    game_ = std::make_unique<Game>(services_, folders);
    game_->observer = observer;
}

WholeRunPlay::~WholeRunPlay() = default;

void WholeRunPlay::Start(int frame_limit) {
    Game& game = *game_;
    game.run.settings = settings_;
    game.run.frame_limit = frame_limit;
    game.run.fast_exit = true;
    StartUp(game, seed_);
    // The name entry after a game over offers the last name kept, else asks
    // the system for the user's, which is not safe while other threads play
    // games of their own. No name is ever entered here.
    game.scores.table.last_name = "Player";
    // As the main loop begins: a close request or the frame limit may already
    // have come during the splash.
    left_ = game.frame_limit_reached || input_.TerminateRequested();
}

bool WholeRunPlay::Step() {
    if (left_) return false;
    left_ = !RunMainLoopFrame(*game_);
    return !left_;
}
