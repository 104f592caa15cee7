#include "synth.hpp"

#include <algorithm>
#include <array>
#include <cmath>

double NoiseSource::Uniform() {
    // xorshift64*: plenty for noise, and identical on every platform.
    state_ ^= state_ >> 12;
    state_ ^= state_ << 25;
    state_ ^= state_ >> 27;
    const std::uint64_t mixed = state_ * 2685821657736338717ull;
    return static_cast<double>(mixed >> 11) * (1.0 / 9007199254740992.0);
}

double MidiToFrequency(double note) { return 440.0 * std::pow(2.0, (note - 69.0) / 12.0); }

std::size_t SecondsToFrames(double seconds) {
    return static_cast<std::size_t>(std::lround(std::max(0.0, seconds) * kSampleRate));
}

double DecibelsToGain(double decibels) { return std::pow(10.0, decibels / 20.0); }

double GainToDecibels(double gain) { return 20.0 * std::log10(std::max(gain, 1e-12)); }

static double PolyBlep(double phase, double step) {
    if (phase < step) {
        const double t = phase / step;
        return t + t - t * t - 1.0;
    }
    if (phase > 1.0 - step) {
        const double t = (phase - 1.0) / step;
        return t * t + t + t + 1.0;
    }
    return 0.0;
}

double SawWave(double phase, double step) { return 2.0 * phase - 1.0 - PolyBlep(phase, step); }

double PulseWave(double phase, double step, double width) {
    double value = phase < width ? 1.0 : -1.0;
    value += PolyBlep(phase, step);
    double shifted = phase + 1.0 - width;
    shifted -= std::floor(shifted);
    value -= PolyBlep(shifted, step);
    return value;
}

double TriangleWave(double phase) { return phase < 0.5 ? 4.0 * phase - 1.0 : 3.0 - 4.0 * phase; }

StateVariableFilter::Output StateVariableFilter::Process(double input, double cutoff, double resonance) {
    const double limited = std::clamp(cutoff, 10.0, 0.45 * kSampleRate);
    const double g = std::tan(kPi * limited / kSampleRate);
    const double k = 1.0 / std::max(resonance, 0.05);
    const double a1 = 1.0 / (1.0 + g * (g + k));
    const double a2 = g * a1;
    const double a3 = g * a2;
    const double v3 = input - state2_;
    const double v1 = a1 * state1_ + a2 * v3;
    const double v2 = state2_ + a2 * state1_ + a3 * v3;
    state1_ = 2.0 * v1 - state1_;
    state2_ = 2.0 * v2 - state2_;
    return {v2, v1, input - k * v1 - v2};
}

double OnePoleLowpass::Process(double input, double cutoff) {
    const double coefficient = 1.0 - std::exp(-kTwoPi * std::clamp(cutoff, 1.0, 0.45 * kSampleRate) / kSampleRate);
    state_ += coefficient * (input - state_);
    return state_;
}

double Adsr(double time, double gate, double attack, double decay, double sustain, double release) {
    auto held = [&](double t) {
        if (t < 0.0) {
            return 0.0;
        }
        if (t < attack) {
            return t / attack;
        }
        if (t < attack + decay) {
            return 1.0 - (1.0 - sustain) * (t - attack) / decay;
        }
        return sustain;
    };
    if (time < gate) {
        return held(time);
    }
    const double level = held(gate);
    const double after = time - gate;
    return after >= release ? 0.0 : level * (1.0 - after / release);
}

double Smoothstep(double edge0, double edge1, double x) {
    const double t = std::clamp((x - edge0) / (edge1 - edge0), 0.0, 1.0);
    return t * t * (3.0 - 2.0 * t);
}

void AddInto(Samples& target, const Samples& source, std::size_t offset, float gain) {
    for (std::size_t i = 0; i < source.size() && offset + i < target.size(); ++i) {
        target[offset + i] += gain * source[i];
    }
}

void ScaleSamples(Samples& samples, double gain) {
    for (float& sample : samples) {
        sample = static_cast<float>(sample * gain);
    }
}

double PeakOf(const Samples& samples) {
    double peak = 0.0;
    for (const float sample : samples) {
        peak = std::max(peak, static_cast<double>(std::fabs(sample)));
    }
    return peak;
}

double LoudestWindowRms(const Samples& samples, std::size_t window) {
    if (samples.empty()) {
        return 0.0;
    }
    window = std::min(window, samples.size());
    double sum = 0.0;
    for (std::size_t i = 0; i < window; ++i) {
        sum += static_cast<double>(samples[i]) * samples[i];
    }
    double best = sum;
    for (std::size_t i = window; i < samples.size(); ++i) {
        sum += static_cast<double>(samples[i]) * samples[i];
        sum -= static_cast<double>(samples[i - window]) * samples[i - window];
        best = std::max(best, sum);
    }
    return std::sqrt(std::max(best, 0.0) / static_cast<double>(window));
}

namespace {

class Comb {
public:
    explicit Comb(std::size_t length) : buffer_(length, 0.0) {}

