#include "music.hpp"

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "instruments.hpp"

namespace {

constexpr int kStepsPerBar = 16;

int PitchClassOf(char letter) {
    static constexpr int kClasses[] = {9, 11, 0, 2, 4, 5, 7};  // A B C D E F G
    if (letter < 'A' || letter > 'G') {
        throw std::invalid_argument("bad note letter");
    }
    return kClasses[letter - 'A'];
}

int Modulo(int value, int divisor) { return ((value % divisor) + divisor) % divisor; }

enum class LeadVoice { kPulse, kSaw };
enum class ArpVoice { kPluck, kBell };

struct Palette {
    double bpm = 120.0;
    int bass_floor = 28;
    double bass_brightness = 0.5;
    double bass_gain = 0.5;
    int arp_floor = 64;
    ArpVoice arp_voice = ArpVoice::kPluck;
    double arp_gain = 0.2;
    int pad_floor = 55;
    double pad_brightness = 0.5;
    double pad_attack = 0.3;
    double pad_gain = 0.5;
    LeadVoice lead_voice = LeadVoice::kPulse;
    double lead_width = 0.3;
    double lead_gain = 0.3;
    int stab_floor = 40;
    double stab_gain = 0.25;
    double kick_punch = 0.8;
    double kick_decay = 0.12;
    double kick_gain = 0.9;
    double snare_tone = 185.0;
    double snare_gain = 0.55;
    double hat_gain = 0.22;
    double room_size = 0.7;
    double reverb_gain = 0.8;
    double delay_steps = 3.0;
    double delay_feedback = 0.35;
    double delay_gain = 0.5;
    std::uint64_t seed = 1;
};

struct Section {
    std::vector<std::string_view> chords;  // one per bar
    std::string_view kick;
    std::string_view snare;
    std::string_view hat;
    std::string_view bass;
    std::string_view arp;
    std::string_view stab;
    bool pad = false;
    bool crash = false;
    bool fill = false;
    std::vector<std::string_view> lead;
    // The lead doubled an octave down, for the last, fullest pass of a theme.
    bool lead_double = false;
};

double VelocityOf(char mark) {
    switch (mark) {
    case 'x':
    case 'O':
        return 1.0;
    case 'o':
        return 0.45;
    default:
        return 0.0;
    }
}

int HeldSteps(std::string_view pattern, int step) {
    int length = 1;
    while (step + length < static_cast<int>(pattern.size()) && pattern[step + length] == '-') {
        ++length;
    }
    return length;
}

int ChordTone(const Chord& chord, int index, int floor) {
    const int count = static_cast<int>(chord.intervals.size());
    const int root = floor + Modulo(chord.root - floor, 12);
    return root + chord.intervals[index % count] + 12 * (index / count);
}

class Arrangement {
public:
    Arrangement(const Palette& palette, int bars)
        : palette_(palette),
          step_frames_(kSampleRate * 60.0 / palette.bpm / 4.0),
          frames_(static_cast<std::size_t>(std::lround(step_frames_ * kStepsPerBar * bars))),
          dry_(frames_),
          reverb_bus_(frames_),
          delay_bus_(frames_),
          noise_(palette.seed) {
        for (int variant = 0; variant < 4; ++variant) {
            snares_.push_back(RenderSnare(noise_, palette.snare_tone, 0.13));
            hats_.push_back(RenderHiHat(noise_, 0.025));
            open_hats_.push_back(RenderHiHat(noise_, 0.16));
        }
        kick_ = RenderKick(palette.kick_punch, palette.kick_decay);
        crash_ = RenderCrash(noise_);
    }

    double StepSeconds() const { return step_frames_ / kSampleRate; }

    void Place(const Samples& sound, double step, double gain, double pan, double reverb, double delay) {
        const double left = gain * std::cos(pan * kPi / 2.0);
        const double right = gain * std::sin(pan * kPi / 2.0);
        const std::size_t start = static_cast<std::size_t>(std::lround(step * step_frames_)) % frames_;
        for (std::size_t i = 0; i < sound.size(); ++i) {
            const std::size_t at = (start + i) % frames_;
            const double value = sound[i];
            dry_.left[at] += static_cast<float>(value * left);
            dry_.right[at] += static_cast<float>(value * right);
            reverb_bus_.left[at] += static_cast<float>(value * left * reverb);
            reverb_bus_.right[at] += static_cast<float>(value * right * reverb);
            delay_bus_.left[at] += static_cast<float>(value * left * delay);
            delay_bus_.right[at] += static_cast<float>(value * right * delay);
        }
    }

