// Stopping a recording before its disk is full, so that the writer can still
// finish the file as its format wants it (trailer, seek table, last frame)
// instead of being cut off by the first failed write. The room kept free is
// what the file grew by in the last two seconds, twice over, plus what the
// writer still holds back, plus a margin.
#pragma once

#include <cstdint>
#include <deque>
#include <utility>

class DiskWatch {
 public:
  static constexpr std::uint64_t kMargin = 96 * 1024;

  // A new file starts: its growth is measured afresh.
  void reset() { samples_.clear(); }
  // One look at the disk: the time in milliseconds, the file's size, what
  // the writer holds back that is not in the file yet, and the free bytes.
  // True when the recording must stop now.
  bool due(std::int64_t nowMs, std::uint64_t fileSize, std::uint64_t heldBack, std::uint64_t freeBytes);
  // The room kept free at the last look.
  std::uint64_t reserve() const { return reserve_; }

 private:
  std::deque<std::pair<std::int64_t, std::uint64_t>> samples_;  // time, size
  std::uint64_t reserve_ = kMargin;
};
