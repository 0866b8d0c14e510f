// How filtered values go back into integer samples: rounded to nearest with
// halves to even, saturated at full scale (never wrapped), 8-bit about 128;
// and the clip functions.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <numbers>
#include <vector>

#include "dsp/recording_filters.h"
#include "dsp/samples.h"
#include "filter_buffers.h"

namespace {

using dsp_test::Buffer;
using zdsp::SampleIo;
using zdsp::SampleKind;

constexpr double kInf = std::numeric_limits<double>::infinity();

TEST(SampleWrite, RoundsHalvesToEvenAndSaturates) {
  struct Row {
    double value;
    int s16;  // as stored
    int u8;   // as stored
  };
  const Row rows[] = {
      {0.0, 0, 128},          {0.4999, 0, 128},      {0.5, 0, 128},          {1.5, 2, 130},
      {2.5, 2, 130},          {-0.5, 0, 128},        {-1.5, -2, 126},        {-2.5, -2, 126},
      {126.5, 126, 254},      {127.4, 127, 255},     {127.5, 128, 255},      {-128.5, -128, 0},
      {-129, -129, 0},        {32766.5, 32766, 255}, {32767.5, 32767, 255},  {40000, 32767, 255},
      {-32768.5, -32768, 0},  {-40000, -32768, 0},   {1e300, 32767, 255},    {-1e300, -32768, 0},
      {kInf, 32767, 255},     {-kInf, -32768, 0},    {std::nan(""), 0, 128},
  };
  for (const Row& r : rows) {
    EXPECT_EQ(SampleIo<SampleKind::S16>::Write(r.value), r.s16) << r.value;
    EXPECT_EQ(SampleIo<SampleKind::U8>::Write(r.value), r.u8) << r.value;
  }
  // Floats go back as they are, past full scale too.
  EXPECT_EQ(SampleIo<SampleKind::F32>::Write(1.75), 1.75f);
  EXPECT_EQ(SampleIo<SampleKind::F32>::Write(-3.0), -3.0f);
}

TEST(Clip, KeepsTheRange) {
  EXPECT_EQ(zdsp::Clip8(-129), -128);
  EXPECT_EQ(zdsp::Clip8(-128), -128);
  EXPECT_EQ(zdsp::Clip8(127), 127);
  EXPECT_EQ(zdsp::Clip8(128), 127);
  EXPECT_EQ(zdsp::Clip16(-32769), -32768);
  EXPECT_EQ(zdsp::Clip16(32767), 32767);
  EXPECT_EQ(zdsp::Clip16(32768), 32767);
  EXPECT_EQ(zdsp::Clip16(std::numeric_limits<int>::min()), -32768);
  // 32-bit keeps its range symmetric: -2^31 is not produced.
  EXPECT_EQ(zdsp::Clip32(-2147483648LL), -2147483647);
  EXPECT_EQ(zdsp::Clip32(-2147483647LL), -2147483647);
  EXPECT_EQ(zdsp::Clip32(2147483647LL), 2147483647);
  EXPECT_EQ(zdsp::Clip32(2147483648LL), 2147483647);
  EXPECT_EQ(zdsp::Clip32(std::numeric_limits<std::int64_t>::max()), 2147483647);
  EXPECT_EQ(zdsp::Clip32(std::numeric_limits<std::int64_t>::min()), -2147483647);
}

// An independent reference: the cookbook biquad of Q = 1 in direct form I.
std::vector<double> Biquad(const std::vector<double>& x, int channels, bool highPass, double fc, double rate) {
  const double w0 = 2 * std::numbers::pi * fc / rate, cosw = std::cos(w0), alpha = std::sin(w0) / 2;
  const double b0 = highPass ? (1 + cosw) / 2 : (1 - cosw) / 2, b1 = highPass ? -(1 + cosw) : 1 - cosw;
  const double a0 = 1 + alpha, a1 = -2 * cosw, a2 = 1 - alpha;
  std::vector<double> y(x.size());
  for (int c = 0; c < channels; ++c) {
    double x1 = 0, x2 = 0, y1 = 0, y2 = 0;
    for (std::size_t i = static_cast<std::size_t>(c); i < x.size(); i += static_cast<std::size_t>(channels)) {
      y[i] = (b0 * x[i] + b1 * x1 + b0 * x2 - a1 * y1 - a2 * y2) / a0;
      x2 = x1, x1 = x[i], y2 = y1, y1 = y[i];
    }
  }
  return y;
}

struct IntegerCase {
  const char* name;
  SampleKind sample;
  zdsp::FilterKind kind;
  double fc;
};

void PrintTo(const IntegerCase& c, std::ostream* os) { *os << c.name; }

class IntegerSamples : public ::testing::TestWithParam<IntegerCase> {};

// Full-scale two-level noise overshoots in both filters, so the output both
// rounds and saturates; a wrap or a truncation shows as a wrong sample.
TEST_P(IntegerSamples, AreTheRoundedClippedFilterOutput) {
  const IntegerCase& c = GetParam();
  const int channels = 2;
  std::vector<double> levels = dsp_test::Noise(44100 * channels, 1, 5);
  for (double& v : levels) v = v < 0 ? -1 : 1;
  const Buffer in = Buffer::From(c.sample, channels, levels);
  const zdsp::FilterSettings settings{5000, 100, 0, 44100};  // low-pass 11025 Hz, high-pass 220 Hz
  const Buffer ours = dsp_test::Filtered(c.kind, settings, 44100, in);
  const std::vector<double> ref = Biquad(in.values(), channels, c.kind == zdsp::kHighPass, c.fc, 44100);
  const double lo = c.sample == SampleKind::U8 ? -128 : -32768, hi = c.sample == SampleKind::U8 ? 127 : 32767;
  int clipped = 0, halves = 0, wrong = 0;
  for (std::size_t i = 0; i < ref.size(); ++i) {
    // Within rounding error of a half the two filters may fall either way.
    if (std::fabs(ref[i] - std::floor(ref[i]) - 0.5) < 1e-6) continue;
    halves += std::fabs(ref[i] - std::floor(ref[i]) - 0.5) < 0.01;
    const double expected = std::clamp(std::nearbyint(ref[i]), lo, hi);
    clipped += expected != std::nearbyint(ref[i]);
    if (ours.at(i) != expected && ++wrong <= 5)
      ADD_FAILURE() << "sample " << i << ": " << ours.at(i) << " for " << ref[i];
  }
  EXPECT_EQ(wrong, 0);
  EXPECT_GT(clipped, 100);
  EXPECT_GT(halves, 100);  // many values close to a half: the rounding direction is exercised
}

INSTANTIATE_TEST_SUITE_P(Filters, IntegerSamples,
                         ::testing::Values(IntegerCase{"low_pass_16_bit", SampleKind::S16, zdsp::kLowPass, 11025},
                                           IntegerCase{"high_pass_16_bit", SampleKind::S16, zdsp::kHighPass, 220},
                                           IntegerCase{"low_pass_8_bit", SampleKind::U8, zdsp::kLowPass, 11025},
                                           IntegerCase{"high_pass_8_bit", SampleKind::U8, zdsp::kHighPass, 220}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
