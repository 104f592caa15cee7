#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "soak.hpp"

namespace {

// One trace line flattened: "ship.death_tmr" -> "0"; arrays are kept whole as
// their text ("sounds" -> "[\"shoot\"]").
using Fields = std::map<std::string, std::string, std::less<>>;

class LineReader {
public:
    explicit LineReader(std::string_view text) : text_(text) {}

    bool Read(Fields& fields) {
        Skip();
        if (!Object("", fields)) return false;
        Skip();
        return at_ == text_.size();
    }

private:
    void Skip() {
        while (at_ < text_.size() && (text_[at_] == ' ' || text_[at_] == '\t' || text_[at_] == '\r')) ++at_;
    }
    bool Take(char c) {
        Skip();
        if (at_ >= text_.size() || text_[at_] != c) return false;
        ++at_;
        return true;
    }
    bool String(std::string& out) {
        if (!Take('"')) return false;
        out.clear();
        while (at_ < text_.size() && text_[at_] != '"') {
            if (text_[at_] == '\\' && at_ + 1 < text_.size()) ++at_;
            out += text_[at_++];
        }
        return Take('"');
    }
    bool Object(const std::string& prefix, Fields& fields) {
        if (!Take('{')) return false;
        if (Take('}')) return true;
        do {
            std::string key;
            if (!String(key) || !Take(':')) return false;
            if (!Value(prefix + key, fields)) return false;
        } while (Take(','));
        return Take('}');
    }
    bool Value(const std::string& name, Fields& fields) {
        Skip();
        if (at_ >= text_.size()) return false;
        char c = text_[at_];
        if (c == '{') return Object(name + ".", fields);
        if (c == '"') return String(fields[name]);
        std::size_t start = at_;
        if (c == '[') {
            int depth = 0;
            for (; at_ < text_.size(); ++at_) {
                if (text_[at_] == '[') ++depth;
                if (text_[at_] == ']' && --depth == 0) break;
            }
            if (at_ >= text_.size()) return false;
            ++at_;
        } else {
            while (at_ < text_.size() && text_[at_] != ',' && text_[at_] != '}') ++at_;
        }
        fields[name] = std::string(text_.substr(start, at_ - start));
        return at_ > start;
    }

