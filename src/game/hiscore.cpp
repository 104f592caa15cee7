#include "game/hiscore.hpp"

#include <algorithm>
#include <cstdio>
#include <filesystem>

#include "game/game.hpp"
#include "platform/system/message.hpp"
#include "platform/system/save_session.hpp"
#include "platform/system/user_files.hpp"

namespace {

void WarnUnreadable(const std::string& path, const std::string& why) {
    std::fprintf(stderr,
                 "rezarudev: cannot read the best score from %s (%s); it starts at 0 and the file is left as it is\n",
                 Printable(path).c_str(), why.c_str());
}

}  // namespace

std::string BestScorePath(const Game& game) { return game.folders.best_score; }

BestScoreRead ReadBestScore(const std::string& path, bool warn) {
    UserFile file = ReadUserFile(path, 4);
    if (file.state == UserFile::State::kMissing) return {0, true, false};
    // Anything but exactly 4 bytes is some other file in its place (or a
    // damaged one): no stray bytes ever become a score, and the file stays.
    if (file.state == UserFile::State::kRead && file.bytes.size() != 4) file.problem = "fewer than 4 bytes";
    if (!file.problem.empty()) {
        if (warn) WarnUnreadable(path, file.problem);
        return {0, false, true};
    }
    auto byte = [&file](int at) { return static_cast<std::uint32_t>(static_cast<unsigned char>(file.bytes[at])); };
    std::uint32_t value = byte(0) | byte(1) << 8 | byte(2) << 16 | byte(3) << 24;
    return {static_cast<int>(value), true, true};
}

bool WriteBestScore(const std::string& path, int best) {
    std::uint32_t value = static_cast<std::uint32_t>(best);
    const char bytes[4] = {static_cast<char>(value), static_cast<char>(value >> 8), static_cast<char>(value >> 16),
                           static_cast<char>(value >> 24)};
    return WriteUserFile(path, std::string_view(bytes, sizeof bytes), "the best score");
}

void LoadBest(Game& game) {
    std::string source = BestScoreToRead(game.folders);
    BestScoreRead read = ReadBestScore(source);
    game.player.best = read.best;
    // An unreadable earlier file is not the one written at exit.
    game.save_best = read.may_save || source != BestScorePath(game);
}

void SaveBest(Game& game) {
    if (!game.save_best) return;
    std::string path = BestScorePath(game);
    SaveSession session(std::filesystem::path(path).parent_path().string());
    // Another game may have saved meanwhile: the best is a maximum, so the
    // larger of the two stays, and is shown from now on.
    BestScoreRead stored = ReadBestScore(path, false);
    bool saved = true;
    if (!stored.may_save) {
        std::fprintf(stderr, "rezarudev: %s is no longer a best score file; the best score is not saved there\n",
                     Printable(path).c_str());
        saved = false;
    } else {
        int best = std::max(stored.best, game.player.best);
        if (!stored.exists || best != stored.best) saved = WriteBestScore(path, best);
        game.player.best = best;
    }
    if (!session.Finish()) saved = false;
    if (!saved) game.save_failed = true;
}
