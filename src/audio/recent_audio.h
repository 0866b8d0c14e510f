// The most recent frames of a channel by their position in the channel: a
// mono mix (for the FFT) and the left and right samples (for the level).
// Written by the thread that makes the frames, read by any thread.
#pragma once

#include <cstdint>
#include <mutex>
#include <vector>

#include "audio/backend.h"

namespace zaudio {

class RecentAudio {
 public:
  // Keeps at least `frames` frames.
  explicit RecentAudio(size_t frames);

  // The next frame appended has position `at`; everything kept is dropped.
  void restart(std::uint64_t at);
  void append(SampleType type, const void* data, size_t frames, int channels);
  // The position after the last frame appended.
  std::uint64_t end() const;

  // The mono mix of the n frames before position `until`; frames not kept
  // (before the restart, or overwritten since) read as 0.
  void mono(std::uint64_t until, float* out, size_t n) const;
  // Left peak in the low word, right in the high word (0..32768) over the n
  // frames before `until`.
  DWORD level(std::uint64_t until, size_t n) const;

 private:
  bool kept(std::uint64_t pos) const { return pos >= start_ && pos < end_ && end_ - pos <= mono_.size(); }

  mutable std::mutex mutex_;
  std::vector<float> mono_;
  std::vector<float> left_, right_;
  std::uint64_t start_ = 0;  // first position appended since the restart
  std::uint64_t end_ = 0;
  std::vector<float> scratch_;
};

}  // namespace zaudio
