// Residuals to range-coded symbols: each value is split by a pivot that
// follows the running mean of recent magnitudes into an "overflow" coded
// with a fixed table and a remainder coded uniformly below the pivot.
#pragma once

#include <cstdint>

#include "range_encoder.h"

namespace ape {

class ValueCoder {
 public:
  explicit ValueCoder(RangeEncoder& coder) : coder_(coder) {}

  // False when the value cannot be coded (only INT32_MIN cannot).
  bool encode(std::int32_t value);

 private:
  void adapt(std::uint32_t magnitude);

  RangeEncoder& coder_;
  std::uint32_t k_ = 10;
  std::uint32_t kSum_ = (1u << 10) * 16;
};

}  // namespace ape
