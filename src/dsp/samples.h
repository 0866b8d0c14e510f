// Reading and writing the capture channel's samples as doubles: unsigned
// 8-bit about 128, signed 16-bit, and float as it is. Integer samples are
// filtered on their own scale (-128..127, -32768..32767) and written back
// rounded to nearest, halves to even, saturating at full scale.
#pragma once

#include <cstdint>

#include "dsp/recording_filters.h"

namespace zdsp {

// Rounds to the nearest integer, halves to even, within [lo, hi] (integer
// bounds); NaN becomes 0. Adding and taking away 1.5 * 2^52 leaves the
// rounding to the FPU in its default mode, which is nearest-even; the value
// is already within +-2^31 by then, far inside the range where that is exact.
inline double RoundWithin(double v, double lo, double hi) {
  constexpr double kShift = 6755399441055744.0;  // 1.5 * 2^52
  v = v > hi ? hi : v;
  v = v < lo ? lo : v;
  v = v == v ? v : 0.0;
  return (v + kShift) - kShift;
}

template <SampleKind K>
struct SampleIo;

template <>
struct SampleIo<SampleKind::U8> {
  using Type = std::uint8_t;
  static double Read(Type s) { return static_cast<double>(s) - 128; }
  static Type Write(double v) { return static_cast<Type>(static_cast<int>(RoundWithin(v, -128, 127)) + 128); }
  static constexpr Type kSilence = 128;
};

template <>
struct SampleIo<SampleKind::S16> {
  using Type = std::int16_t;
  static double Read(Type s) { return s; }
  static Type Write(double v) { return static_cast<Type>(RoundWithin(v, -32768, 32767)); }
  static constexpr Type kSilence = 0;
};

template <>
struct SampleIo<SampleKind::F32> {
  using Type = float;
  static double Read(Type s) { return s; }
  static Type Write(double v) { return static_cast<Type>(v); }
  static constexpr Type kSilence = 0;
};

inline int BytesPerSample(SampleKind kind) {
  return kind == SampleKind::U8 ? 1 : kind == SampleKind::S16 ? 2 : 4;
}

}  // namespace zdsp
