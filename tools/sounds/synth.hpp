#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

constexpr int kSampleRate = 44100;
constexpr double kPi = 3.14159265358979323846;
constexpr double kTwoPi = 2.0 * kPi;

using Samples = std::vector<float>;

struct StereoSamples {
    Samples left;
    Samples right;

    explicit StereoSamples(std::size_t frames = 0) : left(frames), right(frames) {}
    std::size_t Frames() const { return left.size(); }
};

// Our own generator rather than <random> distributions, whose output may differ
// between standard libraries: the files must come out byte-identical everywhere.
class NoiseSource {
public:
    explicit NoiseSource(std::uint64_t seed) : state_(seed * 2654435761u + 1) {}

    double Uniform();
    double Bipolar() { return 2.0 * Uniform() - 1.0; }

private:
    std::uint64_t state_;
};

double MidiToFrequency(double note);
std::size_t SecondsToFrames(double seconds);
double DecibelsToGain(double decibels);
double GainToDecibels(double gain);

// Band-limited waveforms from a phase in [0, 1) and the phase step per sample.
double SawWave(double phase, double step);
double PulseWave(double phase, double step, double width);
double TriangleWave(double phase);

// Zero-delay-feedback state-variable filter; stays stable while its cutoff moves every sample.
class StateVariableFilter {
public:
    struct Output {
        double low;
        double band;
        double high;
    };

    Output Process(double input, double cutoff, double resonance);

private:
    double state1_ = 0.0;
    double state2_ = 0.0;
};

class OnePoleLowpass {
public:
    double Process(double input, double cutoff);

private:
    double state_ = 0.0;
};

// Attack and decay in seconds; sustain level held until the gate closes, then released.
double Adsr(double time, double gate, double attack, double decay, double sustain, double release);

double Smoothstep(double edge0, double edge1, double x);

void AddInto(Samples& target, const Samples& source, std::size_t offset, float gain);
void ScaleSamples(Samples& samples, double gain);
double PeakOf(const Samples& samples);
// Loudness of a short effect: the RMS of its loudest window, so long tails do not dilute it.
double LoudestWindowRms(const Samples& samples, std::size_t window);
// Holds every peak at or under the ceiling: the gain drops ahead of a peak and recovers over release seconds.
void LimitPeaks(Samples& samples, double ceiling, double release);

// Freeverb-style plate, fed a stereo bus and returning the wet signal.
// Runs over the buffer twice so that the tail of the end rings on into the start.
StereoSamples ReverbCircular(const StereoSamples& input, double room_size, double damping, double width);

// Ping-pong echo, also circular so a loop's last echoes land at its beginning.
StereoSamples DelayCircular(const StereoSamples& input, std::size_t delay_frames, double feedback, double tone);