    void PlaceStereo(const StereoSamples& sound, double step, double gain, double reverb) {
        const std::size_t start = static_cast<std::size_t>(std::lround(step * step_frames_)) % frames_;
        for (std::size_t i = 0; i < sound.Frames(); ++i) {
            const std::size_t at = (start + i) % frames_;
            dry_.left[at] += static_cast<float>(sound.left[i] * gain);
            dry_.right[at] += static_cast<float>(sound.right[i] * gain);
            reverb_bus_.left[at] += static_cast<float>(sound.left[i] * gain * reverb);
            reverb_bus_.right[at] += static_cast<float>(sound.right[i] * gain * reverb);
        }
    }

    void PlayBar(const Section& section, int bar_in_section, double bar_step) {
        const Chord chord = ParseChord(section.chords[bar_in_section]);
        const bool last_bar = bar_in_section + 1 == static_cast<int>(section.chords.size());
        const std::string_view snare = section.fill && last_bar ? std::string_view("....x...x.xoxxxx") : section.snare;
        if (section.crash && bar_in_section == 0) {
            Place(crash_, bar_step, 0.35, 0.35, 0.25, 0.0);
        }
        for (int step = 0; step < kStepsPerBar; ++step) {
            const double at = bar_step + step;
            if (step < static_cast<int>(section.kick.size()) && VelocityOf(section.kick[step]) > 0.0) {
                Place(kick_, at, palette_.kick_gain * VelocityOf(section.kick[step]), 0.5, 0.03, 0.0);
            }
            if (step < static_cast<int>(snare.size()) && VelocityOf(snare[step]) > 0.0) {
                Place(snares_[NextVariant()], at, palette_.snare_gain * VelocityOf(snare[step]), 0.48, 0.22, 0.0);
            }
            if (step < static_cast<int>(section.hat.size()) && VelocityOf(section.hat[step]) > 0.0) {
                const Samples& hat = section.hat[step] == 'O' ? open_hats_[NextVariant()] : hats_[NextVariant()];
                Place(hat, at, palette_.hat_gain * VelocityOf(section.hat[step]), 0.62, 0.05, 0.0);
            }
        }
        PlayBass(section.bass, chord, bar_step);
        PlayArp(section.arp, chord, bar_step);
        PlayStabs(section.stab, chord, bar_step);
        if (section.pad) {
            std::vector<double> frequencies;
            for (std::size_t tone = 0; tone < chord.intervals.size(); ++tone) {
                frequencies.push_back(MidiToFrequency(ChordTone(chord, static_cast<int>(tone), palette_.pad_floor)));
            }
            frequencies.push_back(MidiToFrequency(ChordTone(chord, 0, palette_.pad_floor - 12)));
            const StereoSamples pad = RenderPad(frequencies, StepSeconds() * kStepsPerBar, palette_.pad_brightness,
                                                palette_.pad_attack, noise_);
            PlaceStereo(pad, bar_step, palette_.pad_gain, 0.45);
        }
    }

    void PlayLead(const Section& section, double section_step) {
        int offset = 0;
        for (const std::string_view phrase : section.lead) {
            int length = 0;
            for (const PhraseNote& note : ParsePhrase(phrase, length)) {
                const double gate = StepSeconds() * (note.length - 0.3);
                const double frequency = MidiToFrequency(note.midi);
                const Samples sound = palette_.lead_voice == LeadVoice::kSaw
                                          ? RenderSawLead(frequency, gate, 0.8)
                                          : RenderLead(frequency, gate, palette_.lead_width, 0.7);
                const double at = section_step + offset + note.step;
                Place(sound, at, palette_.lead_gain, 0.5, 0.25, 0.35);
                if (section.lead_double) {
                    Place(RenderSawLead(frequency / 2.0, gate, 0.5), at, palette_.lead_gain * 0.45, 0.3, 0.2, 0.0);
                }
            }
            offset += length;
        }
        if (offset > 0 && offset != static_cast<int>(section.chords.size()) * kStepsPerBar) {
            throw std::logic_error("lead does not fill its section");
        }
    }

