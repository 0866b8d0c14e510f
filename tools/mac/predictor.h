// The last prediction stage: a first-order filter, then adaptive
// predictions from the channel's own recent values and, in stereo, from the
// other channel's. Compressing a value yields what a decoder must be given
// to rebuild it with the same arithmetic, so the state (and its wrap-around)
// follows the decoder's exactly: 64-bit state, 32-bit predictions below the
// insane level and 64-bit ones at it.
#pragma once

#include <cstdint>

namespace ape {

class Predictor {
 public:
  explicit Predictor(bool widePrediction);

  // One stereo block: the two values in decoding order.
  void compressStereo(std::int32_t first, std::int32_t second, std::int32_t& outFirst, std::int32_t& outSecond);
  std::int32_t compressMono(std::int32_t value);

 private:
  static constexpr int kHistory = 512;
  static constexpr int kWindow = 50;

  std::int32_t compressStereoChannel(std::int32_t value, int channel, int delayA, int delayB, int adaptA,
                                     int adaptB);
  void advance();

  bool wide_;
  std::int64_t history_[kHistory + kWindow] = {};
  std::int64_t* buf_ = history_;
  std::int64_t lastA_[2] = {};
  std::int64_t filterA_[2] = {};
  std::int64_t filterB_[2] = {};
  std::uint64_t coeffsA_[2][4];
  std::uint64_t coeffsB_[2][5] = {};
  std::int32_t currentA_ = 0;  // mono
};

}  // namespace ape
