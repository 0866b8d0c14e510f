// An adaptive FIR stage: predicts each sample from the last `order` values
// (clipped to 16 bits) with taps that move by sign-sign steps, scaled to the
// size of recent values. Compressing yields the prediction error; a decoder
// runs the same stage in reverse on the same history.
#pragma once

#include <cstdint>
#include <vector>

namespace ape {

class NNFilter {
 public:
  NNFilter(int order, int fracBits);
  std::int32_t compress(std::int32_t input);

 private:
  static constexpr int kWindow = 512;  // samples between moves of the history

  int order_;
  int fracBits_;
  std::vector<std::int16_t> coeffs_;
  // Input history and adaption steps share one buffer: the steps of a
  // sample sit `order_` places behind its history value and take over that
  // place once the value has left the filter's window.
  std::vector<std::int16_t> buffer_;
  std::int16_t* delay_;
  std::int16_t* adapt_;
  std::uint32_t average_ = 0;
};

}  // namespace ape
