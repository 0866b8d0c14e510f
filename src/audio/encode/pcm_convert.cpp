#include "audio/encode/pcm_convert.h"

#include <bit>
#include <cassert>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace zaudio {

static_assert(std::endian::native == std::endian::little, "WAV data is written in host order");

namespace {

// Independent of the thread's floating-point rounding mode, which the caller
// of feed() may have changed.
double RoundHalfEven(double v) {
  double whole = std::floor(v);
  const double fraction = v - whole;
  if (fraction > 0.5 || (fraction == 0.5 && std::fmod(whole, 2.0) != 0)) whole += 1;
  return whole;
}

template <int Bits>
std::int32_t FloatToInt(float x) {
  constexpr double kScale = static_cast<double>(std::int64_t{1} << (Bits - 1));
  if (std::isnan(x)) return 0;
  const double v = static_cast<double>(x) * kScale;
  if (v >= kScale - 1) return static_cast<std::int32_t>(kScale - 1);
  if (v <= -kScale) return static_cast<std::int32_t>(-kScale);
  return static_cast<std::int32_t>(RoundHalfEven(v));
}

void FromFloat(PcmEncoding output, const float* in, std::uint8_t* out, size_t samples) {
  switch (output) {
    case PcmEncoding::U8:
      for (size_t i = 0; i < samples; ++i) out[i] = static_cast<std::uint8_t>(FloatToInt<8>(in[i]) + 128);
      break;
    case PcmEncoding::S16:
      for (size_t i = 0; i < samples; ++i) {
        const auto v = static_cast<std::int16_t>(FloatToInt<16>(in[i]));
        std::memcpy(out + 2 * i, &v, 2);
      }
      break;
    case PcmEncoding::S24:
      for (size_t i = 0; i < samples; ++i) {
        const std::int32_t v = FloatToInt<24>(in[i]);
        std::memcpy(out + 3 * i, &v, 3);  // the low three bytes of a little-endian int
      }
      break;
    case PcmEncoding::S32:
      for (size_t i = 0; i < samples; ++i) {
        const std::int32_t v = FloatToInt<32>(in[i]);
        std::memcpy(out + 4 * i, &v, 4);
      }
      break;
    case PcmEncoding::F32:
      std::memcpy(out, in, samples * sizeof(float));
      break;
  }
}

}  // namespace

void ConvertSamples(SampleType input, PcmEncoding output, const void* src, void* dst,
                    size_t samples) {
  switch (input) {
    case SampleType::U8:
      assert(output == PcmEncoding::U8);
      std::memcpy(dst, src, samples);
      break;
    case SampleType::S16:
      assert(output == PcmEncoding::S16);
      std::memcpy(dst, src, samples * 2);
      break;
    case SampleType::F32:
      FromFloat(output, static_cast<const float*>(src), static_cast<std::uint8_t*>(dst), samples);
      break;
  }
}

}  // namespace zaudio
