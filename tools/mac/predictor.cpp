#include "predictor.h"

#include <cstring>

#include "sign.h"

namespace ape {

namespace {

// Offsets into the sliding history: each channel's recent values (A: own,
// B: the other channel's) and the signs their taps adapt by.
constexpr int kOrder = 8;
constexpr int kYDelayA = 18 + kOrder * 4;
constexpr int kYDelayB = 18 + kOrder * 3;
constexpr int kXDelayA = 18 + kOrder * 2;
constexpr int kXDelayB = 18 + kOrder;
constexpr int kYAdaptA = 18;
constexpr int kXAdaptA = 14;
constexpr int kYAdaptB = 10;
constexpr int kXAdaptB = 5;

constexpr std::int64_t kInitialA[4] = {360, 317, -109, 98};

std::uint32_t Low32(std::int64_t v) { return static_cast<std::uint32_t>(v); }

}  // namespace

Predictor::Predictor(bool widePrediction) : wide_(widePrediction) {
  for (auto& c : coeffsA_)
    for (int i = 0; i < 4; ++i) c[i] = static_cast<std::uint64_t>(kInitialA[i]);
}

void Predictor::advance() {
  ++buf_;
  if (buf_ == history_ + kHistory) {
    std::memmove(history_, buf_, kWindow * sizeof(*history_));
    buf_ = history_;
  }
}

std::int32_t Predictor::compressStereoChannel(std::int32_t value, int ch, int delayA, int delayB, int adaptA,
                                              int adaptB) {
  std::int64_t* b = buf_;
  b[delayA] = lastA_[ch];
  b[adaptA] = Sign(static_cast<std::int32_t>(b[delayA]));
  b[delayA - 1] = static_cast<std::int64_t>(b[delayA] - static_cast<std::uint64_t>(b[delayA - 1]));
  b[adaptA - 1] = Sign(static_cast<std::int32_t>(b[delayA - 1]));

  std::int64_t predictionA = static_cast<std::int64_t>(
      b[delayA] * coeffsA_[ch][0] + b[delayA - 1] * coeffsA_[ch][1] + b[delayA - 2] * coeffsA_[ch][2] +
      b[delayA - 3] * coeffsA_[ch][3]);

  b[delayB] = filterA_[ch ^ 1] - (static_cast<std::int64_t>(filterB_[ch] * 31ULL) >> 5);
  b[adaptB] = Sign(static_cast<std::int32_t>(b[delayB]));
  b[delayB - 1] = static_cast<std::int64_t>(b[delayB] - static_cast<std::uint64_t>(b[delayB - 1]));
  b[adaptB - 1] = Sign(static_cast<std::int32_t>(b[delayB - 1]));
  filterB_[ch] = filterA_[ch ^ 1];

  std::int64_t predictionB = static_cast<std::int64_t>(
      b[delayB] * coeffsB_[ch][0] + b[delayB - 1] * coeffsB_[ch][1] + b[delayB - 2] * coeffsB_[ch][2] +
      b[delayB - 3] * coeffsB_[ch][3] + b[delayB - 4] * coeffsB_[ch][4]);

  // The decoder adds this much of the previous output to lastA; the output
  // is the low 32 bits of the sum.
  const std::int64_t carried = static_cast<std::int64_t>(filterA_[ch] * 31ULL) >> 5;
  const std::uint32_t wantedLastA = static_cast<std::uint32_t>(value) - Low32(carried);
  std::int32_t residual;
  if (!wide_) {
    predictionA = static_cast<std::int32_t>(predictionA);
    predictionB = static_cast<std::int32_t>(predictionB);
    const std::int32_t prediction = static_cast<std::int32_t>(predictionA + (predictionB >> 1)) >> 10;
    residual = static_cast<std::int32_t>(wantedLastA - static_cast<std::uint32_t>(prediction));
    lastA_[ch] = static_cast<std::int32_t>(wantedLastA);
  } else {
    const std::int64_t prediction =
        static_cast<std::int64_t>(static_cast<std::uint64_t>(predictionA) + (predictionB >> 1)) >> 10;
    residual = static_cast<std::int32_t>(wantedLastA - Low32(prediction));
    lastA_[ch] = residual + prediction;
  }
  filterA_[ch] = lastA_[ch] + carried;

  const int sign = Sign(residual);
  for (int i = 0; i < 4; ++i) coeffsA_[ch][i] += b[adaptA - i] * sign;
  for (int i = 0; i < 5; ++i) coeffsB_[ch][i] += b[adaptB - i] * sign;
  return residual;
}

void Predictor::compressStereo(std::int32_t first, std::int32_t second, std::int32_t& outFirst,
                               std::int32_t& outSecond) {
  outFirst = compressStereoChannel(first, 0, kYDelayA, kYDelayB, kYAdaptA, kYAdaptB);
  outSecond = compressStereoChannel(second, 1, kXDelayA, kXDelayB, kXAdaptA, kXAdaptB);
  advance();
}

std::int32_t Predictor::compressMono(std::int32_t value) {
  std::int64_t* b = buf_;
  b[kYDelayA] = currentA_;
  b[kYDelayA - 1] = static_cast<std::int64_t>(b[kYDelayA] - static_cast<std::uint64_t>(b[kYDelayA - 1]));
  const std::int32_t predictionA = static_cast<std::int32_t>(
      b[kYDelayA] * coeffsA_[0][0] + b[kYDelayA - 1] * coeffsA_[0][1] + b[kYDelayA - 2] * coeffsA_[0][2] +
      b[kYDelayA - 3] * coeffsA_[0][3]);

  const std::int64_t carried = static_cast<std::int64_t>(filterA_[0] * 31U) >> 5;
  const std::int32_t current = static_cast<std::int32_t>(static_cast<std::uint32_t>(value) - Low32(carried));
  const std::int32_t residual =
      static_cast<std::int32_t>(static_cast<std::uint32_t>(current) - static_cast<std::uint32_t>(predictionA >> 10));

  b[kYAdaptA] = Sign(static_cast<std::int32_t>(b[kYDelayA]));
  b[kYAdaptA - 1] = Sign(static_cast<std::int32_t>(b[kYDelayA - 1]));
  const int sign = Sign(residual);
  for (int i = 0; i < 4; ++i) coeffsA_[0][i] += b[kYAdaptA - i] * sign;
  advance();

  filterA_[0] = static_cast<std::int64_t>(current + static_cast<std::uint64_t>(carried));
  currentA_ = current;
  return residual;
}

}  // namespace ape
