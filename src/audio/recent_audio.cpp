#include "audio/recent_audio.h"

#include <algorithm>
#include <cmath>

#include "audio/sample_convert.h"

namespace zaudio {

namespace {
size_t PowerOfTwoAtLeast(size_t n) {
  size_t p = 1;
  while (p < n) p <<= 1;
  return p;
}
}  // namespace

RecentAudio::RecentAudio(size_t frames)
    : mono_(PowerOfTwoAtLeast(std::max<size_t>(frames, 1))), left_(mono_.size()), right_(mono_.size()) {}

void RecentAudio::restart(std::uint64_t at) {
  std::lock_guard lock(mutex_);
  start_ = end_ = at;
}

std::uint64_t RecentAudio::end() const {
  std::lock_guard lock(mutex_);
  return end_;
}

void RecentAudio::append(SampleType type, const void* data, size_t frames, int channels) {
  std::lock_guard lock(mutex_);
  const size_t mask = mono_.size() - 1;
  scratch_.resize(frames * static_cast<size_t>(channels));
  ToFloat(type, data, scratch_.data(), scratch_.size());
  const float share = 1.0f / static_cast<float>(channels);
  for (size_t i = 0; i < frames; ++i) {
    const float* f = scratch_.data() + i * static_cast<size_t>(channels);
    float sum = 0;
    for (int c = 0; c < channels; ++c) sum += f[c];
    const size_t at = static_cast<size_t>(end_ + i) & mask;
    mono_[at] = sum * share;
    left_[at] = f[0];
    right_[at] = channels > 1 ? f[1] : f[0];
  }
  end_ += frames;
}

void RecentAudio::mono(std::uint64_t until, float* out, size_t n) const {
  std::lock_guard lock(mutex_);
  const size_t mask = mono_.size() - 1;
  for (size_t i = 0; i < n; ++i) {
    if (until + i < n) {
      out[i] = 0.0f;
      continue;
    }
    const std::uint64_t pos = until + i - n;
    out[i] = kept(pos) ? mono_[static_cast<size_t>(pos) & mask] : 0.0f;
  }
}

DWORD RecentAudio::level(std::uint64_t until, size_t n) const {
  std::lock_guard lock(mutex_);
  const size_t mask = mono_.size() - 1;
  float l = 0, r = 0;
  for (size_t i = 0; i < n && i < until; ++i) {
    const std::uint64_t pos = until - 1 - i;
    if (!kept(pos)) continue;
    l = std::max(l, std::fabs(left_[static_cast<size_t>(pos) & mask]));
    r = std::max(r, std::fabs(right_[static_cast<size_t>(pos) & mask]));
  }
  auto scale = [](float v) { return static_cast<DWORD>(std::min(32768.0f, std::round(v * 32768.0f))); };
  return scale(l) | (scale(r) << 16);
}

}  // namespace zaudio
