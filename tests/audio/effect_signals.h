// Signals for the effect tests and ways to run an effect over them.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <vector>

#include "audio/effect.h"

namespace effect_test {

// Interleaved sines of `frequency`, one amplitude per channel.
inline std::vector<float> Sine(size_t frames, double rate, double frequency, const std::vector<double>& amplitudes,
                               size_t firstFrame = 0) {
  const size_t channels = amplitudes.size();
  std::vector<float> out(frames * channels);
  for (size_t i = 0; i < frames; ++i) {
    const double s = std::sin(2 * std::numbers::pi * frequency * static_cast<double>(firstFrame + i) / rate);
    for (size_t c = 0; c < channels; ++c) out[i * channels + c] = static_cast<float>(amplitudes[c] * s);
  }
  return out;
}

inline void Append(std::vector<float>& to, const std::vector<float>& more) { to.insert(to.end(), more.begin(), more.end()); }

// Deterministic material with every kind of change: bursts of a tone at
// several levels, silence, noise, and a full-scale square.
inline std::vector<float> Varied(size_t frames, int channels, double rate) {
  std::vector<float> out(frames * static_cast<size_t>(channels));
  std::uint32_t seed = 7;
  for (size_t i = 0; i < frames; ++i) {
    const double t = static_cast<double>(i) / rate;
    const int part = static_cast<int>(t * 4) % 6;  // quarter seconds
    const double tone = std::sin(2 * std::numbers::pi * 440 * t);
    for (int c = 0; c < channels; ++c) {
      seed = seed * 1664525u + 1013904223u;
      const double noise = seed / 2147483648.0 - 1.0;
      double v = 0;
      switch (part) {
        case 0: v = 0.05 * tone; break;
        case 1: v = 0.9 * tone; break;
        case 2: v = 0; break;
        case 3: v = 0.3 * noise; break;
        case 4: v = tone > 0 ? 1.0 : -1.0; break;
        case 5: v = 0.01 * tone + 0.002 * noise; break;
      }
      out[i * static_cast<size_t>(channels) + static_cast<size_t>(c)] = static_cast<float>(c == 1 ? 0.5 * v : v);
    }
  }
  return out;
}

// Runs the effect over the samples in blocks of the given sizes, repeated
// until the end.
inline void RunInBlocks(zaudio::Effect& fx, std::vector<float>& samples, int channels, zaudio::DWORD rate,
                        const std::vector<size_t>& blockFrames) {
  const size_t frames = samples.size() / static_cast<size_t>(channels);
  size_t at = 0;
  for (size_t k = 0; at < frames; ++k) {
    const size_t n = std::min(blockFrames[k % blockFrames.size()], frames - at);
    fx.process(samples.data() + at * static_cast<size_t>(channels), n, channels, rate);
    at += n;
  }
}

// The largest magnitude on one channel between two frames.
inline double Peak(const std::vector<float>& samples, int channels, int channel, size_t from, size_t to) {
  double peak = 0;
  for (size_t i = from; i < to; ++i)
    peak = std::max(peak, std::fabs(static_cast<double>(samples[i * static_cast<size_t>(channels) + channel])));
  return peak;
}

// The largest magnitude over all channels between two frames.
inline double Peak(const std::vector<float>& samples, int channels, size_t from, size_t to) {
  double peak = 0;
  for (int c = 0; c < channels; ++c) peak = std::max(peak, Peak(samples, channels, c, from, to));
  return peak;
}

inline double Db(double linear) { return 20 * std::log10(linear); }

}  // namespace effect_test
