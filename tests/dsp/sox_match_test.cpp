// The filters against sox's biquads (lowpass / highpass / bandpass with a
// width of 1q) on the same white noise: the trapezoidal state-variable filter
// with damping 1 is the same bilinear transform of the same analog prototype,
// so the two agree to rounding. Where sox has nothing to compare (a cutoff
// at the Nyquist frequency or 0 Hz) the expected output is the input or
// silence exactly.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "dsp/recording_filters.h"
#include "filter_buffers.h"
#include "support/scratch_dir.h"

namespace {

using dsp_test::Buffer;
using zdsp::FilterKind;
using zdsp::FilterSettings;
using zdsp::SampleKind;

enum class Expect { kSox, kUnchanged, kSilence };

struct SoxCase {
  const char* name;
  FilterKind kind;
  FilterSettings settings;  // lowCut, highCut, notchFrequency, sampleRate
  int bufferRate;
  SampleKind sample;
  Expect expect;
  std::vector<std::string> effects;  // sox's, when compared with sox
};

void PrintTo(const SoxCase& c, std::ostream* os) { *os << c.name; }

class MatchesSox : public ::testing::TestWithParam<SoxCase> {};

TEST_P(MatchesSox, OnWhiteNoise) {
  const SoxCase& c = GetParam();
  const int channels = 3;  // a pair of channels and one alone take different loops
  const auto samples = static_cast<std::size_t>(c.bufferRate) * channels;  // a second
  const Buffer in = Buffer::From(c.sample, channels, dsp_test::Noise(samples, 0.5, 11));
  const Buffer ours = dsp_test::Filtered(c.kind, c.settings, c.bufferRate, in);
  switch (c.expect) {
    case Expect::kUnchanged:
      EXPECT_EQ(ours.bytes, in.bytes);
      return;
    case Expect::kSilence:
      EXPECT_EQ(ours.bytes, Buffer::From(c.sample, channels, std::vector<double>(in.samples())).bytes);
      return;
    case Expect::kSox:
      break;
  }
  const zovedu_test::ScratchDir dir;
  const Buffer sox = dsp_test::Sox(in, c.bufferRate, c.effects, dir);
  const double db = dsp_test::ErrorDb(ours, sox, in);
  std::printf("  %s: error against sox %.1f dB\n", c.name, db);
  EXPECT_LE(db, -90);
  // The comparison has teeth: the filter moved the signal far more than
  // the distance to sox (even a 1 Hz high-pass).
  EXPECT_LT(db, dsp_test::ErrorDb(ours, in, in) - 30);
}

constexpr FilterSettings Positions(int lowCut, int highCut, int rate = 44100) { return {lowCut, highCut, 0, rate}; }
constexpr FilterSettings Notch(int hz, int rate = 44100) { return {0, 0, hz, rate}; }

INSTANTIATE_TEST_SUITE_P(
    Filters, MatchesSox,
    ::testing::Values(
        SoxCase{"low_pass_half", zdsp::kLowPass, Positions(5000, 0), 44100, SampleKind::F32, Expect::kSox,
                {"lowpass", "11025", "1q"}},
        SoxCase{"high_pass_one_per_cent", zdsp::kHighPass, Positions(0, 100), 44100, SampleKind::F32, Expect::kSox,
                {"highpass", "220", "1q"}},
        SoxCase{"band_300_3000", zdsp::kBandPass, Positions(300, 3000), 44100, SampleKind::F32, Expect::kSox,
                {"lowpass", "3000", "1q", "highpass", "300", "1q"}},
        // With Q = 1 sox's two band-passes, 0 dB peak and constant skirt
        // gain (-c, peak gain Q), are one and the same filter.
        SoxCase{"notch_half", zdsp::kNotchPass, Notch(zdsp::NotchFrequencyFor(44100, 50)), 44100, SampleKind::F32,
                Expect::kSox, {"bandpass", "11025", "1q"}},
        SoxCase{"notch_half_skirt_gain", zdsp::kNotchPass, Notch(11025), 44100, SampleKind::F32, Expect::kSox,
                {"bandpass", "-c", "11025", "1q"}},
        SoxCase{"notch_low", zdsp::kNotchPass, Notch(zdsp::NotchFrequencyFor(44100, 1)), 44100, SampleKind::F32,
                Expect::kSox, {"bandpass", "220", "1q"}},
        // Positions 0 and 10000: 0 Hz and the Nyquist frequency.
        SoxCase{"low_pass_position_0", zdsp::kLowPass, Positions(0, 0), 44100, SampleKind::F32, Expect::kSilence, {}},
        SoxCase{"low_pass_position_10000", zdsp::kLowPass, Positions(10000, 0), 44100, SampleKind::F32,
                Expect::kUnchanged, {}},
        SoxCase{"high_pass_position_0", zdsp::kHighPass, Positions(0, 0), 44100, SampleKind::F32, Expect::kUnchanged,
                {}},
        SoxCase{"high_pass_position_10000", zdsp::kHighPass, Positions(0, 10000), 44100, SampleKind::F32,
                Expect::kSilence, {}},
        SoxCase{"notch_at_nyquist", zdsp::kNotchPass, Notch(zdsp::NotchFrequencyFor(44100, 100)), 44100,
                SampleKind::F32, Expect::kSilence, {}},
        // Integer samples keep 1 Hz at position 0, which sox can run.
        SoxCase{"high_pass_position_0_16_bit", zdsp::kHighPass, Positions(0, 0), 44100, SampleKind::S16, Expect::kSox,
                {"highpass", "1", "1q"}},
        SoxCase{"low_pass_position_0_16_bit", zdsp::kLowPass, Positions(0, 0), 44100, SampleKind::S16, Expect::kSox,
                {"lowpass", "1", "1q"}},
        SoxCase{"band_300_3000_16_bit", zdsp::kBandPass, Positions(300, 3000), 44100, SampleKind::S16, Expect::kSox,
                {"lowpass", "3000", "1q", "highpass", "300", "1q"}},
        SoxCase{"high_pass_one_per_cent_8_bit", zdsp::kHighPass, Positions(0, 100), 44100, SampleKind::U8,
                Expect::kSox, {"highpass", "220", "1q"}},
        // Band edges: an upper edge past the Nyquist frequency leaves the
        // high-pass alone; a lower edge of 0 Hz leaves the low-pass alone.
        SoxCase{"band_upper_edge_past_nyquist", zdsp::kBandPass, Positions(300, 30000), 44100, SampleKind::F32,
                Expect::kSox, {"highpass", "300", "1q"}},
        SoxCase{"band_lower_edge_0", zdsp::kBandPass, Positions(0, 3000), 44100, SampleKind::F32, Expect::kSox,
                {"lowpass", "3000", "1q"}},
        SoxCase{"band_lower_edge_0_16_bit", zdsp::kBandPass, Positions(0, 3000), 44100, SampleKind::S16, Expect::kSox,
                {"lowpass", "3000", "1q", "highpass", "1", "1q"}},
        SoxCase{"band_upper_edge_half_of_11025", zdsp::kBandPass, Positions(300, 6000, 11025), 11025, SampleKind::F32,
                Expect::kSox, {"highpass", "300", "1q"}},
        // Buffers at another rate than the chosen one: Hz from the chosen
        // rate, the filter tuned and limited by the buffers' rate.
        SoxCase{"low_pass_chosen_44100_buffers_48000", zdsp::kLowPass, Positions(5000, 0), 48000, SampleKind::F32,
                Expect::kSox, {"lowpass", "11025", "1q"}},
        SoxCase{"low_pass_position_10000_at_11025", zdsp::kLowPass, Positions(10000, 0, 11025), 11025,
                SampleKind::F32, Expect::kSox, {"lowpass", "5512", "1q"}},
        SoxCase{"high_pass_chosen_96000_buffers_44100", zdsp::kHighPass, Positions(0, 5000, 96000), 44100,
                SampleKind::F32, Expect::kSilence, {}}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
