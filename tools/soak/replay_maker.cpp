#include <algorithm>
#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "soak.hpp"

namespace {

// splitmix64: the same numbers on every machine and library, which the
// standard distributions do not promise.
class Dice {
public:
    explicit Dice(std::uint64_t seed) : state_(seed) {}

    std::uint64_t Next() {
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    // low .. high, both included.
    int Between(int low, int high) {
        return low + static_cast<int>(Next() % static_cast<std::uint64_t>(high - low + 1));
    }
    // True once in `n` calls, on average.
    bool OneIn(int n) { return Next() % static_cast<std::uint64_t>(n) == 0; }

private:
    std::uint64_t state_;
};

constexpr int kLeft = 37, kUp = 38, kRight = 39, kSpace = 32, kCtrl = 162, kAlt = 164;

// Menu rows' pointer heights. A click is always made with the pointer put on
// one of these (or well off the menu) in the same frame, at least 7 pixels
// from the "Controls" and "Exit" rows below them, so that the joystick's
// 6-pixel pointer step in that frame cannot carry it there. Only a visit to
// the controls screen clicks "Controls" (its "Back" is in the same place).
constexpr int kRowY[] = {202, 227, 252, 277, 302, 327};
constexpr int kRowResume = 1, kRowNewGame = 0, kRowQuit = 2;
constexpr int kControlsY = 352;
// The controls screen's boxes: a row for each action, two keys, two pad buttons.
constexpr int kBoxX[] = {215, 330, 445, 560};
constexpr int kVisitFrames = 16;

class RandomPlayer {
public:
    // The visits to the controls screen draw their own numbers, so that the
    // rest of the play is the same with them as it was before there were any.
    RandomPlayer(std::uint64_t seed, int frames) : dice_(seed), visit_dice_(seed ^ 0xC0A7C0A7u), frames_(frames) {}

    std::string Play() {
        for (int frame = 0; frame < frames_ - 1; ++frame) PlayFrame(frame);
        Emit(frames_ - 1, "close");
        std::stable_sort(events_.begin(), events_.end(),
                         [](const Event& a, const Event& b) { return a.frame < b.frame; });
        std::string text = "# random play for the soak test\nseed " + std::to_string(dice_.Between(0, 1 << 30)) + "\n";
        for (const Event& event : events_) text += std::to_string(event.frame) + " " + event.text + "\n";
        return text;
    }

private:
    struct Event {
        int frame;
        std::string text;
    };

    void Emit(int frame, std::string text) {
        if (frame < frames_ - 1) events_.push_back({frame, std::move(text)});
        else if (text == "close") events_.push_back({frame, std::move(text)});
    }

    // A press held for `length` frames; a control already held is left alone.
    void Hold(int frame, const std::string& control, int length) {
        if (held_until_[control] > frame) return;
        held_until_[control] = frame + length;
        Emit(frame, control + " down");
        Emit(frame + length, control + " up");
    }
    void Tap(int frame, const std::string& control) { Hold(frame, control, 1); }

    void Click(int frame, int y) {
        int x = dice_.Between(200, 440);
        bool joystick = dice_.OneIn(3);
        // A visit to the controls screen has the pointer meanwhile.
        if (frame >= visit_from_ && frame < visit_from_ + kVisitFrames) return;
        ClickAt(frame, x, y, joystick);
    }

    void ClickAt(int frame, int x, int y, bool joystick) {
        Emit(frame, "move " + std::to_string(x) + " " + std::to_string(y));
        Tap(frame, joystick ? "joy button 0" : "mouse 1");
    }

    // In a pause with nothing held: "Controls", a box, a key or pad button
    // for it, a right click (which clears a second one, or stops the wait if
    // the press was lost), then "Back", where "Controls" was.
    void VisitControls(int frame) {
        int from = frame + 2;
        for (const auto& [control, until] : held_until_) from = std::max(from, until + 1);
        if (from + kVisitFrames >= pause_until_) return;
        visit_from_ = from;
        ClickAt(from, 320, kControlsY, visit_dice_.OneIn(3));
        int row = visit_dice_.Between(0, 5), column = visit_dice_.Between(0, 3);
        int box_y = kRowY[0] + 25 * row;
        ClickAt(from + 4, kBoxX[column], box_y, visit_dice_.OneIn(3));
        // The pointer stays on the box: pad button 0 given to it looks like a click.
        Emit(from + 7, "move " + std::to_string(kBoxX[column]) + " " + std::to_string(box_y));
        static constexpr std::array<int, 8> kKeys = {75, 81, 87, 90, kLeft, kSpace, kCtrl, kAlt};
        static constexpr std::array<int, 6> kButtons = {0, 1, 2, 3, 9, 12};
        if (column < 2) Tap(from + 7, "key " + std::to_string(kKeys[visit_dice_.Between(0, 7)]));
        else Tap(from + 7, "joy button " + std::to_string(kButtons[visit_dice_.Between(0, 5)]));
        Emit(from + 10, "move " + std::to_string(kBoxX[visit_dice_.OneIn(2) ? 1 : 3]) + " " +
                            std::to_string(kRowY[0] + 25 * visit_dice_.Between(0, 5)));
        Tap(from + 10, "mouse 2");
        ClickAt(from + 13, 320, kControlsY, false);
    }

