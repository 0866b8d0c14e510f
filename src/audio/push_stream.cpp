#include "audio/push_stream.h"

#include <cstring>

namespace zaudio {

std::int64_t PushStream::put(const void* data, size_t bytes, bool endOfData) {
  std::lock_guard lock(mutex_);
  if (endMarked_) return -1;
  // Drop what was read before growing, so the queue stays as long as the data
  // waiting in it.
  if (readAt_ > 0 && readAt_ * 2 >= queue_.size()) {
    queue_.erase(queue_.begin(), queue_.begin() + static_cast<std::ptrdiff_t>(readAt_));
    readAt_ = 0;
  }
  if (bytes > 0) {
    auto* p = static_cast<const std::uint8_t*>(data);
    queue_.insert(queue_.end(), p, p + bytes);
  }
  endMarked_ = endOfData;
  return static_cast<std::int64_t>(queue_.size() - readAt_);
}

bool PushStream::ended() const {
  std::lock_guard lock(mutex_);
  return endMarked_ && queue_.size() - readAt_ < static_cast<size_t>(format().frameBytes());
}

size_t PushStream::produce(void* out, size_t maxFrames) {
  std::lock_guard lock(mutex_);
  const size_t frameBytes = static_cast<size_t>(format().frameBytes());
  const size_t frames = std::min(maxFrames, (queue_.size() - readAt_) / frameBytes);
  std::memcpy(out, queue_.data() + readAt_, frames * frameBytes);
  readAt_ += frames * frameBytes;
  return frames;
}

}  // namespace zaudio