    StereoSamples Mixdown() const {
        const StereoSamples reverb = ReverbCircular(reverb_bus_, palette_.room_size, 0.5, 1.0);
        const std::size_t delay_frames = static_cast<std::size_t>(std::lround(palette_.delay_steps * step_frames_));
        const StereoSamples delay = DelayCircular(delay_bus_, delay_frames, palette_.delay_feedback, 3500.0);
        StereoSamples mix(frames_);
        for (std::size_t i = 0; i < frames_; ++i) {
            const double left =
                dry_.left[i] + palette_.reverb_gain * reverb.left[i] + palette_.delay_gain * delay.left[i];
            const double right =
                dry_.right[i] + palette_.reverb_gain * reverb.right[i] + palette_.delay_gain * delay.right[i];
            // Gentle saturation instead of a limiter: it is memoryless, so the loop point stays untouched.
            mix.left[i] = static_cast<float>(std::tanh(left));
            mix.right[i] = static_cast<float>(std::tanh(right));
        }
        return mix;
    }

private:
    std::size_t NextVariant() { return variant_++ % 4; }

    void PlayBass(std::string_view pattern, const Chord& chord, double bar_step) {
        for (int step = 0; step < static_cast<int>(pattern.size()); ++step) {
            int interval = 0;
            switch (pattern[step]) {
            case 'r':
                interval = 0;
                break;
            case 'o':
                interval = 12;
                break;
            case 'f':
                interval = chord.intervals[2 % chord.intervals.size()];
                break;
            case 't':
                interval = chord.intervals[1 % chord.intervals.size()];
                break;
            default:
                continue;
            }
            const int note = ChordTone(chord, 0, palette_.bass_floor) + interval;
            const double gate = StepSeconds() * (HeldSteps(pattern, step) - 0.15);
            Place(RenderBass(MidiToFrequency(note), gate, palette_.bass_brightness), bar_step + step,
                  palette_.bass_gain, 0.5, 0.0, 0.0);
        }
    }

    void PlayArp(std::string_view pattern, const Chord& chord, double bar_step) {
        for (int step = 0; step < static_cast<int>(pattern.size()); ++step) {
            if (pattern[step] < '0' || pattern[step] > '9') {
                continue;
            }
            const int note = ChordTone(chord, pattern[step] - '0', palette_.arp_floor);
            const double frequency = MidiToFrequency(note);
            const double gate = StepSeconds() * 0.8;
            const Samples sound =
                palette_.arp_voice == ArpVoice::kBell ? RenderBell(frequency, gate) : RenderPluck(frequency, gate, 0.8);
            // Alternate sides so the arpeggio spreads across the stereo field.
            const double pan = step % 2 == 0 ? 0.3 : 0.7;
            Place(sound, bar_step + step, palette_.arp_gain, pan, 0.3, 0.4);
        }
    }

    void PlayStabs(std::string_view pattern, const Chord& chord, double bar_step) {
        for (int step = 0; step < static_cast<int>(pattern.size()); ++step) {
            if (pattern[step] != 'x') {
                continue;
            }
            const int note = ChordTone(chord, 0, palette_.stab_floor);
            const double gate = StepSeconds() * (HeldSteps(pattern, step) - 0.2);
            const Samples chord_hit = RenderPowerChord(MidiToFrequency(note), gate);
            Place(chord_hit, bar_step + step, palette_.stab_gain, 0.25, 0.1, 0.0);
            Place(chord_hit, bar_step + step + 0.12, palette_.stab_gain * 0.8, 0.75, 0.1, 0.0);
        }
    }

