#include "effects.hpp"

#include <algorithm>
#include <cmath>

#include "instruments.hpp"

namespace {

double TimeOf(std::size_t frame) { return static_cast<double>(frame) / kSampleRate; }

// One-shots must end in silence, however their envelopes were drawn.
void FadeEdges(Samples& samples, double fade_in, double fade_out) {
    const std::size_t in_frames = std::min(samples.size(), SecondsToFrames(fade_in));
    for (std::size_t i = 0; i < in_frames; ++i) {
        samples[i] *= static_cast<float>(static_cast<double>(i) / static_cast<double>(in_frames));
    }
    const std::size_t out_frames = std::min(samples.size(), SecondsToFrames(fade_out));
    for (std::size_t i = 0; i < out_frames; ++i) {
        samples[samples.size() - 1 - i] *= static_cast<float>(static_cast<double>(i) / static_cast<double>(out_frames));
    }
}

Samples Thrust(NoiseSource& noise) {
    Samples out(SecondsToFrames(0.5));
    StateVariableFilter whoosh;
    StateVariableFilter rumble;
    for (std::size_t i = 0; i < out.size(); ++i) {
        const double t = TimeOf(i);
        const double envelope = std::min(1.0, t / 0.03) * std::exp(-std::max(0.0, t - 0.12) / 0.12);
        const double cutoff = 350.0 + 2400.0 * Smoothstep(0.0, 0.35, t);
        const double white = noise.Bipolar();
        const double band = whoosh.Process(white, cutoff, 1.6).band;
        const double low = rumble.Process(white, 140.0, 0.9).low;
        const double ignite = std::sin(kTwoPi * (55.0 * t + 40.0 * t * std::exp(-t / 0.05))) * std::exp(-t / 0.08);
        out[i] = static_cast<float>(envelope * (0.9 * band + 1.4 * low) + 0.5 * ignite);
    }
    return out;
}

Samples BurgerHit(NoiseSource& noise) {
    Samples out(SecondsToFrames(0.32));
    StateVariableFilter squelch;
    StateVariableFilter crunch_filter;
    double phase = 0.0;
    double crackle = 0.0;
    for (std::size_t i = 0; i < out.size(); ++i) {
        const double t = TimeOf(i);
        phase += (55.0 + 95.0 * std::exp(-t / 0.03)) / kSampleRate;
        const double thud = std::sin(kTwoPi * phase) * std::exp(-t / 0.07);
        const double formant = 1900.0 * std::exp(-t / 0.06) + 380.0;
        const double squish = squelch.Process(noise.Bipolar(), formant, 3.5).band * std::exp(-t / 0.08);
        if (noise.Uniform() < 0.08 * std::exp(-t / 0.05)) {
            crackle = noise.Bipolar();
        }
        crackle *= 0.93;
        const double crunch = crunch_filter.Process(crackle, 3200.0, 0.7).low;
        out[i] = static_cast<float>(0.9 * thud + 1.4 * squish + 1.2 * crunch);
    }
    return out;
}

Samples NewLevel() {
    Samples out(SecondsToFrames(1.55));
    const double arpeggio[] = {72, 76, 79, 84, 88, 91};
    for (std::size_t note = 0; note < 6; ++note) {
        const Samples tone = RenderLead(MidiToFrequency(arpeggio[note]), 0.1, 0.25, 0.8);
        AddInto(out, tone, SecondsToFrames(0.085 * static_cast<double>(note)), 0.45f);
    }
    const double chord[] = {84, 88, 91, 96};
    for (const double note : chord) {
        Samples tone = RenderLead(MidiToFrequency(note), 0.85, 0.4, 0.6);
        for (std::size_t i = 0; i < tone.size(); ++i) {
            tone[i] *= static_cast<float>(std::exp(-TimeOf(i) / 0.45));
        }
        AddInto(out, tone, SecondsToFrames(0.55), 0.28f);
        AddInto(out, RenderBell(MidiToFrequency(note + 12.0), 0.0), SecondsToFrames(0.55), 0.08f);
    }
    double phase = 0.0;
    for (std::size_t i = 0; i < SecondsToFrames(0.6); ++i) {
        const double t = TimeOf(i);
        phase += (300.0 * std::pow(4.0, t / 0.6)) / kSampleRate;
        out[i] +=
            static_cast<float>(0.12 * std::sin(kTwoPi * phase) * Smoothstep(0.0, 0.1, t) * Smoothstep(0.6, 0.45, t));
    }
    return out;
}

Samples SmartBomb(NoiseSource& noise) {
    Samples out(SecondsToFrames(2.8));
    StateVariableFilter blast;
    StateVariableFilter rumble;
    OnePoleLowpass wobble;
    double phase = 0.0;
    for (std::size_t i = 0; i < out.size(); ++i) {
        const double t = TimeOf(i);
        phase += (28.0 + 70.0 * std::exp(-t / 0.12)) / kSampleRate;
        const double boom = std::sin(kTwoPi * phase) * std::exp(-t / 0.6);
        const double white = noise.Bipolar();
        const double burst = blast.Process(white, 150.0 + 3500.0 * std::exp(-t / 0.14), 0.8).low * std::exp(-t / 0.5);
        const double swell = 0.6 + 0.4 * wobble.Process(noise.Bipolar() * 4.0, 6.0);
        const double deep = rumble.Process(white, 90.0, 1.2).low * swell * std::exp(-t / 0.9) * std::min(1.0, t / 0.05);
        out[i] = static_cast<float>(std::tanh(1.4 * (1.0 * boom + 1.3 * burst + 2.5 * deep)));
    }
    return out;
}

Samples Hyperspace() {
    Samples out(SecondsToFrames(1.0));
    double phase = 0.0;
    double ring = 0.0;
    for (std::size_t i = 0; i < out.size(); ++i) {
        const double t = TimeOf(i);
        const double sweep = std::sin(kPi * t / 1.0);
        const double warble = 1.0 + 0.09 * std::sin(kTwoPi * 14.0 * t);
        const double frequency = (220.0 + 1300.0 * sweep * sweep) * warble;
        phase += frequency / kSampleRate;
        phase -= std::floor(phase);
        ring += frequency * 1.5 / kSampleRate;
        ring -= std::floor(ring);
        const double tone = 0.7 * TriangleWave(phase) + 0.35 * std::sin(kTwoPi * 2.0 * phase) * std::sin(kTwoPi * ring);
        const double envelope = Smoothstep(0.0, 0.04, t) * Smoothstep(1.0, 0.7, t);
        out[i] = static_cast<float>(tone * envelope);
    }
    return out;
}

Samples Death(NoiseSource& noise) {
    Samples out(SecondsToFrames(1.7));
    StateVariableFilter body;
    StateVariableFilter crackle_filter;
    double phase = 0.0;
    double crackle = 0.0;
    for (std::size_t i = 0; i < out.size(); ++i) {
        const double t = TimeOf(i);
        const double white = noise.Bipolar();
        const double roar = body.Process(white, 160.0 + 6000.0 * std::exp(-t / 0.22), 0.9).low * std::exp(-t / 0.45) *
                            std::min(1.0, t / 0.004);
        if (noise.Uniform() < 0.02 * std::exp(-t / 0.4)) {
            crackle = noise.Bipolar();
        }
        crackle *= 0.97;
        const double pops = crackle_filter.Process(crackle, 2500.0, 0.8).band;
        phase += (35.0 + 45.0 * std::exp(-t / 0.1)) / kSampleRate;
        const double thump = std::sin(kTwoPi * phase) * std::exp(-t / 0.25);
        out[i] = static_cast<float>(std::tanh(1.3 * (1.5 * roar + 1.2 * pops + 0.9 * thump)));
    }
    return out;
}

Samples ShootMine(NoiseSource& noise) {
    Samples out(SecondsToFrames(0.36));
    const double partials[] = {420.0, 1163.0, 2271.0, 3310.0};
    const double decays[] = {0.12, 0.08, 0.05, 0.03};
    double beep_phase = 0.0;
    for (std::size_t i = 0; i < out.size(); ++i) {
        const double t = TimeOf(i);
        double clunk = 0.0;
        for (int k = 0; k < 4; ++k) {
            clunk += std::sin(kTwoPi * partials[k] * t) * std::exp(-t / decays[k]) / (1.0 + 0.5 * k);
        }
        const double click = noise.Bipolar() * std::exp(-t / 0.004);
        double beep = 0.0;
        if (t > 0.06 && t < 0.2) {
            const double frequency = t < 0.13 ? 1320.0 : 990.0;
            beep_phase += frequency / kSampleRate;
            beep_phase -= std::floor(beep_phase);
            beep = PulseWave(beep_phase, frequency / kSampleRate, 0.5) * 0.22 * Smoothstep(0.06, 0.065, t) *
                   Smoothstep(0.2, 0.19, t);
        }
        out[i] = static_cast<float>(0.7 * clunk + 0.4 * click + beep);
    }
    return out;
}

Samples ShootRocket(NoiseSource& noise) {
    Samples out(SecondsToFrames(0.8));
    StateVariableFilter roar;
    StateVariableFilter low;
    StateVariableFilter hiss;
    OnePoleLowpass soften;
    double phase = 0.0;
    double thump_phase = 0.0;
    for (std::size_t i = 0; i < out.size(); ++i) {
        const double t = TimeOf(i);
        const double white = noise.Bipolar();
        // The motor's roar is a band of noise that climbs as the rocket gets away; only a little
        // air rides on top, kept under 8 kHz so the launch does not read as a hiss.
        const double body = roar.Process(white, 320.0 + 900.0 * Smoothstep(0.0, 0.45, t), 1.4).band;
        const double whoosh = low.Process(white, 220.0, 1.0).low;
        const double air = soften.Process(hiss.Process(white, 2500.0, 0.8).high, 6500.0);
        const double envelope = Smoothstep(0.0, 0.03, t) * std::exp(-std::max(0.0, t - 0.18) / 0.22);
        thump_phase += (70.0 + 90.0 * std::exp(-t / 0.04)) / kSampleRate;
        const double thump = std::sin(kTwoPi * thump_phase) * std::exp(-t / 0.09);
        phase += (160.0 + 360.0 * Smoothstep(0.0, 0.5, t)) / kSampleRate;
        const double tone = (std::sin(kTwoPi * phase) + 0.35 * std::sin(2.0 * kTwoPi * phase)) * 0.22;
        out[i] = static_cast<float>(envelope * (1.6 * body + 1.1 * whoosh + 0.25 * air + tone) + 0.8 * thump);
    }
    return out;
}

Samples Armageddon(NoiseSource& noise) {
    Samples out(SecondsToFrames(2.3));
    constexpr double kRise = 1.1;
    StateVariableFilter sweep_filter;
    StateVariableFilter blast_filter;
    double phases[] = {0.0, 0.25, 0.5, 0.75};
    const double detune[] = {1.0, 1.005, 0.995, 2.0};
    double boom_phase = 0.0;
    for (std::size_t i = 0; i < out.size(); ++i) {
        const double t = TimeOf(i);
        const double rise = std::min(t, kRise) / kRise;
        const double base = 70.0 * std::pow(12.0, rise);
        double saws = 0.0;
        for (int voice = 0; voice < 4; ++voice) {
            const double step = base * detune[voice] / kSampleRate;
            phases[voice] += step;
            phases[voice] -= std::floor(phases[voice]);
            saws += SawWave(phases[voice], step);
        }
        const double opened = sweep_filter.Process(saws, 300.0 + 5000.0 * rise * rise, 2.5).low;
        const double sweep_level = Smoothstep(0.0, 0.3, t) * (t < kRise ? 1.0 : std::exp(-(t - kRise) / 0.35));
        double blast = 0.0;
        if (t >= kRise) {
            const double after = t - kRise;
            boom_phase += (40.0 + 80.0 * std::exp(-after / 0.1)) / kSampleRate;
            blast = 1.2 * blast_filter.Process(noise.Bipolar(), 200.0 + 7000.0 * std::exp(-after / 0.2), 0.8).low *
                        std::exp(-after / 0.4) +
                    std::sin(kTwoPi * boom_phase) * std::exp(-after / 0.5);
        }
        out[i] = static_cast<float>(std::tanh(0.35 * opened * sweep_level + 1.1 * blast));
    }
    const double shimmer[] = {81, 85, 88, 93};
    for (const double note : shimmer) {
        AddInto(out, RenderBell(MidiToFrequency(note), 0.0), SecondsToFrames(kRise), 0.12f);
    }
    return out;
}

Samples HighScore() {
    Samples out(SecondsToFrames(1.35));
    const double run[] = {72, 76, 79, 84, 76, 79, 84, 88};
    for (std::size_t note = 0; note < 8; ++note) {
        AddInto(out, RenderLead(MidiToFrequency(run[note]), 0.075, 0.125, 0.9),
                SecondsToFrames(0.075 * static_cast<double>(note)), 0.4f);
    }
    const double chord[] = {79, 84, 88, 91};
    for (const double note : chord) {
        Samples tone = RenderLead(MidiToFrequency(note), 0.6, 0.3, 0.7);
        AddInto(out, tone, SecondsToFrames(0.62), 0.22f);
    }
    return out;
}

Samples Shield(NoiseSource& noise) {
    Samples out(SecondsToFrames(0.45));
    StateVariableFilter filter;
    double phase = 0.0;
    double frequency = 1200.0;
    for (std::size_t i = 0; i < out.size(); ++i) {
        const double t = TimeOf(i);
        if (i % 320 == 0) {
            frequency = (400.0 + 2200.0 * noise.Uniform()) * std::exp(-t / 0.4);
        }
        phase += frequency / kSampleRate;
        phase -= std::floor(phase);
        const double buzz = PulseWave(phase, frequency / kSampleRate, 0.5) * (0.6 + 0.4 * std::sin(kTwoPi * 90.0 * t));
        const double spark = noise.Bipolar() * 0.35;
        const double zapped = filter.Process(buzz + spark, 600.0, 0.7).high;
        out[i] = static_cast<float>(zapped * std::exp(-t / 0.12) * std::min(1.0, t / 0.002));
    }
    return out;
}

Samples Shoot() {
    Samples out(SecondsToFrames(0.17));
    double phase = 0.0;
    for (std::size_t i = 0; i < out.size(); ++i) {
        const double t = TimeOf(i);
        const double frequency = 250.0 + 1500.0 * std::exp(-t / 0.035);
        const double step = frequency / kSampleRate;
        phase += step;
        phase -= std::floor(phase);
        const double width = 0.5 - 0.3 * std::min(1.0, t / 0.12);
        const double tone = 0.7 * PulseWave(phase, step, width) + 0.3 * std::sin(kTwoPi * phase);
        out[i] = static_cast<float>(tone * std::exp(-t / 0.05) * std::min(1.0, t / 0.001));
    }
    return out;
}

Samples PowerUp() {
    Samples out(SecondsToFrames(0.9));
    const double notes[] = {88, 92, 95, 100};
    for (std::size_t note = 0; note < 4; ++note) {
        Samples chime = RenderBell(MidiToFrequency(notes[note]), 0.0);
        chime.resize(std::min(chime.size(), out.size()));
        AddInto(out, chime, SecondsToFrames(0.065 * static_cast<double>(note)), 0.5f);
        AddInto(out, RenderPluck(MidiToFrequency(notes[note] - 12.0), 0.06, 1.0),
                SecondsToFrames(0.065 * static_cast<double>(note)), 0.25f);
    }
    double phase = 0.0;
    for (std::size_t i = 0; i < SecondsToFrames(0.35); ++i) {
        const double t = TimeOf(i);
        phase += (900.0 * std::pow(3.0, t / 0.35)) / kSampleRate;
        out[i] += static_cast<float>(0.08 * std::sin(kTwoPi * phase) * Smoothstep(0.35, 0.2, t));
    }
    for (std::size_t i = 0; i < out.size(); ++i) {
        out[i] *= static_cast<float>(Smoothstep(0.9, 0.6, TimeOf(i)));
    }
    return out;
}

}  // namespace

