// Checks on captured audio: samples to floats, and the level and frequency of
// the tone they contain.
#pragma once

#include <cstdint>
#include <vector>

#include "audio/backend.h"

namespace zovedu_test {

// Interleaved samples of one type as floats in -1..1.
std::vector<float> ToFloats(zaudio::SampleType type, const std::vector<std::uint8_t>& bytes);

// One channel of interleaved samples.
std::vector<float> ChannelOf(const std::vector<float>& interleaved, int channels, int channel);

struct ToneFound {
  bool found = false;     // any sample above the threshold
  double seconds = 0;     // length of the stretch between first and last loud sample
  double peak = 0;        // largest magnitude in it
  double frequency = 0;   // from the rising zero crossings
  double purity = 0;      // share of the stretch's energy at the expected frequency
};

// Finds the stretch where a tone plays (samples above threshold) and measures
// it, leaving out its first and last 10 ms where the tone starts and ends.
ToneFound FindTone(const std::vector<float>& samples, double rate, double expectedFrequency,
                   double threshold = 0.02);

// The amplitude of the sine at freq in the samples (a least-squares fit):
// other tones and noise hardly count once the stretch holds many periods.
double SineAmplitude(const std::vector<float>& samples, double rate, double freq);

// Power of everything that is not the sine at freq, relative to that sine, in
// dB: a least-squares fit of the sine is taken out of the samples.
double ResidualToToneDb(const std::vector<float>& samples, double rate, double freq);

// True once interleaved samples hold a sample above threshold followed by at
// least 50 ms of quiet: a tone that has played to its end has come through.
bool ToneHasEnded(const std::vector<float>& interleaved, int channels, double rate, float threshold = 0.02f);

// Expects the 0.3 s half-scale 1 kHz test tone on every channel of the
// interleaved samples: its length, peak, frequency and purity.
void ExpectTestToneOnEveryChannel(const std::vector<float>& interleaved, int channels, double rate);

}  // namespace zovedu_test
