// A hard-knee compressor with optional look-ahead. One gain for all channels,
// driven by the loudest channel's peak.
#pragma once

#include <cstdint>
#include <vector>

#include "audio/effect.h"

namespace zaudio {

// The largest of the last `window` values pushed, in constant time per value
// (a queue of values that are still candidates, falling from front to back).
class SlidingMax {
 public:
  void reset(size_t window);
  float push(float value);

 private:
  size_t window_ = 1;
  size_t mask_ = 0;  // the ring's size is a power of two
  std::vector<float> values_;
  std::vector<std::uint64_t> stamps_;
  std::uint64_t front_ = 0, back_ = 0;  // positions counted from the start; the queue is [front_, back_)
  std::uint64_t now_ = 0;
};

class CompressorEffect final : public Effect {
 public:
  DWORD type() const override { return FX_DX8_COMPRESSOR; }
  void process(float* samples, size_t frames, int channels, DWORD rate) override;
  void getParameters(void* params) const override;
  bool setParameters(const void* params) override;

 private:
  // Coefficients from the parameters and the format; the look-ahead line
  // starts empty when its length or the format changes.
  void configure(int channels, DWORD rate);

  DX8_COMPRESSOR params_{};
  int channels_ = 0;
  DWORD rate_ = 0;

  // Derived. Levels and gains are in log2 units (1 = 6.02 dB).
  float thresholdLinear_ = 0;
  double thresholdLog2_ = 0;
  double slope_ = 0;  // gain change per unit of level above the threshold
  double makeupLog2_ = 0;
  float makeupLinear_ = 1;
  double attackCoeff_ = 0, releaseCoeff_ = 0;
  size_t lookAhead_ = 0;  // frames

  // State.
  double gainLog2_ = 0;       // smoothed gain, without the make-up gain
  float lastPeak_ = 0;        // the detector's last level and the gain it asks for
  double lastTarget_ = 0;
  std::vector<float> delay_;  // lookAhead_ frames, a ring
  size_t delayPos_ = 0;
  SlidingMax window_;
};

}  // namespace zaudio
