#include "instruments.hpp"

#include <cmath>

Samples RenderKick(double punch, double decay) {
    Samples out(SecondsToFrames(decay * 6.0 + 0.05));
    double phase = 0.0;
    for (std::size_t i = 0; i < out.size(); ++i) {
        const double t = static_cast<double>(i) / kSampleRate;
        const double frequency = 45.0 + (110.0 + 120.0 * punch) * std::exp(-t / 0.035);
        phase += frequency / kSampleRate;
        const double body = std::sin(kTwoPi * phase) * std::exp(-t / decay);
        const double click = std::exp(-t / 0.002) * 0.5 * punch;
        out[i] = static_cast<float>(std::tanh(1.6 * (body + click)) * std::min(1.0, t / 0.0008));
    }
    return out;
}

Samples RenderSnare(NoiseSource& noise, double tone, double decay) {
    Samples out(SecondsToFrames(decay * 6.0 + 0.05));
    StateVariableFilter filter;
    for (std::size_t i = 0; i < out.size(); ++i) {
        const double t = static_cast<double>(i) / kSampleRate;
        const double body =
            (std::sin(kTwoPi * tone * t) + 0.5 * std::sin(kTwoPi * tone * 1.75 * t)) * std::exp(-t / 0.045);
        const double hiss = filter.Process(noise.Bipolar(), 4200.0, 0.7).band * 1.8 * std::exp(-t / decay);
        out[i] = static_cast<float>(0.45 * body + 0.8 * hiss);
    }
    return out;
}

Samples RenderHiHat(NoiseSource& noise, double decay) {
    Samples out(SecondsToFrames(decay * 6.0 + 0.01));
    StateVariableFilter filter;
    for (std::size_t i = 0; i < out.size(); ++i) {
        const double t = static_cast<double>(i) / kSampleRate;
        const double hiss = filter.Process(noise.Bipolar(), 8500.0, 0.9).high;
        out[i] = static_cast<float>(0.6 * hiss * std::exp(-t / decay));
    }
    return out;
}

Samples RenderCrash(NoiseSource& noise) {
    Samples out(SecondsToFrames(2.2));
    StateVariableFilter filter;
    for (std::size_t i = 0; i < out.size(); ++i) {
        const double t = static_cast<double>(i) / kSampleRate;
        const double hiss = filter.Process(noise.Bipolar(), 5200.0, 0.6).high;
        out[i] = static_cast<float>(0.5 * hiss * std::exp(-t / 0.45));
    }
    return out;
}

Samples RenderBass(double frequency, double gate, double brightness) {
    constexpr double kRelease = 0.05;
    Samples out(SecondsToFrames(gate + kRelease));
    StateVariableFilter filter;
    double phase = 0.0;
    const double step = frequency / kSampleRate;
    for (std::size_t i = 0; i < out.size(); ++i) {
        const double t = static_cast<double>(i) / kSampleRate;
        phase += step;
        phase -= std::floor(phase);
        const double raw = 0.7 * SawWave(phase, step) + 0.6 * std::sin(kTwoPi * phase);
        const double cutoff = frequency * (1.5 + brightness * 14.0 * std::exp(-t / 0.09));
        const double filtered = filter.Process(raw, cutoff, 1.4).low;
        out[i] = static_cast<float>(filtered * Adsr(t, gate, 0.003, 0.15, 0.75, kRelease));
    }
    return out;
}

Samples RenderPluck(double frequency, double gate, double brightness) {
    constexpr double kRelease = 0.12;
    Samples out(SecondsToFrames(gate + kRelease));
    StateVariableFilter filter;
    double phase = 0.0;
    const double step = frequency / kSampleRate;
    for (std::size_t i = 0; i < out.size(); ++i) {
        const double t = static_cast<double>(i) / kSampleRate;
        phase += step;
        phase -= std::floor(phase);
        const double raw = PulseWave(phase, step, 0.35) * 0.6 + SawWave(phase, step) * 0.4;
        const double cutoff = frequency * (1.2 + brightness * 10.0 * std::exp(-t / 0.06));
        const double filtered = filter.Process(raw, cutoff, 1.1).low;
        out[i] = static_cast<float>(filtered * std::exp(-t / 0.22) * Adsr(t, gate, 0.002, 0.01, 1.0, kRelease));
    }
    return out;
}

Samples RenderLead(double frequency, double gate, double pulse_width, double brightness) {
    constexpr double kRelease = 0.09;
    Samples out(SecondsToFrames(gate + kRelease));
    StateVariableFilter filter;
    double phase = 0.0;
    for (std::size_t i = 0; i < out.size(); ++i) {
        const double t = static_cast<double>(i) / kSampleRate;
        // Vibrato fades in so short notes stay in tune and long ones sing.
        const double vibrato = 1.0 + 0.006 * Smoothstep(0.12, 0.4, t) * std::sin(kTwoPi * 5.6 * t);
        const double step = frequency * vibrato / kSampleRate;
        phase += step;
        phase -= std::floor(phase);
        const double width = pulse_width + 0.08 * std::sin(kTwoPi * 0.7 * t);
        const double raw = PulseWave(phase, step, width);
        const double cutoff = frequency * (2.0 + brightness * (4.0 + 6.0 * std::exp(-t / 0.15)));
        const double filtered = filter.Process(raw, cutoff, 0.9).low;
        out[i] = static_cast<float>(filtered * Adsr(t, gate, 0.006, 0.12, 0.8, kRelease));
    }
    return out;
}

