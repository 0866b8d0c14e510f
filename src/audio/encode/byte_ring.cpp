#include "audio/encode/byte_ring.h"

#include <algorithm>
#include <cassert>

namespace zaudio {

ByteRing::ByteRing(size_t capacity) : storage_(capacity) {}

ByteRing::Spans ByteRing::reserve(size_t bytes) {
  assert(bytes <= space());
  const size_t tail = (head_ + size_) % capacity();
  const size_t first = std::min(bytes, capacity() - tail);
  return {std::span(storage_).subspan(tail, first), std::span(storage_).subspan(0, bytes - first)};
}

void ByteRing::commit(size_t bytes) {
  assert(bytes <= space());
  size_ += bytes;
}

std::span<const std::uint8_t> ByteRing::readable(size_t limit) const {
  const size_t n = std::min({limit, size_, capacity() - head_});
  return std::span<const std::uint8_t>(storage_).subspan(head_, n);
}

void ByteRing::consume(size_t bytes) {
  assert(bytes <= size_);
  head_ = (head_ + bytes) % capacity();
  size_ -= bytes;
}

void ByteRing::clear() {
  head_ = 0;
  size_ = 0;
}

}  // namespace zaudio