    Palette palette_;
    double step_frames_;
    std::size_t frames_;
    StereoSamples dry_;
    StereoSamples reverb_bus_;
    StereoSamples delay_bus_;
    NoiseSource noise_;
    Samples kick_;
    Samples crash_;
    std::vector<Samples> snares_;
    std::vector<Samples> hats_;
    std::vector<Samples> open_hats_;
    std::size_t variant_ = 0;
};

StereoSamples RenderSong(const Palette& palette, const std::vector<Section>& sections) {
    int bars = 0;
    for (const Section& section : sections) {
        bars += static_cast<int>(section.chords.size());
    }
    Arrangement arrangement(palette, bars);
    double step = 0.0;
    for (const Section& section : sections) {
        arrangement.PlayLead(section, step);
        for (int bar = 0; bar < static_cast<int>(section.chords.size()); ++bar) {
            arrangement.PlayBar(section, bar, step);
            step += kStepsPerBar;
        }
    }
    return arrangement.Mixdown();
}

StereoSamples Panic() {
    Palette palette;
    palette.bpm = 150.0;
    palette.bass_floor = 28;
    palette.bass_brightness = 0.7;
    palette.arp_floor = 64;
    palette.arp_gain = 0.16;
    palette.pad_floor = 52;
    palette.pad_brightness = 0.45;
    palette.pad_gain = 0.35;
    palette.lead_width = 0.25;
    palette.lead_gain = 0.26;
    palette.delay_steps = 3.0;
    palette.room_size = 0.6;
    palette.seed = 150;

    const std::vector<std::string_view> bars_a = {"Em", "D", "C", "B", "Em", "D", "C", "B"};
    const std::vector<std::string_view> bars_b = {"Am", "F", "C", "B", "Am", "F", "C", "B"};
    const std::vector<std::string_view> phrase_a = {
        "E5:2 G5:2 B5:2 A5:2 G5:2 F#5:2 E5:2 D5:2 F#5:6 D5:2 F#5:4 A5:4",
        "E5:2 G5:2 C6:2 B5:2 G5:2 E5:2 G5:2 C6:2 B5:8 F#5:4 D#5:4",
        "E5:2 G5:2 B5:2 A5:2 G5:2 F#5:2 E5:2 D5:2 F#5:6 D5:2 F#5:4 A5:4",
        "C6:2 B5:2 G5:2 E5:2 G5:2 C6:2 E6:2 C6:2 B5:4 D#6:4 F#6:4 B5:4",
    };
    const std::vector<std::string_view> phrase_b = {
        "A5:4 C6:4 E6:4 C6:4 F6:4 C6:4 A5:6 -:2",
        "G5:4 C6:4 E6:4 G6:4 F#6:6 D#6:2 B5:8",
        "A5:4 C6:4 E6:4 C6:4 F6:4 C6:4 A5:6 -:2",
        "G5:2 A5:2 B5:2 C6:2 E6:4 G6:4 F#6:4 D#6:4 B5:4 F#5:4",
    };
    const std::string_view bass = "rrorrorrrrorrofo";
    const std::string_view arp = "0243024302430243";
    const std::string_view hats = "xoxoxoxoxoxoxoOo";

    std::vector<Section> sections;
    sections.push_back({bars_a, "x...x...x...x...", "", hats, bass, arp, "", false, false, true, {}, false});
    sections.push_back(
        {bars_a, "x...x...x...x..o", "....x.......x...", hats, bass, arp, "", false, true, false, phrase_a, false});
    sections.push_back(
        {bars_b, "x...x...x...x..o", "....x.......x..o", hats, bass, "", "", true, true, true, phrase_b, false});
    sections.push_back({{"Em", "C", "Am", "B", "Em", "C", "Am", "B"},
                        "x.........x.....",
                        "........x.......",
                        "..x...x...x...x.",
                        "r-------r-------",
                        "0.2.4.3.0.2.4.3.",
                        "",
                        true,
                        true,
                        true,
                        {"B5:12 A5:2 G5:2 G5:16 A5:8 C6:8 B5:16", "E6:12 D6:2 C6:2 C6:16 C6:8 E6:8 D#6:16"},
                        false});
    sections.push_back(
        {bars_a, "x...x...x...x..o", "....x.......x...", hats, bass, arp, "", true, true, true, phrase_a, true});
    return RenderSong(palette, sections);
}

StereoSamples Bunstorm() {
    Palette palette;
    palette.bpm = 140.0;
    palette.bass_floor = 33;
    palette.bass_brightness = 0.55;
    palette.bass_gain = 0.55;
    palette.lead_voice = LeadVoice::kSaw;
    palette.lead_gain = 0.22;
    palette.stab_floor = 45;
    palette.stab_gain = 0.16;
    palette.pad_floor = 57;
    palette.pad_gain = 0.4;
    palette.arp_floor = 69;
    palette.arp_gain = 0.14;
    palette.kick_punch = 1.0;
    palette.snare_tone = 200.0;
    palette.snare_gain = 0.65;
    palette.delay_steps = 6.0;
    palette.delay_feedback = 0.3;
    palette.delay_gain = 0.35;
    palette.room_size = 0.55;
    palette.seed = 140;

    const std::string_view kick_verse = "x..x..x.x.x..x..";
    const std::string_view kick_chorus = "x...x...x...x.x.";
    const std::string_view snare = "....x.......x...";
    const std::string_view hats = "x.x.x.x.x.x.x.O.";
    const std::string_view bass = "r-r-o-r-r-r-o-f-";
    const std::string_view stab = "x-.x-.x-..x-.x-.";
    const std::vector<std::string_view> chorus_bars = {"F", "G", "Am", "Am", "F", "G", "C", "E"};
    const std::vector<std::string_view> chorus_lead = {
        "A5:4 A5:2 G5:2 F5:4 C6:4 B5:6 G5:2 D5:8 C6:4 B5:2 A5:2 E5:4 A5:4 A5:12 -:4",
        "A5:4 A5:2 G5:2 F5:4 C6:4 D6:6 B5:2 G5:8 E6:4 D6:2 C6:2 G5:4 C6:4 B5:8 G#5:8",
    };

    std::vector<Section> sections;
    sections.push_back({{"Am", "Am", "F", "G"},
                        "x...x...x...x...",
                        "",
                        "x.x.x.x.x.x.x.x.",
                        bass,
                        "",
                        stab,
                        false,
                        false,
                        true,
                        {},
                        false});
    sections.push_back({{"Am", "F", "C", "G", "Am", "F", "G", "E"},
                        kick_verse,
                        snare,
                        hats,
                        bass,
                        "0.1.2.1.0.1.2.1.",
                        "",
                        false,
                        true,
                        true,
                        {"A4:2 C5:2 E5:4 D5:2 C5:2 A4:4 C5:4 A4:2 C5:2 F5:8 E5:2 G5:2 E5:2 D5:2 C5:4 G4:4 B4:4 D5:4 "
                         "G5:6 -:2",
                         "A5:2 G5:2 E5:4 C5:2 D5:2 E5:4 F5:4 E5:2 D5:2 C5:8 B4:2 C5:2 D5:4 G5:4 F5:4 E5:4 G#5:4 "
                         "B5:6 -:2"},
                        false});
    sections.push_back({chorus_bars, kick_chorus, snare, hats, bass, "", stab, true, true, true, chorus_lead, false});
    sections.push_back({{"Dm", "Dm", "Am", "Am", "Dm", "Dm", "E", "E"},
                        "x.........x.....",
                        "........x.......",
                        "x...x...x...x...",
                        "r-------r---f---",
                        "0.2.4.2.0.2.4.2.",
                        "",
                        true,
                        true,
                        true,
                        {"D5:8 F5:8 A5:16 C6:8 B5:4 A5:4 E5:16", "D5:8 F5:8 A5:12 D6:4 B5:16 G#5:16"},
                        false});
    sections.push_back(
        {chorus_bars, kick_chorus, snare, hats, bass, "0.1.2.1.0.1.2.1.", stab, true, true, true, chorus_lead, true});
    return RenderSong(palette, sections);
}

StereoSamples Horizon() {
    Palette palette;
    palette.bpm = 105.0;
    palette.bass_floor = 26;
    palette.bass_brightness = 0.25;
    palette.bass_gain = 0.5;
    palette.arp_voice = ArpVoice::kBell;
    palette.arp_floor = 74;
    palette.arp_gain = 0.12;
    palette.pad_floor = 50;
    palette.pad_brightness = 0.35;
    palette.pad_attack = 0.8;
    palette.pad_gain = 0.55;
    palette.lead_width = 0.45;
    palette.lead_gain = 0.22;
    palette.kick_punch = 0.5;
    palette.kick_decay = 0.16;
    palette.kick_gain = 0.75;
    palette.snare_tone = 170.0;
    palette.snare_gain = 0.4;
    palette.hat_gain = 0.14;
    palette.room_size = 0.92;
    palette.reverb_gain = 1.3;
    palette.delay_steps = 3.0;
    palette.delay_feedback = 0.55;
    palette.delay_gain = 0.6;
    palette.seed = 105;

    const std::vector<std::string_view> home_bars = {"Dmaj7", "Bm7", "Gmaj7", "Asus4", "Dmaj7", "Bm7", "Gmaj7", "A"};
    const std::string_view arp = "0..2..4..3..2...";
    std::vector<Section> sections;
    sections.push_back({home_bars,
                        "x.........x.....",
                        "",
                        "..o...o...o...o.",
                        "r-----------r---",
                        arp,
                        "",
                        true,
                        false,
                        false,
                        {},
                        false});
    sections.push_back(
        {{"Em7", "Gmaj7", "Dmaj7", "A", "Em7", "Gmaj7", "Dmaj7", "A"},
         "x.........x.....",
         "........x.......",
         "..o.x.o...o.x.o.",
         "r-----r-r-----o-",
         arp,
         "",
         true,
         true,
         false,
         {"B5:6 A5:2 G5:8 F#5:12 D5:4 A5:8 F#5:4 E5:4 E5:16", "B5:6 D6:2 E6:8 D6:8 B5:4 F#5:4 A5:6 C#6:2 F#6:8 E6:16"},
         false});
    sections.push_back({{"Gmaj7", "Gmaj7", "Bm7", "Asus4"},
                        "",
                        "",
                        "",
                        "r---------------",
                        "0..2..4..5..4..2",
                        "",
                        true,
                        false,
                        false,
                        {},
                        false});
    sections.push_back({home_bars,
                        "x.........x.....",
                        "........x.......",
                        "..o.x.o...o.x.oO",
                        "r-----r-r-----o-",
                        arp,
                        "",
                        true,
                        true,
                        true,
                        {"F#6:8 E6:4 D6:4 D6:8 C#6:4 B5:4 B5:12 A5:4 A5:16",
                         "F#5:4 A5:4 D6:4 F#6:4 E6:8 D6:4 B5:4 D6:6 B5:2 G5:8 A5:12 -:4"},
                        false});
    return RenderSong(palette, sections);
}

StereoSamples Title() {
    Palette palette;
    palette.bpm = 126.0;
    palette.bass_floor = 31;
    palette.bass_brightness = 0.6;
    palette.arp_floor = 67;
    palette.arp_gain = 0.15;
    palette.pad_floor = 55;
    palette.pad_gain = 0.4;
    palette.pad_brightness = 0.55;
    palette.lead_width = 0.5;
    palette.lead_gain = 0.25;
    palette.snare_gain = 0.5;
    palette.delay_steps = 3.0;
    palette.delay_gain = 0.4;
    palette.seed = 126;

    const std::vector<std::string_view> home_bars = {"C", "Am", "F", "G", "C", "Am", "F", "G"};
    const std::vector<std::string_view> theme = {
        "E5:2 G5:2 C6:2 G5:2 E5:2 G5:2 C6:4 B5:2 A5:2 E5:2 C5:2 A4:4 -:4 "
        "F5:2 A5:2 C6:2 A5:2 F5:2 A5:2 D6:4 D6:4 B5:2 G5:2 D6:8",
        "E6:2 D6:2 C6:2 G5:2 E5:2 G5:2 C6:4 A5:2 B5:2 C6:2 E6:2 A5:8 "
        "F5:2 A5:2 C6:2 F6:2 E6:2 D6:2 C6:4 B5:4 D6:4 G6:8",
    };
    const std::string_view kick = "x...x...x...x...";
    const std::string_view snare = "....x.......x...";
    const std::string_view hats = "..x...x...x...xo";
    const std::string_view bass = "r.o.r.o.r.o.r.of";
    const std::string_view arp = "0.12.20.1.2.3.2.";

    std::vector<Section> sections;
    sections.push_back({{"C", "Am", "F", "G"}, kick, "", hats, bass, arp, "", false, false, true, {}, false});
    sections.push_back({home_bars, kick, snare, hats, bass, arp, "", false, true, false, theme, false});
    sections.push_back({{"F", "G", "Em", "Am", "F", "G", "C", "C"},
                        kick,
                        snare,
                        "x.x.x.x.x.x.x.x.",
                        "r..r..r.r..r..o.",
                        "",
                        "",
                        true,
                        true,
                        true,
                        {"A5:4 C6:4 F6:4 E6:4 D6:6 B5:2 G5:8 G5:4 B5:4 E6:4 D6:4 C6:6 B5:2 A5:8",
                         "A5:2 C6:2 F6:4 E6:2 D6:2 C6:4 B5:2 D6:2 G6:4 F6:2 E6:2 D6:4 E6:8 G6:8 C6:8 -:4 G5:2 A5:2"},
                        false});
    sections.push_back({home_bars, kick, snare, hats, bass, arp, "", true, true, false, theme, true});
    sections.push_back({{"F", "G", "C", "G"}, kick, snare, hats, bass, arp, "", true, false, true, {}, false});
    return RenderSong(palette, sections);
}

}  // namespace

