// The filters' state over a recording: carried across buffers whatever their
// size, separate per channel, decaying to exact zero instead of subnormal
// numbers, never keeping a NaN or an infinity, and bounded at every rate and
// position.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "dsp/recording_filters.h"
#include "filter_buffers.h"

namespace {

using dsp_test::Buffer;
using zdsp::FilterKind;
using zdsp::FilterSettings;
using zdsp::RecordingFilters;
using zdsp::SampleKind;

constexpr FilterKind kKinds[] = {zdsp::kHighPass, zdsp::kLowPass, zdsp::kBandPass, zdsp::kNotchPass};
constexpr SampleKind kSamples[] = {SampleKind::U8, SampleKind::S16, SampleKind::F32};

// Low-pass 661 Hz, high-pass 6615 Hz, band 300..3000 Hz, notch 1000 Hz: all
// four filters doing something.
constexpr FilterSettings kSettings{300, 3000, 1000, 44100};

std::string Describe(FilterKind kind, SampleKind sample) {
  static const char* kinds[] = {"high-pass", "low-pass", "band-pass", "notch"};
  static const char* samples[] = {"8-bit", "16-bit", "float"};
  return std::string(kinds[kind]) + " " + samples[static_cast<int>(sample)];
}

bool Clean(double v) { return v == 0 || (std::isfinite(v) && std::fabs(v) >= 1e-30); }

// Every state value of every filter is finite and 0 or at least 1e-30.
::testing::AssertionResult StateClean(const RecordingFilters& filters) {
  for (FilterKind kind : kKinds)
    for (const auto& s : filters.state(kind))
      if (!Clean(s.ic1) || !Clean(s.ic2))
        return ::testing::AssertionFailure() << "state " << s.ic1 << ", " << s.ic2 << " in filter " << kind;
  return ::testing::AssertionSuccess();
}

TEST(FilterState, SameOutputForAnyBlockSplit) {
  const int channels = 3;
  const std::vector<double> noise = dsp_test::Noise(44100 * channels, 0.5, 3);
  for (SampleKind sample : kSamples) {
    const Buffer in = Buffer::From(sample, channels, noise);
    for (FilterKind kind : kKinds) {
      const Buffer whole = dsp_test::Filtered(kind, kSettings, 44100, in);
      ASSERT_NE(whole.bytes, in.bytes) << Describe(kind, sample);
      for (std::size_t block : {1, 7, 441, 1009, 4096}) {
        RecordingFilters filters(kSettings, {44100, channels, sample});
        Buffer split = in;
        dsp_test::RunBlocks(dsp_test::DspFor(kind), filters, split, block);
        EXPECT_EQ(split.bytes, whole.bytes) << Describe(kind, sample) << " in blocks of " << block;
      }
    }
  }
}

TEST(FilterState, ChannelsAreSeparateAndASilentOneStaysSilent) {
  for (int channels : {2, 6, 16}) {
    for (SampleKind sample : kSamples) {
      // Noise everywhere except channel 1 and the last.
      std::vector<double> samples = dsp_test::Noise(4410 * static_cast<std::size_t>(channels), 0.5, 8);
      for (std::size_t i = 0; i < samples.size(); i += static_cast<std::size_t>(channels)) {
        samples[i + 1] = 0;
        samples[i + static_cast<std::size_t>(channels) - 1] = 0;
      }
      const Buffer in = Buffer::From(sample, channels, samples);
      for (FilterKind kind : kKinds) {
        RecordingFilters filters(kSettings, {44100, channels, sample});
        Buffer out = in;
        dsp_test::RunBlocks(dsp_test::DspFor(kind), filters, out, 441);
        // Channel 0 alone through a mono recording: the same samples.
        std::vector<double> first(4410);
        for (std::size_t f = 0; f < first.size(); ++f) first[f] = samples[f * static_cast<std::size_t>(channels)];
        const Buffer alone = dsp_test::Filtered(kind, kSettings, 44100, Buffer::From(sample, 1, first));
        for (std::size_t f = 0; f < out.frames(); ++f) {
          const std::size_t at = f * static_cast<std::size_t>(channels);
          ASSERT_EQ(out.at(at + 1), 0) << Describe(kind, sample) << ", " << channels << " channels, frame " << f;
          ASSERT_EQ(out.at(at + static_cast<std::size_t>(channels) - 1), 0) << Describe(kind, sample);
          ASSERT_EQ(out.at(at), alone.at(f)) << Describe(kind, sample) << ", " << channels << " channels, frame " << f;
        }
      }
    }
  }
}

TEST(FilterState, ZerosAfterNoiseBecomeExactZeroWithoutSubnormals) {
  const int channels = 2, rate = 44100;
  for (SampleKind sample : kSamples) {
    std::vector<double> samples = dsp_test::Noise(static_cast<std::size_t>(rate) * channels, 0.5, 4);
    samples.resize(samples.size() * 3, 0.0);  // a second of noise, two of silence
    const Buffer in = Buffer::From(sample, channels, samples);
    for (FilterKind kind : kKinds) {
      RecordingFilters filters(kSettings, {rate, channels, sample});
      Buffer out = in;
      const auto proc = dsp_test::DspFor(kind);
      const std::size_t block = 64, frameBytes = out.frameBytes();
      for (std::size_t at = 0; at < out.frames(); at += block) {
        const std::size_t n = std::min(block, out.frames() - at);
        proc(1, 1, out.bytes.data() + at * frameBytes, static_cast<zaudio::DWORD>(n * frameBytes), &filters);
        ASSERT_TRUE(StateClean(filters)) << Describe(kind, sample) << " after frame " << at + block;
      }
      for (const auto& s : filters.state(kind)) {
        EXPECT_EQ(s.ic1, 0) << Describe(kind, sample);
        EXPECT_EQ(s.ic2, 0) << Describe(kind, sample);
      }
      // The whole last second is exact silence.
      for (std::size_t i = out.samples() * 2 / 3; i < out.samples(); ++i)
        ASSERT_EQ(out.at(i), 0) << Describe(kind, sample) << " sample " << i;
    }
  }
}

TEST(FilterState, ANonFiniteBlockLeavesTheNextClean) {
  const int channels = 2;
  const double nan = std::numeric_limits<double>::quiet_NaN(), inf = std::numeric_limits<double>::infinity();
  const Buffer noise = Buffer::From(SampleKind::F32, channels, dsp_test::Noise(4410 * channels, 0.5, 6));
  const Buffer next = Buffer::From(SampleKind::F32, channels, dsp_test::Noise(4410 * channels, 0.5, 7));
  std::vector<double> poisoned = noise.values();
  for (double& v : poisoned) v = nan;
  // NaN all through; one NaN, infinities and the largest float in the
  // middle of noise.
  std::vector<double> spiked = noise.values();
  spiked[100] = nan;
  spiked[201] = inf;
  spiked[302] = -inf;
  spiked[403] = 3.4e38;
  for (FilterKind kind : kKinds) {
    const Buffer fresh = dsp_test::Filtered(kind, kSettings, 44100, next);
    for (bool allNan : {true, false}) {
      const std::vector<double>& bad = allNan ? poisoned : spiked;
      RecordingFilters filters(kSettings, {44100, channels, SampleKind::F32});
      const auto proc = dsp_test::DspFor(kind);
      Buffer a = noise, b = Buffer::From(SampleKind::F32, channels, bad), c = next;
      dsp_test::RunBlocks(proc, filters, a, 441);
      // Frame by frame: not even for one sample does the state hold it.
      for (std::size_t f = 0; f < b.frames(); ++f) {
        proc(1, 1, b.bytes.data() + f * b.frameBytes(), static_cast<zaudio::DWORD>(b.frameBytes()), &filters);
        ASSERT_TRUE(StateClean(filters)) << Describe(kind, SampleKind::F32) << " frame " << f;
      }
      dsp_test::RunBlocks(proc, filters, c, 441);
      for (std::size_t i = 0; i < c.samples(); ++i)
        ASSERT_TRUE(std::isfinite(c.at(i))) << Describe(kind, SampleKind::F32);
      // After a block of nothing but NaN the filter starts afresh.
      if (allNan) {
        EXPECT_EQ(c.bytes, fresh.bytes) << Describe(kind, SampleKind::F32);
      }
    }
  }
}

TEST(FilterState, StaysFiniteAndBoundedAtEveryRateAndPosition) {
  const int channels = 2;
  for (int rate : {8000, 11025, 16000, 22050, 32000, 44100, 48000, 96000, 192000}) {
    // The hardest inputs at full scale: noise, the Nyquist frequency, DC.
    std::vector<double> samples = dsp_test::Noise(4096 * channels, 1, 9);
    for (int i = 0; i < 4096 * channels; ++i) samples.push_back((i / channels) % 2 ? 1.0 : -1.0);
    samples.resize(samples.size() + 4096 * channels, 1.0);
    for (SampleKind sample : kSamples) {
      const Buffer in = Buffer::From(sample, channels, samples);
      const double full = sample == SampleKind::U8 ? 128 : sample == SampleKind::S16 ? 32768 : 1;
      for (int position : {0, 1, 5000, 9999, 10000}) {
        // Band edges in Hz: position 0 and 1 at the bottom, the others cut
        // a band from a tenth of the cutoff up to it.
        const int hz = static_cast<int>(static_cast<long long>(rate / 2) * position / 10000);
        const FilterSettings settings{position, position, zdsp::NotchFrequencyFor(rate, position / 100), rate};
        const FilterSettings band{hz / 10, hz, 0, rate};
        for (FilterKind kind : kKinds) {
          RecordingFilters filters(kind == zdsp::kBandPass ? band : settings, {rate, channels, sample});
          Buffer out = in;
          dsp_test::RunBlocks(dsp_test::DspFor(kind), filters, out, 1024);
          const std::string where = Describe(kind, sample) + " at " + std::to_string(rate) + ", position " +
                                    std::to_string(position);
          ASSERT_TRUE(StateClean(filters)) << where;
          // The integrators hold about g times the signal: large but finite
          // with a cutoff just below the Nyquist frequency.
          double g = 0;
          for (const auto& section : filters.sections(kind)) g = std::max(g, section.g());
          for (const auto& s : filters.state(kind)) {
            ASSERT_LT(std::fabs(s.ic1), 8 * full * (1 + g)) << where;
            ASSERT_LT(std::fabs(s.ic2), 8 * full * (1 + g)) << where;
          }
          for (std::size_t i = 0; i < out.samples(); ++i) {
            ASSERT_TRUE(std::isfinite(out.at(i))) << where;
            ASSERT_LT(std::fabs(out.at(i)), 4 * full) << where;
          }
        }
      }
    }
  }
}

}  // namespace
