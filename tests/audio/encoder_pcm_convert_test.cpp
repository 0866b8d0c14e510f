// Sample conversion for the encoders: float to integers with rounding and
// clipping, and which encoding the flags select.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "audio/encode/encode_flags.h"
#include "audio/encode/pcm_convert.h"

using namespace zaudio;

namespace {

struct FloatCase {
  PcmEncoding output;
  float in;
  std::int64_t expected;  // U8 as its unsigned byte
};

std::int64_t ConvertOne(PcmEncoding output, float in) {
  std::uint8_t out[4] = {};
  ConvertSamples(SampleType::F32, output, &in, out, 1);
  switch (output) {
    case PcmEncoding::U8: return out[0];
    case PcmEncoding::S16: return static_cast<std::int16_t>(out[0] | out[1] << 8);
    case PcmEncoding::S24: return static_cast<std::int32_t>(std::uint32_t(out[0]) << 8 | out[1] << 16 | out[2] << 24) >> 8;
    case PcmEncoding::S32: return static_cast<std::int32_t>(out[0] | out[1] << 8 | out[2] << 16 | std::uint32_t(out[3]) << 24);
    case PcmEncoding::F32: break;
  }
  return 0;
}

// k/2 steps of the output's least significant bit: halves lie exactly between two values.
float Halves(int k, int bits) { return std::ldexp(static_cast<float>(k) / 2, -(bits - 1)); }

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInf = std::numeric_limits<float>::infinity();

}  // namespace

class PcmConvertFloat : public ::testing::TestWithParam<FloatCase> {};

TEST_P(PcmConvertFloat, ScalesRoundsHalvesToEvenAndClips) {
  const FloatCase c = GetParam();
  EXPECT_EQ(ConvertOne(c.output, c.in), c.expected) << "input " << c.in;
}

INSTANTIATE_TEST_SUITE_P(
    Pcm, PcmConvertFloat,
    ::testing::Values(
        // 8 bits, unsigned around 128.
        FloatCase{PcmEncoding::U8, 0.0f, 128}, FloatCase{PcmEncoding::U8, 1.0f, 255},
        FloatCase{PcmEncoding::U8, -1.0f, 0}, FloatCase{PcmEncoding::U8, 3.0f, 255},
        FloatCase{PcmEncoding::U8, -kInf, 0}, FloatCase{PcmEncoding::U8, kNaN, 128},
        FloatCase{PcmEncoding::U8, Halves(1, 8), 128}, FloatCase{PcmEncoding::U8, Halves(3, 8), 130},
        FloatCase{PcmEncoding::U8, Halves(-3, 8), 126}, FloatCase{PcmEncoding::U8, 0.5f, 192},
        // 16 bits.
        FloatCase{PcmEncoding::S16, 1.0f, 32767}, FloatCase{PcmEncoding::S16, -1.0f, -32768},
        FloatCase{PcmEncoding::S16, 1.5f, 32767}, FloatCase{PcmEncoding::S16, -2.0f, -32768},
        FloatCase{PcmEncoding::S16, kInf, 32767}, FloatCase{PcmEncoding::S16, kNaN, 0},
        FloatCase{PcmEncoding::S16, Halves(1, 16), 0}, FloatCase{PcmEncoding::S16, Halves(-1, 16), 0},
        FloatCase{PcmEncoding::S16, Halves(3, 16), 2}, FloatCase{PcmEncoding::S16, Halves(5, 16), 2},
        FloatCase{PcmEncoding::S16, Halves(-5, 16), -2}, FloatCase{PcmEncoding::S16, Halves(7, 16), 4},
        FloatCase{PcmEncoding::S16, 0.3f, 9830}, FloatCase{PcmEncoding::S16, -0.25f, -8192},
        // 24 bits, three bytes.
        FloatCase{PcmEncoding::S24, 1.0f, 8388607}, FloatCase{PcmEncoding::S24, -1.0f, -8388608},
        FloatCase{PcmEncoding::S24, -1.0001f, -8388608}, FloatCase{PcmEncoding::S24, kNaN, 0},
        FloatCase{PcmEncoding::S24, Halves(3, 24), 2}, FloatCase{PcmEncoding::S24, Halves(-3, 24), -2},
        FloatCase{PcmEncoding::S24, 0x123456 / 8388608.0f, 0x123456},
        FloatCase{PcmEncoding::S24, -1 / 8388608.0f, -1},
        // 32-bit integers.
        FloatCase{PcmEncoding::S32, 1.0f, 2147483647}, FloatCase{PcmEncoding::S32, -1.0f, -2147483648LL},
        FloatCase{PcmEncoding::S32, 4.0f, 2147483647}, FloatCase{PcmEncoding::S32, kNaN, 0},
        FloatCase{PcmEncoding::S32, 0.5f, 1073741824}, FloatCase{PcmEncoding::S32, -0.75f, -1610612736},
        FloatCase{PcmEncoding::S32, Halves(5, 32), 2}, FloatCase{PcmEncoding::S32, Halves(-7, 32), -4}));

TEST(PcmConvert, FlagsChooseTheWidthOfFloatInputOnly) {
  struct Case {
    DWORD flags;
    PcmEncoding fromFloat;
  };
  for (const Case c : {Case{0, PcmEncoding::F32}, Case{ENCODE_FP_8BIT, PcmEncoding::U8},
                       Case{ENCODE_FP_16BIT, PcmEncoding::S16}, Case{ENCODE_FP_24BIT, PcmEncoding::S24},
                       Case{ENCODE_FP_32BIT | ENCODE_PCM, PcmEncoding::S32}}) {
    EXPECT_EQ(EncodingFor(SampleType::F32, c.flags), c.fromFloat) << c.flags;
    EXPECT_EQ(EncodingFor(SampleType::S16, c.flags), PcmEncoding::S16) << c.flags;
    EXPECT_EQ(EncodingFor(SampleType::U8, c.flags), PcmEncoding::U8) << c.flags;
  }
  for (const DWORD bad : {0xAu, 0xCu, 0xEu}) {
    EXPECT_FALSE(EncodingFor(SampleType::F32, bad)) << bad;
    EXPECT_FALSE(EncodingFor(SampleType::S16, bad)) << bad;
  }
}
