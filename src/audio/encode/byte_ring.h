// A fixed-size ring of bytes, allocated once. Not synchronised: the encoder
// guards it, and lets its one reader use the readable span outside the lock
// because the writer side only ever touches free space.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace zaudio {

class ByteRing {
 public:
  explicit ByteRing(size_t capacity);

  size_t capacity() const { return storage_.size(); }
  size_t size() const { return size_; }
  size_t space() const { return capacity() - size_; }
  bool empty() const { return size_ == 0; }

  // Where the next `bytes` (at most space()) go: up to the end of the storage,
  // then from its start. Nothing is added until commit().
  struct Spans {
    std::span<std::uint8_t> first;
    std::span<std::uint8_t> second;
  };
  Spans reserve(size_t bytes);
  void commit(size_t bytes);

  // The oldest bytes that lie in one piece, at most `limit` of them.
  std::span<const std::uint8_t> readable(size_t limit) const;
  void consume(size_t bytes);
  void clear();

 private:
  std::vector<std::uint8_t> storage_;  // zero-filled up front so no page is first touched on the audio thread
  size_t head_ = 0;                    // oldest byte
  size_t size_ = 0;
};

}  // namespace zaudio