    void PlayFrame(int frame) {
        if (frame < quiet_until_) return;
        if (frame < pause_until_) {
            PauseFrame(frame);
            return;
        }
        if (dice_.OneIn(900)) {
            // Pause, work the menu for a while, then go on.
            Tap(frame, dice_.OneIn(3) ? "joy button 2" : "key " + std::to_string(kSpace));
            pause_until_ = frame + dice_.Between(20, 240);
            if (visit_dice_.OneIn(3)) VisitControls(frame);
            return;
        }
        if (dice_.OneIn(3000)) {
            int back = frame + dice_.Between(1, 90);
            Emit(frame, "focus lost");
            Emit(back, "focus gained");
            quiet_until_ = back + 1;
            return;
        }
        if (dice_.OneIn(12))
            Hold(frame, "key " + std::to_string(dice_.OneIn(2) ? kLeft : kRight), dice_.Between(2, 40));
        if (dice_.OneIn(70)) Hold(frame, "key " + std::to_string(kUp), dice_.Between(3, 45));
        if (dice_.OneIn(7)) Tap(frame, "key " + std::to_string(kCtrl));
        if (dice_.OneIn(160)) Tap(frame, "key " + std::to_string(kAlt));
        if (dice_.OneIn(2500)) Tap(frame, "key " + std::to_string(kSpace));
        if (dice_.OneIn(150)) {
            int y = dice_.OneIn(2) ? dice_.Between(0, 160) : dice_.Between(372, 479);
            Emit(frame, "move " + std::to_string(dice_.Between(0, 639)) + " " + std::to_string(y));
        }
        if (dice_.OneIn(250)) Click(frame, kRowY[dice_.Between(0, 5)]);
        if (dice_.OneIn(400)) Hold(frame, "mouse 2", dice_.Between(5, 60));
        if (dice_.OneIn(400)) Hold(frame, "mouse 3", dice_.Between(1, 10));
        if (dice_.OneIn(110)) {
            static constexpr std::array<const char*, 7> kValues = {"-1", "1", "0", "0", "0.5", "-0.75", "1"};
            Emit(frame, "joy axis " + std::to_string(dice_.Between(0, 1)) + " " + kValues[dice_.Between(0, 6)]);
        }
        // Button 0 fires, but clicks in a menu: Click presses it too.
        if (dice_.OneIn(180)) {
            static constexpr std::array<int, 3> kButtons = {1, 6, 7};
            int button = kButtons[dice_.Between(0, 2)];
            Hold(frame, "joy button " + std::to_string(button), button == 7 ? dice_.Between(5, 40) : 1);
        }
    }

    void PauseFrame(int frame) {
        if (frame == pause_until_ - 1) {
            switch (dice_.Between(0, 9)) {
            case 0:
                Tap(frame, "key " + std::to_string(kSpace));
                break;
            case 1:
                Tap(frame, "key " + std::to_string(kCtrl));
                break;
            case 2:
                Tap(frame, "joy button 2");
                break;
            case 3:
                Click(frame, kRowY[kRowNewGame]);
                break;
            case 4:
                Click(frame, kRowY[kRowQuit]);
                break;
            default:
                Click(frame, kRowY[kRowResume]);
                break;
            }
            return;
        }
        if (dice_.OneIn(25)) Click(frame, kRowY[dice_.Between(3, 5)]);
        if (dice_.OneIn(60)) {
            // The stick moves the pointer while its axis stays at full deflection.
            Emit(frame, "joy axis " + std::to_string(dice_.Between(0, 1)) + " " + (dice_.OneIn(2) ? "1" : "-1"));
            Emit(frame + dice_.Between(1, 8), "joy axis 0 0");
            Emit(frame + dice_.Between(1, 8), "joy axis 1 0");
        }
    }

    Dice dice_;
    Dice visit_dice_;
    int frames_;
    std::vector<Event> events_;
    std::map<std::string, int> held_until_;
    int pause_until_ = 0;
    int quiet_until_ = 0;
    int visit_from_ = -1000;
};

}  // namespace

std::string MakeSoakReplay(std::uint64_t seed, int frames) { return RandomPlayer(seed, std::max(frames, 2)).Play(); }