Samples RenderUfoLoop() {
    // Two seconds: every frequency below is a multiple of 0.5 Hz, so the loop closes exactly.
    constexpr double kLoopSeconds = 2.0;
    Samples out(SecondsToFrames(kLoopSeconds));
    for (std::size_t i = 0; i < out.size(); ++i) {
        const double t = TimeOf(i);
        const double wobble = 0.004 * std::sin(kTwoPi * 3.0 * t);
        double hum = 0.0;
        for (int harmonic = 1; harmonic <= 8; ++harmonic) {
            hum += std::sin(kTwoPi * (150.0 * harmonic * t) + harmonic * 150.0 * wobble / 3.0) / harmonic;
        }
        const double fifth = std::sin(kTwoPi * 225.0 * t + 8.0 * std::sin(kTwoPi * 1.5 * t)) * 0.35;
        const double whine = std::sin(kTwoPi * 1200.0 * t + 30.0 * std::sin(kTwoPi * 4.0 * t)) * 0.12;
        const double tremolo = 0.75 + 0.25 * std::sin(kTwoPi * 8.0 * t);
        out[i] = static_cast<float>((0.5 * hum + fifth + whine) * tremolo);
    }
    // Start the loop where the wave is quiet and flat: the encoder handles the first block
    // on its own, and a gentle spot there keeps the wrap as smooth as the rest.
    std::size_t best = 0;
    double best_score = 1e9;
    for (std::size_t i = 0; i + 1 < out.size(); ++i) {
        const double score = std::fabs(out[i]) + 4.0 * std::fabs(out[i + 1] - out[i]);
        if (score < best_score) {
            best_score = score;
            best = i;
        }
    }
    std::rotate(out.begin(), out.begin() + static_cast<std::ptrdiff_t>(best), out.end());
    return out;
}