    double Process(double input, double feedback, double damping) {
        const double output = buffer_[index_];
        filter_ = output * (1.0 - damping) + filter_ * damping;
        buffer_[index_] = input + filter_ * feedback;
        index_ = (index_ + 1) % buffer_.size();
        return output;
    }

private:
    std::vector<double> buffer_;
    std::size_t index_ = 0;
    double filter_ = 0.0;
};

class Allpass {
public:
    explicit Allpass(std::size_t length) : buffer_(length, 0.0) {}

    double Process(double input) {
        const double delayed = buffer_[index_];
        buffer_[index_] = input + delayed * 0.5;
        index_ = (index_ + 1) % buffer_.size();
        return delayed - input;
    }

private:
    std::vector<double> buffer_;
    std::size_t index_ = 0;
};

struct ReverbChannel {
    std::vector<Comb> combs;
    std::vector<Allpass> allpasses;

    explicit ReverbChannel(std::size_t spread) {
        static constexpr std::array<std::size_t, 8> kCombLengths = {1116, 1188, 1277, 1356, 1422, 1491, 1557, 1617};
        static constexpr std::array<std::size_t, 4> kAllpassLengths = {556, 441, 341, 225};
        for (const std::size_t length : kCombLengths) {
            combs.emplace_back(length + spread);
        }
        for (const std::size_t length : kAllpassLengths) {
            allpasses.emplace_back(length + spread);
        }
    }

    double Process(double input, double feedback, double damping) {
        double sum = 0.0;
        for (Comb& comb : combs) {
            sum += comb.Process(input, feedback, damping);
        }
        for (Allpass& allpass : allpasses) {
            sum = allpass.Process(sum);
        }
        return sum;
    }
};

}  // namespace

StereoSamples ReverbCircular(const StereoSamples& input, double room_size, double damping, double width) {
    ReverbChannel left(0);
    ReverbChannel right(23);
    const double feedback = 0.7 + 0.28 * room_size;
    const double damp = 0.4 * damping;
    const double wet1 = 0.5 * (1.0 + width);
    const double wet2 = 0.5 * (1.0 - width);
    StereoSamples output(input.Frames());
    for (int pass = 0; pass < 2; ++pass) {
        for (std::size_t i = 0; i < input.Frames(); ++i) {
            const double mono = 0.015 * (input.left[i] + input.right[i]);
            const double out_left = left.Process(mono, feedback, damp);
            const double out_right = right.Process(mono, feedback, damp);
            if (pass == 1) {
                output.left[i] = static_cast<float>(out_left * wet1 + out_right * wet2);
                output.right[i] = static_cast<float>(out_right * wet1 + out_left * wet2);
            }
        }
    }
    return output;
}

StereoSamples DelayCircular(const StereoSamples& input, std::size_t delay_frames, double feedback, double tone) {
    std::vector<double> left(delay_frames, 0.0);
    std::vector<double> right(delay_frames, 0.0);
    OnePoleLowpass darken;
    std::size_t index = 0;
    StereoSamples output(input.Frames());
    for (int pass = 0; pass < 2; ++pass) {
        for (std::size_t i = 0; i < input.Frames(); ++i) {
            const double out_left = left[index];
            const double out_right = right[index];
            const double mono = 0.5 * (input.left[i] + input.right[i]);
            left[index] = darken.Process(mono + out_right * feedback, tone);
            right[index] = out_left * feedback;
            index = (index + 1) % delay_frames;
            if (pass == 1) {
                output.left[i] = static_cast<float>(out_left);
                output.right[i] = static_cast<float>(out_right);
            }
        }
    }
    return output;
}

void LimitPeaks(Samples& samples, double ceiling, double release) {
    // The gain each sample needs, then held from a short look-ahead before each peak so the drop
    // never lands on the peak itself, then let back up slowly.
    const std::size_t look_ahead = SecondsToFrames(0.002);
    std::vector<double> needed(samples.size(), 1.0);
    for (std::size_t i = 0; i < samples.size(); ++i) {
        const double level = std::fabs(static_cast<double>(samples[i]));
        if (level > ceiling) {
            needed[i] = ceiling / level;
        }
    }
    std::vector<double> held(needed);
    for (std::size_t i = 0; i < samples.size(); ++i) {
        const std::size_t end = std::min(samples.size(), i + look_ahead + 1);
        for (std::size_t j = i + 1; j < end; ++j) {
            held[i] = std::min(held[i], needed[j]);
        }
    }
    const double recover = std::exp(-1.0 / (release * kSampleRate));
    double gain = 1.0;
    for (double& value : held) {
        gain = std::min(value, 1.0 - (1.0 - gain) * recover);
        value = gain;
    }
    // A trailing average over the look-ahead turns each drop into a ramp without letting a peak through:
    // every gain it averages at a peak was already held down for that peak.
    double sum = 0.0;
    for (std::size_t i = 0; i < samples.size(); ++i) {
        sum += held[i];
        if (i >= look_ahead) {
            sum -= held[i - look_ahead];
        }
        const double count = static_cast<double>(std::min(i + 1, look_ahead));
        samples[i] = static_cast<float>(samples[i] * (sum / count));
    }
}
