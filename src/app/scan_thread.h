// The waveform overview of a played file: a worker decodes a second copy of
// the file as fast as it can and keeps the peak of each pixel column. Each
// scan owns its stop flag, its bytes per column and its level arrays, so a
// scan that is being ended never writes into another file's picture.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <thread>
#include <vector>

#include "audio/zaudio.h"

// Column peaks (0..32768, as the library reports levels), written by the
// scan while the display reads them; a reader may see a partly filled
// picture, which its next tick redraws.
class WaveLevels {
 public:
  explicit WaveLevels(int columns) : left_(static_cast<std::size_t>(columns)), right_(static_cast<std::size_t>(columns)) {}
  int columns() const { return static_cast<int>(left_.size()); }
  std::int16_t left(int i) const { return left_[static_cast<std::size_t>(i)].load(std::memory_order_relaxed); }
  std::int16_t right(int i) const { return right_[static_cast<std::size_t>(i)].load(std::memory_order_relaxed); }
  void set(int i, std::int16_t l, std::int16_t r) {
    left_[static_cast<std::size_t>(i)].store(l, std::memory_order_relaxed);
    right_[static_cast<std::size_t>(i)].store(r, std::memory_order_relaxed);
  }

 private:
  std::vector<std::atomic<std::int16_t>> left_, right_;
};

// The scan's loop: reads levels from the decode stream until the end, the
// last column, a failed reading or stop. Frees the stream when asked to.
void ScanLevels(zaudio::DWORD stream, bool freeWhenDone, std::uint64_t bytesPerPixel, WaveLevels& levels,
                const std::atomic<bool>& stop);

class TScanThread {
 public:
  // Starts at once on the decode stream, which it owns from now on.
  TScanThread(zaudio::DWORD stream, bool freeWhenDone, std::uint64_t bytesPerPixel, int columns);
  // Stops the scan and waits for it.
  ~TScanThread();
  TScanThread(const TScanThread&) = delete;
  TScanThread& operator=(const TScanThread&) = delete;

  const WaveLevels& levels() const { return levels_; }
  bool finished() const { return finished_.load(); }

 private:
  WaveLevels levels_;
  std::atomic<bool> stop_{false};
  std::atomic<bool> finished_{false};
  std::thread thread_;
};
