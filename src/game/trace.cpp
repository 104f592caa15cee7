#include "game/trace.hpp"

#include <cstdio>

#include "game/game.hpp"
#include "game/watch.hpp"
#include "platform/input/input.hpp"

namespace {

const char* ScreenName(Screen screen) {
    switch (screen) {
    case Screen::Splash:
        return "splash";
    case Screen::Title:
        return "title";
    case Screen::Playing:
        return "playing";
    case Screen::Paused:
        return "paused";
    case Screen::NameEntry:
        return "name_entry";
    case Screen::Scores:
        return "scores";
    case Screen::Controls:
        return "controls";
    }
    return "splash";
}

class JsonLine {
public:
    void Field(const char* name, int value) { Key(name), text_ += std::to_string(value); }
    void Field(const char* name, float value) {
        char buffer[32];
        std::snprintf(buffer, sizeof buffer, "%.9g", static_cast<double>(value));
        Key(name);
        text_ += buffer;
    }
    void Field(const char* name, const std::string& value) {
        Key(name);
        text_ += '"';
        for (char c : value) {
            if (c == '"' || c == '\\') text_ += '\\';
            text_ += c;
        }
        text_ += '"';
    }
    void Begin(const char* name) {
        Key(name);
        text_ += '{';
        first_ = true;
    }
    void End() {
        text_ += '}';
        first_ = false;
    }
    void Raw(const char* name, const std::string& json) {
        Key(name);
        text_ += json;
    }
    std::string Finish() { return text_ + "}"; }

private:
    void Key(const char* name) {
        if (!first_) text_ += ',';
        first_ = false;
        text_ += '"';
        text_ += name;
        text_ += "\":";
    }

    std::string text_ = "{";
    bool first_ = true;
};

// The line of `game`'s frame, numbered `frame` in the run.
std::string TraceLineOf(Game& game, int frame, int watching) {
    JsonLine line;
    line.Field("frame", frame);
    line.Field("screen", std::string(ScreenName(game.screen)));
    line.Field("score", game.player.score);
    line.Field("best", game.player.best);
    line.Field("table", static_cast<int>(game.scores.table.entries.size()));
    line.Field("lives", game.player.lives);
    line.Field("level", game.player.level);
    line.Field("warp_on", game.warp_on);
    line.Field("bonus_on", game.bonus_on);
    line.Field("game_over", game.game_over);
    line.Field("msg_alpha", game.msg_alpha);
    const player_tag& ship = game.player;
    line.Begin("ship");
    line.Field("x", ship.x);
    line.Field("y", ship.y);
    line.Field("rotation", ship.rotation);
    line.Field("direction", ship.direction);
    line.Field("speed", ship.speed);
    line.Field("death_tmr", ship.death_tmr);
    line.Field("hspace_ctr", ship.hspace_ctr);
    line.Field("flash_on", ship.flash_on);
    line.Field("shot_tmr", ship.shot_tmr);
    line.Field("shieldhits", ship.shieldhits);
    line.End();
    line.Field("autopow", game.autopow.ptype);
    line.Field("trigpow", game.trigpow.ptype);
    line.Field("uses", game.trigpow.uses);
    line.Begin("counts");
    line.Field("burgers", game.burger_list.Count());
    line.Field("shots", game.shipshot_list.Count());
    line.Field("trail", game.shiptrail_list.Count());
    line.Field("particles", game.particle_list.Count());
    line.Field("shields", game.shield_list.Count());
    line.Field("hspace", game.hspace_list.Count());
    line.Field("mines", game.mine_list.Count());
    line.Field("rockets", game.rocket_list.Count());
    line.Field("explosions", game.explosion_list.Count());
    line.Field("smoke", game.smoke_list.Count());
    line.Field("shipbits", game.shipbits_list.Count());
    line.Field("points", game.points_list.Count());
    line.End();
    const ufo_tag& ufo = game.ufo;
    line.Begin("ufo");
    line.Field("alive", ufo.alive);
    line.Field("x", ufo.x);
    line.Field("y", ufo.y);
    line.Field("scale", ufo.scale);
    line.Field("fry_alive", ufo.fry_alive);
    line.Field("rel_tmr", ufo.rel_tmr);
    line.End();
    const powerup_tag& pickup = game.powerup;
    line.Begin("pickup");
    line.Field("alive", pickup.alive);
    line.Field("x", pickup.x);
    line.Field("y", pickup.y);
    line.Field("frame", pickup.frame);
    line.Field("counter", pickup.counter);
    line.End();
    std::string sounds = "[";
    for (const std::string& stem : game.sound.frame_sounds) {
        if (sounds.size() > 1) sounds += ',';
        sounds += '"' + stem + '"';
    }
    line.Raw("sounds", sounds + "]");
    line.Field("music", game.sound.music_name());
    line.Field("sfx_vol_step", game.sound.sfx_vol_step);
    line.Field("music_vol_step", game.sound.music_vol_step);
    line.Field("music_track", game.sound.music_track);
    // Appended in place: GCC 12 at -O3 takes "[" + std::string for an overlapping copy (-Wrestrict).
    std::string pointer = "[";
    pointer += std::to_string(game.services.input.MouseX());
    pointer += ',';
    pointer += std::to_string(game.services.input.MouseY());
    line.Raw("pointer", pointer + "]");
    line.Field("drawn", game.picture_drawn ? 1 : 0);
    line.Field("watching", watching);
    return line.Finish();
}

}  // namespace

// While a recording is watched, the frame is the watched game's.
std::string TraceLine(Game& game) {
    if (game.watch) return TraceLineOf(game.watch->game(), game.frame, 1);
    return TraceLineOf(game, game.frame, 0);
}