std::vector<PhraseNote> ParsePhrase(std::string_view text, int& total_steps) {
    std::vector<PhraseNote> notes;
    total_steps = 0;
    std::size_t position = 0;
    while (position < text.size()) {
        if (text[position] == ' ') {
            ++position;
            continue;
        }
        const std::size_t end = std::min(text.find(' ', position), text.size());
        const std::string_view token = text.substr(position, end - position);
        position = end;

        const std::size_t colon = token.find(':');
        const std::string_view pitch = token.substr(0, colon);
        int length = 1;
        if (colon != std::string_view::npos) {
            length = std::stoi(std::string(token.substr(colon + 1)));
        }
        if (length <= 0) {
            throw std::invalid_argument("note length must be positive");
        }
        if (pitch != "-") {
            std::size_t index = 0;
            int pitch_class = PitchClassOf(pitch.at(index++));
            if (index < pitch.size() && pitch[index] == '#') {
                ++pitch_class;
                ++index;
            } else if (index < pitch.size() && pitch[index] == 'b') {
                --pitch_class;
                ++index;
            }
            const int octave = std::stoi(std::string(pitch.substr(index)));
            notes.push_back({total_steps, length, 12 * (octave + 1) + pitch_class});
        }
        total_steps += length;
    }
    return notes;
}