Samples RenderSawLead(double frequency, double gate, double brightness) {
    constexpr double kRelease = 0.12;
    Samples out(SecondsToFrames(gate + kRelease));
    StateVariableFilter filter;
    double phase_a = 0.0;
    double phase_b = 0.31;
    for (std::size_t i = 0; i < out.size(); ++i) {
        const double t = static_cast<double>(i) / kSampleRate;
        const double vibrato = 1.0 + 0.005 * Smoothstep(0.15, 0.45, t) * std::sin(kTwoPi * 5.2 * t);
        const double step_a = frequency * vibrato / kSampleRate;
        const double step_b = step_a * 1.006;
        phase_a += step_a;
        phase_a -= std::floor(phase_a);
        phase_b += step_b;
        phase_b -= std::floor(phase_b);
        const double raw = 0.5 * (SawWave(phase_a, step_a) + SawWave(phase_b, step_b));
        const double cutoff = frequency * (2.5 + brightness * 6.0 * std::exp(-t / 0.25));
        const double filtered = filter.Process(raw, cutoff, 1.2).low;
        out[i] = static_cast<float>(filtered * Adsr(t, gate, 0.01, 0.2, 0.75, kRelease));
    }
    return out;
}

Samples RenderBell(double frequency, double gate) {
    const double length = gate + 1.6;
    Samples out(SecondsToFrames(length));
    for (std::size_t i = 0; i < out.size(); ++i) {
        const double t = static_cast<double>(i) / kSampleRate;
        const double index = 2.2 * std::exp(-t / 0.35);
        const double modulator = std::sin(kTwoPi * frequency * 3.5 * t);
        const double carrier = std::sin(kTwoPi * frequency * t + index * modulator);
        const double fade = Smoothstep(length, length - 0.3, t);
        out[i] = static_cast<float>(0.6 * carrier * std::exp(-t / 0.7) * std::min(1.0, t / 0.002) * fade);
    }
    return out;
}

Samples RenderPowerChord(double frequency, double gate) {
    constexpr double kRelease = 0.06;
    Samples out(SecondsToFrames(gate + kRelease));
    StateVariableFilter filter;
    const double ratios[] = {1.0, 1.4983, 2.0, 1.003};
    double phases[] = {0.0, 0.21, 0.47, 0.73};
    for (std::size_t i = 0; i < out.size(); ++i) {
        const double t = static_cast<double>(i) / kSampleRate;
        double raw = 0.0;
        for (int voice = 0; voice < 4; ++voice) {
            const double step = frequency * ratios[voice] / kSampleRate;
            phases[voice] += step;
            phases[voice] -= std::floor(phases[voice]);
            raw += SawWave(phases[voice], step);
        }
        const double driven = std::tanh(1.8 * raw);
        const double filtered = filter.Process(driven, 2400.0 + 2200.0 * std::exp(-t / 0.05), 0.8).low;
        out[i] = static_cast<float>(0.5 * filtered * Adsr(t, gate, 0.003, 0.08, 0.7, kRelease));
    }
    return out;
}

StereoSamples RenderPad(const std::vector<double>& frequencies, double gate, double brightness, double attack,
                        NoiseSource& noise) {
    const double release = 0.6;
    StereoSamples out(SecondsToFrames(gate + release));
    const double detunes[] = {-0.007, 0.0, 0.0065};
    const double pans[] = {0.15, 0.5, 0.85};
    for (const double frequency : frequencies) {
        for (int voice = 0; voice < 3; ++voice) {
            double phase = noise.Uniform();
            const double step = frequency * (1.0 + detunes[voice]) / kSampleRate;
            StateVariableFilter filter;
            const double left_gain = std::cos(pans[voice] * kPi / 2.0);
            const double right_gain = std::sin(pans[voice] * kPi / 2.0);
            for (std::size_t i = 0; i < out.Frames(); ++i) {
                const double t = static_cast<double>(i) / kSampleRate;
                phase += step;
                phase -= std::floor(phase);
                const double cutoff = 500.0 + brightness * 2200.0 * (0.6 + 0.4 * std::sin(kTwoPi * 0.25 * t));
                const double value = filter.Process(SawWave(phase, step), cutoff, 0.8).low *
                                     Adsr(t, gate, attack, 0.4, 0.85, release) * 0.18;
                out.left[i] += static_cast<float>(value * left_gain);
                out.right[i] += static_cast<float>(value * right_gain);
            }
        }
    }
    return out;
}
