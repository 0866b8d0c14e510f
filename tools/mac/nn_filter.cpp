#include "nn_filter.h"

#include <algorithm>
#include <cstring>

#include "sign.h"

namespace ape {

NNFilter::NNFilter(int order, int fracBits)
    : order_(order), fracBits_(fracBits), coeffs_(order, 0), buffer_(order * 2 + kWindow, 0) {
  delay_ = buffer_.data() + order_ * 2;
  adapt_ = buffer_.data() + order_;
}

std::int32_t NNFilter::compress(std::int32_t input) {
  const std::int16_t* __restrict history = delay_ - order_;
  const std::int16_t* __restrict steps = adapt_ - order_;
  std::int16_t* __restrict taps = coeffs_.data();

  std::uint32_t dot = 0;
  for (int i = 0; i < order_; ++i) dot += static_cast<std::uint32_t>(taps[i] * history[i]);
  const std::int32_t prediction = static_cast<std::int32_t>(
      (static_cast<std::int64_t>(static_cast<std::int32_t>(dot)) + (std::int64_t{1} << (fracBits_ - 1))) >> fracBits_);
  const std::int32_t output =
      static_cast<std::int32_t>(static_cast<std::uint32_t>(input) - static_cast<std::uint32_t>(prediction));

  // The taps move against the sign of the error.
  const int direction = Sign(output);
  for (int i = 0; i < order_; ++i) taps[i] = static_cast<std::int16_t>(taps[i] + direction * steps[i]);

  *delay_++ = static_cast<std::int16_t>(std::clamp(input, -32768, 32767));

  const std::uint32_t magnitude =
      input < 0 ? 0u - static_cast<std::uint32_t>(input) : static_cast<std::uint32_t>(input);
  if (magnitude) {
    // Larger steps for values well above the recent average.
    const int shift = (magnitude > average_ * 3LL) + (magnitude > (average_ + average_ / 3));
    *adapt_ = static_cast<std::int16_t>(Sign(input) * (8 << shift));
  } else {
    *adapt_ = 0;
  }
  average_ += static_cast<std::int32_t>(magnitude - average_) / 16;
  adapt_[-1] >>= 1;
  adapt_[-2] >>= 1;
  adapt_[-8] >>= 1;
  ++adapt_;

  if (delay_ == buffer_.data() + kWindow + order_ * 2) {
    std::memmove(buffer_.data(), delay_ - order_ * 2, order_ * 2 * sizeof(std::int16_t));
    delay_ = buffer_.data() + order_ * 2;
    adapt_ = buffer_.data() + order_;
  }
  return output;
}

}  // namespace ape