Chord ParseChord(std::string_view name) {
    Chord chord;
    std::size_t index = 0;
    chord.root = PitchClassOf(name.at(index++));
    if (index < name.size() && name[index] == '#') {
        ++chord.root;
        ++index;
    } else if (index < name.size() && name[index] == 'b') {
        --chord.root;
        ++index;
    }
    chord.root = Modulo(chord.root, 12);
    const std::string_view quality = name.substr(index);
    if (quality.empty()) {
        chord.intervals = {0, 4, 7};
    } else if (quality == "m") {
        chord.intervals = {0, 3, 7};
    } else if (quality == "7") {
        chord.intervals = {0, 4, 7, 10};
    } else if (quality == "maj7") {
        chord.intervals = {0, 4, 7, 11};
    } else if (quality == "m7") {
        chord.intervals = {0, 3, 7, 10};
    } else if (quality == "sus4") {
        chord.intervals = {0, 5, 7};
    } else if (quality == "sus2") {
        chord.intervals = {0, 2, 7};
    } else {
        throw std::invalid_argument("unknown chord quality");
    }
    return chord;
}

std::vector<Track> RenderMusic() {
    std::vector<Track> tracks;
    tracks.push_back({"panic.ogg", Panic()});
    tracks.push_back({"bunstorm.ogg", Bunstorm()});
    tracks.push_back({"horizon.ogg", Horizon()});
    tracks.push_back({"title.ogg", Title()});
    return tracks;
}
