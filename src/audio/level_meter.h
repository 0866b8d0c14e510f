// Peak level of the most recent ~20 ms of a channel: written by the audio
// thread, read by any thread.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>

#include "audio/backend.h"

namespace zaudio {

class LevelMeter {
 public:
  void reset(DWORD rate);
  // Measures one delivered block (audio thread only).
  void feed(SampleType type, const void* data, size_t frames, int channels);
  // Left peak in the low word, right in the high word (mono: both the same).
  DWORD level() const { return level_.load(std::memory_order_relaxed); }

 private:
  static constexpr int kSlots = 4;  // 4 slots of 5 ms
  struct Slot {
    std::uint32_t left = 0, right = 0;
  };
  std::array<Slot, kSlots> slots_{};
  int current_ = 0;
  size_t slotFrames_ = 220;
  size_t filled_ = 0;
  std::atomic<DWORD> level_{0};
};

}  // namespace zaudio
