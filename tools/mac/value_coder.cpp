#include "value_coder.h"

namespace ape {

namespace {

// Cumulative frequencies (of 65536) of the overflow symbols 0..20 and their
// widths; symbols 21..62 take one count each above them, 63 escapes to a
// 32-bit overflow.
constexpr std::uint16_t kCounts[22] = {0,     19578, 36160, 48417, 56323, 60899, 63265, 64435,
                                       64971, 65232, 65351, 65416, 65447, 65466, 65476, 65482,
                                       65485, 65488, 65490, 65491, 65492, 65493};
constexpr std::uint16_t kWidths[21] = {19578, 16582, 12257, 7906, 4576, 2366, 1170, 536, 261, 119, 65,
                                       31,    19,    10,    6,    3,    3,    2,    1,    1,    1};
constexpr std::uint32_t kEscape = 63;

}  // namespace

void ValueCoder::adapt(std::uint32_t x) {
  const std::uint32_t lower = k_ ? (1u << (k_ + 4)) : 0;
  kSum_ += ((x + 1) / 2) - ((kSum_ + 16) >> 5);
  if (kSum_ < lower)
    --k_;
  else if (kSum_ >= (1u << (k_ + 5)) && k_ < 24)
    ++k_;
}

bool ValueCoder::encode(std::int32_t value) {
  if (value == INT32_MIN) return false;
  // Positive values to odd numbers, the rest to even ones.
  const std::uint32_t x = value > 0 ? 2 * static_cast<std::uint32_t>(value) - 1
                                    : 2 * static_cast<std::uint32_t>(-static_cast<std::int64_t>(value));

  const std::uint32_t pivot = (kSum_ >> 5) ? (kSum_ >> 5) : 1;
  const std::uint32_t overflow = x / pivot;
  const std::uint32_t base = x % pivot;

  if (overflow < 21) {
    coder_.encodeShift(kCounts[overflow], kWidths[overflow], 16);
  } else if (overflow < kEscape) {
    coder_.encodeShift(65472 + overflow, 1, 16);
  } else {
    coder_.encodeShift(65472 + kEscape, 1, 16);
    coder_.encodeBits(overflow >> 16, 16);
    coder_.encodeBits(overflow & 0xFFFF, 16);
  }

  if (pivot < 0x10000) {
    coder_.encodeFrequency(base, 1, pivot);
  } else {
    // Too wide for one step: the high part against the pivot's top 16 bits,
    // then the low bits.
    int lowBits = 0;
    while ((pivot >> lowBits) & ~0xFFFFu) ++lowBits;
    coder_.encodeFrequency(base >> lowBits, 1, (pivot >> lowBits) + 1);
    coder_.encodeFrequency(base & ((1u << lowBits) - 1), 1, 1u << lowBits);
  }

  adapt(x);
  return true;
}

}  // namespace ape