    std::string_view text_;
    std::size_t at_ = 0;
};

// What the rules below look at in one frame.
struct Frame {
    int frame = 0;
    std::string screen;
    int score = 0, best = 0, lives = 0, level = 0;
    int warp_on = 0, bonus_on = 0, game_over = 0;
    float msg_alpha = 0;
    int death_tmr = 0, burgers = 0;
    // Everything that belongs to the game rather than to the menu's settings,
    // the sounds or the pointer: none of it may change while paused.
    Fields play;
};

std::optional<double> Number(const Fields& fields, std::string_view name) {
    auto found = fields.find(name);
    if (found == fields.end()) return std::nullopt;
    double value = 0;
    const std::string& text = found->second;
    auto [end, status] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (status != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

bool IsPlayField(const std::string& name) {
    static const std::vector<std::string> kOutside = {
        "frame", "screen", "sounds", "music", "sfx_vol_step", "music_vol_step", "music_track", "pointer", "table",
        "drawn"};
    return std::find(kOutside.begin(), kOutside.end(), name) == kOutside.end();
}

std::optional<Frame> ToFrame(const Fields& fields, std::string& problem) {
    Frame frame;
    auto integer = [&](std::string_view name, int& out) {
        std::optional<double> value = Number(fields, name);
        if (!value || *value != std::floor(*value)) {
            if (problem.empty()) problem = "no integer \"" + std::string(name) + "\"";
            return;
        }
        out = static_cast<int>(*value);
    };
    integer("frame", frame.frame);
    integer("score", frame.score);
    integer("best", frame.best);
    integer("lives", frame.lives);
    integer("level", frame.level);
    integer("warp_on", frame.warp_on);
    integer("bonus_on", frame.bonus_on);
    integer("game_over", frame.game_over);
    integer("ship.death_tmr", frame.death_tmr);
    integer("counts.burgers", frame.burgers);
    std::optional<double> alpha = Number(fields, "msg_alpha");
    if (!alpha && problem.empty()) problem = "no number \"msg_alpha\"";
    frame.msg_alpha = static_cast<float>(alpha.value_or(0));
    auto screen = fields.find("screen");
    if (screen == fields.end() && problem.empty()) problem = "no \"screen\"";
    if (screen != fields.end()) frame.screen = screen->second;
    for (const auto& [name, value] : fields)
        if (IsPlayField(name)) frame.play[name] = value;
    if (!problem.empty()) return std::nullopt;
    return frame;
}

bool Allowed(const std::string& from, const std::string& to) {
    if (from == to) return true;
    if (from == "splash") return to == "title";
    if (from == "title") return to == "playing" || to == "scores" || to == "controls";
    if (from == "playing") return to == "paused" || to == "title" || to == "name_entry";
    if (from == "name_entry") return to == "scores";
    if (from == "scores") return to == "title";
    if (from == "paused") return to == "playing" || to == "title" || to == "controls";
    if (from == "controls") return to == "title" || to == "paused";
    return false;
}

// A game as it starts: at the end of the frame that started it.
bool FreshGame(const Frame& frame) {
    return frame.score == 0 && frame.lives == 3 && frame.level == 1 && frame.warp_on == 1 && frame.msg_alpha == 1.0f &&
           frame.burgers == 1;
}

std::string ChangedFields(const Fields& before, const Fields& after) {
    std::string names;
    for (const auto& [name, value] : after) {
        auto old = before.find(name);
        if (old == before.end() || old->second != value) names += (names.empty() ? "" : ", ") + name;
    }
    return names;
}

class Checker {
public:
    Checker(TraceSummary& summary, std::size_t limit) : summary_(summary), limit_(limit) {}

    void Line(const std::string& text) {
        Fields fields;
        std::string problem;
        std::optional<Frame> frame;
        if (!LineReader(text).Read(fields)) problem = "not a JSON object";
        else frame = ToFrame(fields, problem);
        if (!frame) {
            Breach(line_, "line " + std::to_string(line_ + 1) + ": " + problem);
            ++line_;
            return;
        }
        if (frame->frame != line_)
            Breach(frame->frame, "numbered " + std::to_string(frame->frame) + " on line " + std::to_string(line_ + 1) +
                                     " (frames must run on without gaps)");
        ++line_;
        window_.push_back(std::move(*frame));
        // A paused frame is judged once the next one shows whether the pause ended in it.
        if (window_.size() == 3) {
            Judge(window_[0], window_[1], &window_[2]);
            window_.erase(window_.begin());
        }
    }

    void Finish() {
        if (window_.size() == 2) Judge(window_[0], window_[1], nullptr);
        else if (window_.size() == 1 && line_ == 1) First(window_[0]);
        summary_.frames = line_;
    }

    std::vector<std::string> breaches;

private:
    void Breach(int frame, const std::string& what) {
        if (breaches.size() < limit_) breaches.push_back("frame " + std::to_string(frame) + ": " + what);
    }

    void First(const Frame& now) {
        if (now.screen != "splash") Breach(now.frame, "the run starts on " + now.screen + ", not the splash");
        if (now.best < now.score) Breach(now.frame, "best below score");
    }

    void Judge(const Frame& before, const Frame& now, const Frame* next) {
        if (!judged_first_) {
            First(before);
            judged_first_ = true;
        }
        const int at = now.frame;
        summary_.max_level = std::max(summary_.max_level, now.level);
        summary_.max_score = std::max(summary_.max_score, now.score);

        if (now.best < now.score)
            Breach(at, "best " + std::to_string(now.best) + " below score " + std::to_string(now.score));
        if (now.best < before.best)
            Breach(at, "best fell from " + std::to_string(before.best) + " to " + std::to_string(now.best));

        if (!Allowed(before.screen, now.screen)) Breach(at, "screen " + before.screen + " -> " + now.screen);
        if (before.screen != "paused" && now.screen == "paused") ++summary_.pauses;

        // A game is started by a title frame (key or menu) or a paused frame
        // (menu), and the next frame plays it.
        bool starts_game =
            (now.screen == "title" || now.screen == "paused") && next && next->screen == "playing" && FreshGame(now);
        if (starts_game) ++summary_.games;
        if (now.warp_on && now.msg_alpha == 1.0f) {
            in_warp_ = true;
            warp_steps_ = 0;
        }

        if (now.screen != "playing") {
            // Nothing of the game moves off the playing screen, except in the
            // frame whose menu click starts a game or quits to the title; the
            // end of the splash sets the level shown on the title.
            bool quits = now.screen == "paused" && next && next->screen == "title";
            if (before.screen != "splash" && now.play != before.play && !starts_game && !quits)
                Breach(at, "changed on the " + now.screen + " screen: " + ChangedFields(before.play, now.play));
            if (now.screen == "title" && !starts_game) in_warp_ = false;
            return;
        }

        // Level completion.
        int bonus = 0;
        if (now.level != before.level) {
            if (now.level != before.level + 1) {
                Breach(at, "level " + std::to_string(before.level) + " -> " + std::to_string(now.level));
            } else {
                ++summary_.levels_completed;
                bonus = 250 * now.level;
                int burgers = std::min(now.level, 8);
                if (now.burgers != burgers)
                    Breach(at, "level " + std::to_string(now.level) + " starts with " + std::to_string(now.burgers) +
                                   " burgers, not " + std::to_string(burgers));
                if (now.warp_on != 1 || now.bonus_on != 1 || now.msg_alpha != 1.0f)
                    Breach(at, "a completed level does not start a warp-in with the bonus line");
            }
        }

        // Every award is the level times a multiple of 5; the bonus comes on top.
        int step = now.score - before.score - bonus;
        int unit = 5 * before.level;
        if (step < 0 || (unit > 0 && step % unit != 0))
            Breach(at, "score " + std::to_string(before.score) + " -> " + std::to_string(now.score) + " at level " +
                           std::to_string(before.level) +
                           (bonus ? " with a bonus of " + std::to_string(bonus) : std::string()) +
                           ": not a multiple of " + std::to_string(unit));

        // Lives go only with a death and come only with levels 5, 15 and 30.
        bool died = now.death_tmr > before.death_tmr;
        bool extra = bonus && (now.level == 5 || now.level == 15 || now.level == 30);
        if (died) ++summary_.deaths;
        if (extra) ++summary_.extra_lives;
        int expected = before.lives - (died ? 1 : 0) + (extra ? 1 : 0);
        if (now.lives != expected || now.lives < 0)
            Breach(at, "lives " + std::to_string(before.lives) + " -> " + std::to_string(now.lives) +
                           (died ? " with a death" : " without a death") + (extra ? " and an extra ship" : ""));

        // A warp-in fades in 250 steps of one playing frame each.
        if (in_warp_ && !(now.warp_on && now.msg_alpha == 1.0f)) {
            ++warp_steps_;
            float stepped = before.msg_alpha - 0.004f;
            if (now.msg_alpha != stepped) {
                Breach(at, "warp-in fade " + Real(before.msg_alpha) + " -> " + Real(now.msg_alpha) + " in step " +
                               std::to_string(warp_steps_));
                in_warp_ = false;
            } else if (!now.warp_on) {
                if (warp_steps_ != 250)
                    Breach(at, "a warp-in ended after " + std::to_string(warp_steps_) + " steps, not 250");
                else ++summary_.warps_completed;
                in_warp_ = false;
            } else if (warp_steps_ >= 250) {
                Breach(at, "a warp-in still on after 250 steps");
                in_warp_ = false;
            }
        }
    }

    static std::string Real(float value) {
        char text[32];
        std::snprintf(text, sizeof text, "%.9g", static_cast<double>(value));
        return text;
    }

    TraceSummary& summary_;
    std::size_t limit_;
    std::vector<Frame> window_;
    int line_ = 0;
    bool judged_first_ = false;
    bool in_warp_ = false;
    int warp_steps_ = 0;
};

}  // namespace

std::vector<std::string> CheckTrace(std::istream& trace, TraceSummary& summary, std::size_t limit) {
    summary = TraceSummary();
    Checker checker(summary, limit);
    for (std::string line; std::getline(trace, line);) checker.Line(line);
    checker.Finish();
    return checker.breaches;
}
