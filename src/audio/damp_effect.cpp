#include "audio/damp_effect.h"
#include "audio/frame_peak.h"

#include <algorithm>
#include <cfloat>
#include <cmath>

namespace zaudio {

void DampEffect::restart() {
  gain_ = params_.fGain;
  ramp_ = 0;
  stepPos_ = 0;
  stepPeak_ = 0;
  fell_ = false;
  stepsBelow_ = 0;
}

void DampEffect::configure(DWORD rate) {
  rate_ = rate;
  const double stepsPer10ms = static_cast<double>(rate) / 100.0;
  stepFrames_ = std::max<size_t>(1, static_cast<size_t>(std::lround(stepsPer10ms)));
  // Where 10 ms is no whole number of frames, the part closed per step is
  // scaled so that the rise per second stays the same.
  const double stepsOf10ms = static_cast<double>(stepFrames_) / stepsPer10ms;
  stepRate_ = 1.0 - std::pow(1.0 - static_cast<double>(params_.fRate), stepsOf10ms);
  delaySteps_ = static_cast<double>(params_.fDelay) * static_cast<double>(rate) / static_cast<double>(stepFrames_);
}

void DampEffect::endStep() {
  stepsBelow_ = fell_ ? 0 : stepsBelow_ + 1;
  ramp_ = 0;
  // The gain heads for the one that would put this step's peak at the target,
  // reaching the new value linearly over the next step.
  const double target = params_.fTarget;
  const bool waited = static_cast<double>(stepsBelow_) + 1e-6 >= delaySteps_;
  if (!fell_ && waited && stepPeak_ > 0 && stepPeak_ >= params_.fQuiet) {
    const double wanted = target / stepPeak_;
    if (wanted > gain_) ramp_ = stepRate_ * (wanted - gain_) / static_cast<double>(stepFrames_);
  }
  stepPos_ = 0;
  stepPeak_ = 0;
  fell_ = false;
}

void DampEffect::process(float* samples, size_t frames, int channels, DWORD rate) {
  if (channels <= 0 || rate == 0) return;
  if (rate != rate_) configure(rate);
  const size_t n = static_cast<size_t>(channels);
  const double target = params_.fTarget;
  float* s = samples;
  for (size_t f = 0; f < frames; ++f, s += n) {
    float peak = SanitizedFramePeak(s, n);
    gain_ += ramp_;
    // The gain falls on the sample that would pass the target. Every output
    // sample is then at most gain * peak <= target before rounding to float,
    // and rounding cannot carry it past the float target.
    if (gain_ * peak > target) {
      gain_ = target / peak;
      ramp_ = 0;
      fell_ = true;
    }
    stepPeak_ = std::max(stepPeak_, peak);
    for (size_t c = 0; c < n; ++c) s[c] = static_cast<float>(s[c] * gain_);
    if (++stepPos_ == stepFrames_) endStep();
  }
}

void DampEffect::getParameters(void* params) const { *static_cast<BFX_DAMP*>(params) = params_; }

bool DampEffect::setParameters(const void* params) {
  const auto& p = *static_cast<const BFX_DAMP*>(params);
  auto finite = [](float v) { return std::isfinite(v); };
  if (!finite(p.fTarget) || !finite(p.fQuiet) || !finite(p.fRate) || !finite(p.fGain) || !finite(p.fDelay) ||
      p.fTarget <= 0 || p.fQuiet < 0 || p.fRate < 0 || p.fRate > 1 || p.fGain < 0 || p.fDelay < 0 ||
      p.lChannel < BFX_CHANALL)
    return false;
  params_ = p;
  restart();
  if (rate_ != 0) configure(rate_);
  return true;
}

}  // namespace zaudio
