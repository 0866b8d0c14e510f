#include "app/scan_thread.h"

#include <algorithm>
#include <limits>

void ScanLevels(zaudio::DWORD stream, bool freeWhenDone, std::uint64_t bytesPerPixel, WaveLevels& levels,
                const std::atomic<bool>& stop) {
  const int width = levels.columns();
  for (int i = 0; i < width; ++i) levels.set(i, 0, 0);
  std::uint64_t lastColumn = 0;
  int leftMax = 0, rightMax = 0, stored = 0;
  while (!stop.load() && bytesPerPixel > 0) {
    // Each reading of a decode-only stream decodes the next 20 ms.
    const zaudio::DWORD level = zaudio::ChannelGetLevel(stream);
    if (level == 0xFFFFFFFF) break;  // the end, or a reading that failed
    leftMax = std::max(leftMax, static_cast<int>(level & 0xFFFF));
    rightMax = std::max(rightMax, static_cast<int>(level >> 16));
    const std::uint64_t column = zaudio::ChannelIsActive(stream) == zaudio::ACTIVE_PLAYING
                                     ? zaudio::ChannelGetPosition(stream, zaudio::POS_BYTE) / bytesPerPixel
                                     : std::numeric_limits<std::uint32_t>::max();
    if (column > lastColumn) {
      ++stored;
      // Entry 0 stays 0; a level of 32768 reads as -32768, a full line.
      if (stored <= width - 1)
        levels.set(stored, static_cast<std::int16_t>(leftMax), static_cast<std::int16_t>(rightMax));
      if (column >= static_cast<std::uint64_t>(width)) break;
      lastColumn = column;
      leftMax = rightMax = 0;
    }
  }
  if (freeWhenDone) zaudio::StreamFree(stream);
}

TScanThread::TScanThread(zaudio::DWORD stream, bool freeWhenDone, std::uint64_t bytesPerPixel, int columns)
    : levels_(columns) {
  thread_ = std::thread([this, stream, freeWhenDone, bytesPerPixel] {
    ScanLevels(stream, freeWhenDone, bytesPerPixel, levels_, stop_);
    finished_ = true;
  });
}

TScanThread::~TScanThread() {
  stop_ = true;
  if (thread_.joinable()) thread_.join();
}
