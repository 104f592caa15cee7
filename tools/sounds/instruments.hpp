#pragma once

#include "synth.hpp"

// Each instrument renders one hit or one note on its own, tail included;
// the arranger places the result on the timeline.

Samples RenderKick(double punch, double decay);
Samples RenderSnare(NoiseSource& noise, double tone, double decay);
Samples RenderHiHat(NoiseSource& noise, double decay);
Samples RenderCrash(NoiseSource& noise);

Samples RenderBass(double frequency, double gate, double brightness);
Samples RenderPluck(double frequency, double gate, double brightness);
Samples RenderLead(double frequency, double gate, double pulse_width, double brightness);
Samples RenderSawLead(double frequency, double gate, double brightness);
Samples RenderBell(double frequency, double gate);
Samples RenderPowerChord(double frequency, double gate);
StereoSamples RenderPad(const std::vector<double>& frequencies, double gate, double brightness, double attack,
                        NoiseSource& noise);
