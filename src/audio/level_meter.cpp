#include "audio/level_meter.h"

#include <algorithm>

#include "audio/sample_convert.h"

namespace zaudio {

void LevelMeter::reset(DWORD rate) {
  slots_ = {};
  current_ = 0;
  filled_ = 0;
  slotFrames_ = std::max<size_t>(1, rate / 200);
  level_ = 0;
}

void LevelMeter::feed(SampleType type, const void* data, size_t frames, int channels) {
  const auto* bytes = static_cast<const std::uint8_t*>(data);
  const size_t frameBytes = static_cast<size_t>(channels) * BytesPerSample(type);
  while (frames > 0) {
    const size_t n = std::min(frames, slotFrames_ - filled_);
    Slot& s = slots_[current_];
    const std::uint32_t l = PeakOf(type, bytes, n, channels, 0);
    const std::uint32_t r = channels > 1 ? PeakOf(type, bytes, n, channels, 1) : l;
    s.left = filled_ == 0 ? l : std::max(s.left, l);
    s.right = filled_ == 0 ? r : std::max(s.right, r);
    filled_ += n;
    bytes += n * frameBytes;
    frames -= n;
    if (filled_ == slotFrames_) {
      current_ = (current_ + 1) % kSlots;
      filled_ = 0;
    }
  }
  std::uint32_t left = 0, right = 0;
  for (const Slot& s : slots_) {
    left = std::max(left, s.left);
    right = std::max(right, s.right);
  }
  level_.store(left | (right << 16), std::memory_order_relaxed);
}

}  // namespace zaudio
