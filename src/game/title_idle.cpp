#include "game/title_idle.hpp"

#include "game/game.hpp"
#include "game/menu.hpp"
#include "game/table_screen.hpp"
#include "platform/input/input.hpp"

bool PlayerActed(Game& game, bool held_stick_counts) {
    TitleIdle& idle = game.title_idle;
    Input& input = game.services.input;
    int activity = input.Activity();
    bool acted = activity != idle.seen_activity ||
                 (held_stick_counts && (FullDeflection(input.JoyAxisX(0)) != 0 || FullDeflection(input.JoyAxisY(0)) != 0));
    idle.seen_activity = activity;
    return acted;
}

bool TitleStartsAfresh(Game& game) {
    TitleIdle& idle = game.title_idle;
    bool fresh = game.frame != idle.last_title_frame + 1;
    idle.last_title_frame = game.frame;
    return fresh;
}

bool IdleRunsOut(Game& game, bool fresh) {
    TitleIdle& idle = game.title_idle;
    bool acted = PlayerActed(game, true);
    if (fresh || acted) {
        idle.frames = 0;
        return false;
    }
    if (++idle.frames < idle.limit || game.scores.table.entries.empty()) return false;
    ShowTable(game, -1);
    return true;
}
