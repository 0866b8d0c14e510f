#include "recording/disk_watch.h"

#include <algorithm>

bool DiskWatch::due(std::int64_t nowMs, std::uint64_t fileSize, std::uint64_t heldBack, std::uint64_t freeBytes) {
  samples_.emplace_back(nowMs, fileSize);
  while (samples_.size() > 1 && nowMs - samples_.front().first > 2000) samples_.pop_front();
  const auto& [then, sizeThen] = samples_.front();
  const std::uint64_t grown = fileSize > sizeThen ? fileSize - sizeThen : 0;
  // Bytes per second over the window, at least over one second.
  const std::int64_t span = std::max<std::int64_t>(nowMs - then, 1000);
  const std::uint64_t perSecond = grown * 1000 / static_cast<std::uint64_t>(span);
  reserve_ = kMargin + 4 * perSecond + heldBack;
  return freeBytes < reserve_;
}
