// Where the filters' cutoffs land: positions are shares of the chosen
// rate's Nyquist frequency (truncated), every cutoff is kept to what the
// chosen rate allows, integer samples never go below 1 Hz, and the buffers'
// own rate has the last word.
#include <gtest/gtest.h>

#include <ostream>

#include "dsp/cutoffs.h"
#include "dsp/recording_filters.h"

namespace {

using zdsp::BufferFormat;
using zdsp::FilterSettings;
using zdsp::SampleKind;

constexpr BufferFormat Float(int rate) { return {rate, 2, SampleKind::F32}; }
constexpr BufferFormat Int16(int rate) { return {rate, 2, SampleKind::S16}; }

struct CutoffCase {
  const char* name;
  FilterSettings settings;  // lowCut, highCut, notchFrequency, sampleRate
  BufferFormat format;
  double lowPass, highPass, notch, bandLower, bandUpper;
};

void PrintTo(const CutoffCase& c, std::ostream* os) { *os << c.name; }

class Cutoffs : public ::testing::TestWithParam<CutoffCase> {};

TEST_P(Cutoffs, Land) {
  const CutoffCase& c = GetParam();
  EXPECT_EQ(zdsp::LowPassCutoff(c.settings, c.format), c.lowPass);
  EXPECT_EQ(zdsp::HighPassCutoff(c.settings, c.format), c.highPass);
  EXPECT_EQ(zdsp::NotchCutoff(c.settings, c.format), c.notch);
  const auto band = zdsp::BandPassEdges(c.settings, c.format);
  EXPECT_EQ(band.lower, c.bandLower);
  EXPECT_EQ(band.upper, c.bandUpper);
}

INSTANTIATE_TEST_SUITE_P(
    Settings, Cutoffs,
    ::testing::Values(
        // 22050 x 5000 / 10000; 22050 x 3 / 10000 = 6.615 truncates to 6.
        CutoffCase{"middle", {5000, 3, 1000, 44100}, Float(44100), 11025, 6, 1000, 5000, 3},
        // Zero: floats keep 0 Hz, integer samples 1 Hz; the band's upper edge
        // is at least 1 Hz either way.
        CutoffCase{"zero_float", {0, 0, 0, 44100}, Float(44100), 0, 0, 0, 0, 1},
        CutoffCase{"zero_16_bit", {0, 0, 0, 44100}, Int16(44100), 1, 1, 1, 1, 1},
        CutoffCase{"zero_8_bit", {0, 0, 0, 44100}, {44100, 1, SampleKind::U8}, 1, 1, 1, 1, 1},
        CutoffCase{"negative_float", {-5, -5, -5, 44100}, Float(44100), 0, 0, 0, 0, 1},
        CutoffCase{"negative_16_bit", {-5, -5, -5, 44100}, Int16(44100), 1, 1, 1, 1, 1},
        // Past the top: rate div 2 for positions and the notch, the exact
        // half of the chosen rate for band edges.
        CutoffCase{"past_the_top", {12000, 10001, 30000, 44100}, Float(44100), 22050, 22050, 22050, 12000, 10001},
        CutoffCase{"past_the_top_band", {30000, 30000, 0, 44100}, Float(44100), 22050, 22050, 0, 22050, 22050},
        CutoffCase{"odd_rate_top", {10000, 10000, 6000, 11025}, Float(11025), 5512, 5512, 5512, 5512.5, 5512.5},
        CutoffCase{"odd_rate_band_just_inside", {5512, 5512, 0, 11025}, Float(11025), 3038, 3038, 0, 5512, 5512},
        // Buffers faster than the chosen rate: Hz as chosen.
        CutoffCase{"buffers_faster", {10000, 5000, 22050, 44100}, Float(48000), 22050, 11025, 22050, 10000, 5000},
        // Buffers slower than the chosen rate: held at their Nyquist frequency.
        CutoffCase{"buffers_slower", {10000, 5000, 40000, 96000}, Float(44100), 22050, 22050, 22050, 10000, 5000},
        CutoffCase{"buffers_slower_odd", {10000, 4000, 40000, 96000}, Float(11025), 5512.5, 5512.5, 5512.5, 5512.5,
                   4000}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(NotchFrequencyFor, RoundsHalvesToEven) {
  struct Row {
    int rate, position, hz;
  };
  const Row rows[] = {
      {44100, 50, 11025}, {44100, 100, 22050}, {44100, 0, 0},     {48000, 33, 7920},
      {44100, 1, 220},    // 220.5
      {44100, 3, 662},    // 661.5
      {44100, 5, 1102},   // 1102.5
      {11025, 1, 55},     // 5512 x 1 / 100 = 55.12 (rate div 2 first)
      {11025, 99, 5457},  // 5456.88
      {22050, 50, 5512},  // 5512.5
      {44100, -1, -220},  // -220.5
      {44100, -3, -662},  // -661.5
  };
  for (const Row& r : rows) EXPECT_EQ(zdsp::NotchFrequencyFor(r.rate, r.position), r.hz) << r.rate << " " << r.position;
}

}  // namespace