std::vector<Effect> RenderEffects() {
    NoiseSource noise(1977);
    std::vector<Effect> effects;
    effects.push_back({"thrust.ogg", Thrust(noise), false, 1.0});
    effects.push_back({"burghit.ogg", BurgerHit(noise), false, 0.0});
    effects.push_back({"newlvl.ogg", NewLevel(), false, -2.0});
    effects.push_back({"smartbomb.ogg", SmartBomb(noise), false, 2.5});
    effects.push_back({"hyperspc.ogg", Hyperspace(), false, -3.5});
    effects.push_back({"death.ogg", Death(noise), false, 0.0});
    effects.push_back({"shootmine.ogg", ShootMine(noise), false, 0.0});
    effects.push_back({"shootrocket.ogg", ShootRocket(noise), false, 0.0});
    effects.push_back({"armageddon.ogg", Armageddon(noise), false, -1.0});
    effects.push_back({"hscore.ogg", HighScore(), false, -0.5});
    effects.push_back({"shield.ogg", Shield(noise), false, 0.5});
    // A hum under the whole UFO pass would tire the ear at full level.
    effects.push_back({"ufoloop.ogg", RenderUfoLoop(), true, -3.0});
    // Fired several times a second, so a touch quieter than the rest.
    effects.push_back({"shoot.ogg", Shoot(), false, 0.0});
    effects.push_back({"powerup.ogg", PowerUp(), false, -4.5});
    for (Effect& effect : effects) {
        if (!effect.loops) {
            FadeEdges(effect.samples, 0.0005, 0.01);
        }
    }
    return effects;
}
