// Automatic gain control: one gain for all channels that keeps the peaks at a
// target level. The gain drops at once, on the very sample that would pass
// the target, so the output never exceeds it; it rises slowly, in steps of
// 10 ms of audio, and only after a while below the target and never while the
// input is quieter than the quiet level.
//
// The steps are counted from the first frame processed, not from the blocks
// the caller passes, so the result does not depend on how the audio is split.
#pragma once

#include <cstdint>

#include "audio/effect.h"

namespace zaudio {

class DampEffect final : public Effect {
 public:
  DampEffect() { restart(); }
  DWORD type() const override { return FX_BFX_DAMP; }
  void process(float* samples, size_t frames, int channels, DWORD rate) override;
  void getParameters(void* params) const override;
  // Accepted parameters restart the gain at their fGain.
  bool setParameters(const void* params) override;

 private:
  void restart();
  void configure(DWORD rate);
  void endStep();

  BFX_DAMP params_{};
  DWORD rate_ = 0;
  size_t stepFrames_ = 0;   // 10 ms, rounded to whole frames
  double stepRate_ = 0;     // the part of the gap closed per step
  double delaySteps_ = 0;   // steps below the target before the gain may rise

  double gain_ = 1;
  double ramp_ = 0;         // added to the gain per frame during this step
  size_t stepPos_ = 0;      // frames into the current step
  float stepPeak_ = 0;      // input peak of the current step
  bool fell_ = false;       // the gain fell during the current step
  std::uint64_t stepsBelow_ = 0;
};

}  // namespace zaudio
