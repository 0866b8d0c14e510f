#include "audio/compressor_effect.h"
#include "audio/frame_peak.h"

#include <algorithm>
#include <cfloat>
#include <cmath>

namespace zaudio {

namespace {

// One-pole smoothing coefficient for a time constant in milliseconds; 0 makes
// the change instant.
double Coefficient(double ms, DWORD rate) {
  if (ms <= 0) return 0;
  return std::exp(-1000.0 / (ms * static_cast<double>(rate)));
}

constexpr double kLog2PerDb = 1.0 / (20.0 * 0.30102999566398119521);  // 1 / (20 log10 2)

bool InRange(float v, float lo, float hi) { return std::isfinite(v) && v >= lo && v <= hi; }

}  // namespace

void SlidingMax::reset(size_t window) {
  window_ = std::max<size_t>(window, 1);
  size_t capacity = 1;
  while (capacity < window_) capacity *= 2;
  mask_ = capacity - 1;
  values_.assign(capacity, 0.0f);
  stamps_.assign(capacity, 0);
  front_ = back_ = 0;
  now_ = 0;
}

float SlidingMax::push(float value) {
  // Values no larger than the new one can never be the maximum again.
  while (back_ != front_ && values_[(back_ - 1) & mask_] <= value) --back_;
  // The front leaves once it is `window` values old.
  if (back_ != front_ && stamps_[front_ & mask_] + window_ <= now_) ++front_;
  values_[back_ & mask_] = value;
  stamps_[back_ & mask_] = now_++;
  ++back_;
  return values_[front_ & mask_];
}

void CompressorEffect::configure(int channels, DWORD rate) {
  const size_t lookAhead = static_cast<size_t>(std::lround(params_.fPredelay * static_cast<double>(rate) / 1000.0));
  if (channels != channels_ || rate != rate_ || lookAhead != lookAhead_) {
    lookAhead_ = lookAhead;
    delay_.assign(lookAhead_ * static_cast<size_t>(channels), 0.0f);
    delayPos_ = 0;
    window_.reset(lookAhead_ + 1);
  }
  channels_ = channels;
  rate_ = rate;
  thresholdLinear_ = static_cast<float>(std::pow(10.0, params_.fThreshold / 20.0));
  thresholdLog2_ = params_.fThreshold * kLog2PerDb;
  slope_ = 1.0 / params_.fRatio - 1.0;
  makeupLog2_ = params_.fGain * kLog2PerDb;
  makeupLinear_ = static_cast<float>(std::exp2(makeupLog2_));
  attackCoeff_ = Coefficient(params_.fAttack, rate);
  releaseCoeff_ = Coefficient(params_.fRelease, rate);
  lastPeak_ = 0;  // silence asks for no gain change
  lastTarget_ = 0;
}

void CompressorEffect::process(float* samples, size_t frames, int channels, DWORD rate) {
  if (channels <= 0 || rate == 0) return;
  if (channels != channels_ || rate != rate_) configure(channels, rate);
  const size_t n = static_cast<size_t>(channels);
  // The state lives in locals for the block: the compiler cannot tell that
  // writing samples leaves the members alone.
  double gainLog2 = gainLog2_, lastTarget = lastTarget_;
  float lastPeak = lastPeak_;
  size_t delayPos = delayPos_;
  const size_t lookAhead = lookAhead_;
  const float thresholdLinear = thresholdLinear_, makeupLinear = makeupLinear_;
  const double thresholdLog2 = thresholdLog2_, slope = slope_, makeupLog2 = makeupLog2_;
  const double attackCoeff = attackCoeff_, releaseCoeff = releaseCoeff_;
  float* s = samples;
  for (size_t f = 0; f < frames; ++f, s += n) {
    // The detector: the loudest channel now, or the loudest frame of the
    // look-ahead window, whose oldest frame is the one leaving the delay.
    float peak = SanitizedFramePeak(s, n);
    if (lookAhead > 0) {
      peak = window_.push(peak);
      float* line = delay_.data() + delayPos * n;
      for (size_t c = 0; c < n; ++c) std::swap(s[c], line[c]);
      if (++delayPos == lookAhead) delayPos = 0;
    }

    // The static curve: above the threshold the level rises 1/ratio per unit.
    // (The look-ahead window's maximum often holds for many frames: the
    // logarithm is only taken when the level changes.)
    if (peak != lastPeak) {
      lastPeak = peak;
      lastTarget = peak > thresholdLinear ? std::min(0.0, (std::log2f(peak) - thresholdLog2) * slope) : 0.0;
    }
    const double target = lastTarget;
    // The gain falls with the attack time constant and rises with the release.
    const double coeff = target < gainLog2 ? attackCoeff : releaseCoeff;
    gainLog2 = target + coeff * (gainLog2 - target);
    // Back at unity the smoothing would only creep closer; settle it there so
    // that quiet passages cost no exponential.
    if (target == 0 && gainLog2 > -1e-9) gainLog2 = 0;

    const float gain = gainLog2 == 0 ? makeupLinear : std::exp2f(static_cast<float>(gainLog2 + makeupLog2));
    for (size_t c = 0; c < n; ++c) s[c] = std::clamp(s[c] * gain, -FLT_MAX, FLT_MAX);
  }
  gainLog2_ = gainLog2;
  lastTarget_ = lastTarget;
  lastPeak_ = lastPeak;
  delayPos_ = delayPos;
}

void CompressorEffect::getParameters(void* params) const { *static_cast<DX8_COMPRESSOR*>(params) = params_; }

bool CompressorEffect::setParameters(const void* params) {
  const auto& p = *static_cast<const DX8_COMPRESSOR*>(params);
  // The ranges are compared in single precision: the options page fills the
  // record by float division (an attack of 1/100 ms is 0.01f, just under 0.01).
  if (!InRange(p.fGain, -60.0f, 60.0f) || !InRange(p.fAttack, 0.01f, 500.0f) || !InRange(p.fRelease, 0.0f, 3000.0f) ||
      !InRange(p.fThreshold, -60.0f, 0.0f) || !InRange(p.fRatio, 1.0f, 100.0f) || !InRange(p.fPredelay, 0.0f, 4.0f))
    return false;
  params_ = p;
  if (rate_ != 0) configure(channels_, rate_);
  return true;
}

}  // namespace zaudio
