#include "range_encoder.h"

namespace ape {

namespace {
constexpr std::uint32_t kTop = 1u << 31;
constexpr std::uint32_t kBottom = kTop >> 8;
constexpr int kShiftBits = 23;  // the code value's top byte below the carry bit
}  // namespace

void RangeEncoder::flushPending(bool carry) {
  put(static_cast<std::uint8_t>(buffer_ + (carry ? 1 : 0)));
  for (; pendingFF_ > 0; --pendingFF_) put(carry ? 0x00 : 0xFF);
}

void RangeEncoder::normalize() {
  while (range_ <= kBottom) {
    if (low_ < (0xFFu << kShiftBits)) {
      flushPending(false);
      buffer_ = static_cast<std::uint8_t>(low_ >> kShiftBits);
    } else if (low_ & kTop) {
      flushPending(true);
      buffer_ = static_cast<std::uint8_t>(low_ >> kShiftBits);
    } else {
      // 0xFF: whether it stays so depends on a carry still to come.
      ++pendingFF_;
    }
    range_ <<= 8;
    low_ = (low_ << 8) & (kTop - 1);
  }
}

void RangeEncoder::encodeShift(std::uint32_t low, std::uint32_t size, int shift) {
  normalize();
  const std::uint32_t step = range_ >> shift;
  low_ += step * low;
  range_ = step * size;
}

void RangeEncoder::encodeFrequency(std::uint32_t low, std::uint32_t size, std::uint32_t total) {
  normalize();
  const std::uint32_t step = range_ / total;
  low_ += step * low;
  range_ = step * size;
}

void RangeEncoder::finish() {
  // low_ itself lies in the final interval; a decoder reads 31 bits of it.
  flushPending((low_ & kTop) != 0);
  const std::uint32_t code = (low_ & (kTop - 1)) << 1;
  for (int shift = 24; shift >= 0; shift -= 8) put(static_cast<std::uint8_t>(code >> shift));
}

}  // namespace ape
