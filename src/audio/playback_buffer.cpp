#include "audio/playback_buffer.h"

#include <algorithm>
#include <cstring>

namespace zaudio {

PlaybackBuffer::PlaybackBuffer(size_t capacityFrames, size_t frameBytes)
    : frameBytes_(frameBytes), ring_(capacityFrames * frameBytes) {}

size_t PlaybackBuffer::capacityBytes() const { return ring_.capacity(); }

size_t PlaybackBuffer::write(const void* data, size_t bytes) {
  std::function<void()> wake;
  size_t n = 0;
  {
    std::lock_guard lock(mutex_);
    n = std::min(bytes, ring_.space());
    n -= n % frameBytes_;
    auto spans = ring_.reserve(n);
    auto* p = static_cast<const std::uint8_t*>(data);
    std::memcpy(spans.first.data(), p, spans.first.size());
    if (!spans.second.empty()) std::memcpy(spans.second.data(), p + spans.first.size(), spans.second.size());
    ring_.commit(n);
    wake = wake_;
  }
  changed_.notify_all();
  if (wake && n > 0) wake();
  return n;
}

void PlaybackBuffer::markEnd() {
  std::function<void()> wake;
  {
    std::lock_guard lock(mutex_);
    end_ = true;
    wake = wake_;
  }
  changed_.notify_all();
  if (wake) wake();
}

bool PlaybackBuffer::waitWritable(size_t bytes, std::chrono::milliseconds timeout) {
  std::unique_lock lock(mutex_);
  producerWants_ = bytes;
  changed_.wait_for(lock, timeout, [&] { return interrupted_ || ring_.space() >= bytes; });
  producerWants_ = 0;
  return !interrupted_ && ring_.space() >= bytes;
}

size_t PlaybackBuffer::writable() const {
  std::lock_guard lock(mutex_);
  return interrupted_ ? 0 : ring_.space();
}

void PlaybackBuffer::interrupt() {
  {
    std::lock_guard lock(mutex_);
    interrupted_ = true;
  }
  changed_.notify_all();
}

size_t PlaybackBuffer::read(void* out, size_t bytes) {
  size_t done = 0;
  bool producerReady = false;
  {
    std::lock_guard lock(mutex_);
    bytes = std::min(bytes, ring_.size());
    bytes -= bytes % frameBytes_;
    auto* p = static_cast<std::uint8_t*>(out);
    while (done < bytes) {
      auto piece = ring_.readable(bytes - done);
      std::memcpy(p + done, piece.data(), piece.size());
      ring_.consume(piece.size());
      done += piece.size();
    }
    producerReady = producerWants_ != 0 && ring_.space() >= producerWants_;
  }
  if (producerReady) changed_.notify_all();
  return done;
}

bool PlaybackBuffer::waitReadable(size_t bytes, std::chrono::milliseconds timeout) {
  std::unique_lock lock(mutex_);
  changed_.wait_for(lock, timeout, [&] { return interrupted_ || end_ || ring_.size() >= bytes; });
  return end_ || ring_.size() >= bytes;
}

size_t PlaybackBuffer::readable() const {
  std::lock_guard lock(mutex_);
  return ring_.size();
}

bool PlaybackBuffer::endMarked() const {
  std::lock_guard lock(mutex_);
  return end_;
}

bool PlaybackBuffer::drained() const {
  std::lock_guard lock(mutex_);
  return end_ && ring_.empty();
}

void PlaybackBuffer::clear() {
  {
    std::lock_guard lock(mutex_);
    ring_.clear();
    end_ = false;
  }
  changed_.notify_all();
}

void PlaybackBuffer::setWake(std::function<void()> wake) {
  std::lock_guard lock(mutex_);
  wake_ = std::move(wake);
}

}  // namespace zaudio
