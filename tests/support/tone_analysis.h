// Measures a captured tone: peak and frequency by counting rising zero
// crossings of one channel.
#pragma once

#include <cstddef>
#include <vector>

struct ToneMeasure {
  double peak = 0;       // 0..1
  double frequency = 0;  // Hz
};

ToneMeasure MeasureTone(const std::vector<float>& interleaved, int channels, int channel, double rate);
