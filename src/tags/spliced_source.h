// A file as it would be after a change at its end: the first headSize bytes
// of a source followed by new tail bytes. Lets a writer read the layout of
// its result before writing anything.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "tags/toolkit/byte_source.h"

namespace tags {

class SplicedSource : public ByteSource {
 public:
  SplicedSource(const ByteSource& head, std::uint64_t headSize, const Bytes& tail)
      : head_(head), headSize_(headSize), tail_(tail) {}
  std::uint64_t size() const override { return headSize_ + tail_.size(); }
  bool read(std::uint64_t offset, void* dst, std::size_t n) const override {
    if (!contains(offset, n)) return false;
    auto* out = static_cast<std::uint8_t*>(dst);
    if (offset < headSize_) {
      const std::size_t fromHead = std::size_t(std::min<std::uint64_t>(n, headSize_ - offset));
      if (!head_.read(offset, out, fromHead)) return false;
      out += fromHead;
      offset += fromHead;
      n -= fromHead;
    }
    if (n > 0) std::memcpy(out, tail_.data() + (offset - headSize_), n);
    return true;
  }

 private:
  const ByteSource& head_;
  std::uint64_t headSize_;
  const Bytes& tail_;
};

}  // namespace tags
