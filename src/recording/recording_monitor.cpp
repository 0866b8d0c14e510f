#include "recording/recording_monitor.h"

#include <algorithm>
#include <cstdlib>

#include "recording/recording_formats.h"

std::int64_t EstimatedOutputSize(int format, std::uint64_t received, std::uint64_t seconds,
                                 const EstimateBitrates& b) {
  const auto r = static_cast<std::int64_t>(received);
  const auto s = static_cast<std::int64_t>(seconds);
  switch (format) {
    case kWav: return r;
    case kMp3: return s * b.mp3 * 125;
    case kWma: return s * b.wma * 125;
    case kOgg: return s * b.ogg * 125;
    case kApe: return static_cast<std::int64_t>(static_cast<double>(r) * 0.555);
    case kFlac: return static_cast<std::int64_t>(static_cast<double>(r) * 0.587);
    case kTta: return r / 2;
    case kWv: return r / 2;
    case kAac: return r / 10;
    case kMpc: return r / 10;
    case kSpx: return r / 200;
    default: return 0;
  }
}

QString ElapsedText(std::uint64_t seconds) {
  const std::uint64_t day = seconds % 86400;
  return QString::asprintf("%02u:%02u:%02u", unsigned(day / 3600), unsigned(day / 60 % 60), unsigned(day % 60));
}

bool SplitDue(int mode, std::int64_t limit, std::uint64_t seconds, std::int64_t size) {
  if (limit <= 0) return false;  // a custom limit of 0: never
  if (mode == 0) return static_cast<std::int64_t>(seconds) == limit;
  if (mode == 1) return size >= limit;
  return false;
}

void StoreLevel(std::vector<std::int16_t>& left, std::vector<std::int16_t>& right, int& column,
                std::uint32_t levelWord, bool inSilence) {
  const int width = static_cast<int>(std::min(left.size(), right.size()));
  if (column < width) {
    left[static_cast<size_t>(column)] = static_cast<std::int16_t>(levelWord & 0xFFFF);
    right[static_cast<size_t>(column)] = static_cast<std::int16_t>(levelWord >> 16);
    if (!inSilence) ++column;
  } else {
    column = 0;
    std::fill(left.begin(), left.end(), 0);
    std::fill(right.begin(), right.end(), 0);
  }
}

int LevelBarHeight(std::int16_t level, int mid) {
  return std::abs(static_cast<int>(static_cast<double>(level) / 32768.0 * mid));
}

int LevelTextX(int column, int width) { return column > width - 40 ? column - 38 : column + 2; }
