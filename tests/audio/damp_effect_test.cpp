// The automatic gain control: how it settles, that it never passes its
// target, when it may rise, and that the block split does not matter.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

#include "audio/damp_effect.h"
#include "effect_signals.h"

using namespace zaudio;
using namespace effect_test;

namespace {

// The recorder's defaults.
BFX_DAMP RecorderDefaults() {
  BFX_DAMP p;
  p.fTarget = 0.93f;
  p.fQuiet = 0.02f;
  p.fRate = 0.01f;
  p.fGain = 1.0f;
  p.fDelay = 0.5f;
  return p;
}

DampEffect Damp(const BFX_DAMP& p) {
  DampEffect fx;
  EXPECT_TRUE(fx.setParameters(&p));
  return fx;
}

// A square wave: every sample at the same magnitude, so that every 10 ms has
// the same peak.
std::vector<float> Square(size_t frames, int channels, float amplitude) {
  std::vector<float> out(frames * static_cast<size_t>(channels));
  for (size_t i = 0; i < frames; ++i)
    for (int c = 0; c < channels; ++c) out[i * channels + c] = (i / 20) % 2 ? -amplitude : amplitude;
  return out;
}

}  // namespace

TEST(Damp, QuietToneSettlesAtTheTargetWithinTenSeconds) {
  constexpr DWORD kRate = 44100;
  const BFX_DAMP p = RecorderDefaults();
  DampEffect fx = Damp(p);
  std::vector<float> out = Sine(kRate * 10, kRate, 1000, {0.1, 0.05});  // -20 dBFS, the right 6 dB lower
  RunInBlocks(fx, out, 2, kRate, {441});

  // Nothing changes for the first half second, then one gain on both channels.
  EXPECT_NEAR(Peak(out, 2, 0, 0, kRate / 2 - 1), 0.1, 1e-6);
  const size_t lastTenth = kRate * 99 / 10;
  EXPECT_NEAR(Peak(out, 2, 0, lastTenth, kRate * 10), 0.93, 0.93 * 0.05);
  EXPECT_NEAR(Peak(out, 2, 1, lastTenth, kRate * 10), Peak(out, 2, 0, lastTenth, kRate * 10) / 2, 1e-4);
  EXPECT_LE(Peak(out, 2, 0, kRate * 10), p.fTarget);
}

TEST(Damp, RisesByItsRatePerTenMillisecondsAfterTheDelayAtAnyRate) {
  // A square at 0.1 under target 0.9: the gain heads for 9, closing 5 % of
  // the gap per 10 ms once 0.3 s have passed, at every sample rate.
  BFX_DAMP p;
  p.fTarget = 0.9f;
  p.fQuiet = 0;
  p.fRate = 0.05f;
  p.fGain = 1;
  p.fDelay = 0.3f;
  const auto gainAfter = [](double seconds) { return 9 - 8 * std::pow(0.95, 100 * std::max(0.0, seconds)); };
  for (DWORD rate : {22050u, 44100u, 48000u}) {
    SCOPED_TRACE(rate);
    DampEffect fx = Damp(p);
    std::vector<float> out = Square(rate * 2, 1, 0.1f);
    RunInBlocks(fx, out, 1, rate, {512});
    const auto gainAt = [&](double seconds) { return std::fabs(out[static_cast<size_t>(seconds * rate)]) / 0.1; };
    EXPECT_FLOAT_EQ(gainAt(0.29), 1.0f);
    // The new gain is reached over the 10 ms after each step.
    for (double t : {0.4, 0.5, 0.8}) {
      EXPECT_GE(gainAt(t), gainAfter(t - 0.3 - 0.021)) << t << " s";
      EXPECT_LE(gainAt(t), gainAfter(t - 0.3 + 0.001)) << t << " s";
    }
    EXPECT_NEAR(gainAt(1.99), 9, 0.01);
  }
}

TEST(Damp, StepUpOfTwentyDecibelsNeverPassesTheTarget) {
  constexpr DWORD kRate = 48000;
  const BFX_DAMP p = RecorderDefaults();
  DampEffect fx = Damp(p);
  std::vector<float> out = Sine(kRate * 10, kRate, 1000, {0.1, 0.1});
  Append(out, Sine(kRate * 2, kRate, 1000, {1.0, 1.0}, kRate * 10));
  RunInBlocks(fx, out, 2, kRate, {480});
  EXPECT_LE(Peak(out, 2, 0, out.size() / 2), p.fTarget);
  // The gain fell at once: the first 10 ms of the loud part are at the target.
  EXPECT_NEAR(Peak(out, 2, kRate * 10, kRate * 10 + kRate / 100), 0.93, 0.005);
}

TEST(Damp, PeaksUnderTheQuietLevelAreNotRaised) {
  struct Case {
    float amplitude, startGain;
    bool raised;
  };
  constexpr DWORD kRate = 44100;
  for (const Case c : {Case{0.015f, 1.0f, false}, Case{0.015f, 0.5f, false}, Case{0.03f, 1.0f, true}}) {
    SCOPED_TRACE(testing::Message() << c.amplitude << " from gain " << c.startGain);
    BFX_DAMP p = RecorderDefaults();
    p.fGain = c.startGain;
    DampEffect fx = Damp(p);
    const std::vector<float> in = Sine(kRate * 5, kRate, 1000, {c.amplitude, c.amplitude});
    std::vector<float> out = in;
    RunInBlocks(fx, out, 2, kRate, {441});
    const double gain = Peak(out, 2, kRate * 4, kRate * 5) / Peak(in, 2, kRate * 4, kRate * 5);
    if (c.raised)
      EXPECT_GT(gain, 10);
    else
      EXPECT_NEAR(gain, c.startGain, 1e-6);
  }
}

TEST(Damp, ResultDoesNotDependOnHowTheAudioIsSplitIntoBlocks) {
  BFX_DAMP p = RecorderDefaults();
  p.fDelay = 0.1f;
  p.fRate = 0.05f;
  p.fQuiet = 0.005f;
  for (DWORD rate : {22050u, 44100u}) {
    SCOPED_TRACE(rate);
    const std::vector<float> in = Varied(rate * 4, 2, rate);
    DampEffect whole = Damp(p);
    std::vector<float> expected = in;
    RunInBlocks(whole, expected, 2, rate, {rate * 4});
    for (const std::vector<size_t>& split : {std::vector<size_t>{1}, {441}, {4410}, {1, 133, 4410, 2, 577, 64}}) {
      DampEffect fx = Damp(p);
      std::vector<float> out = in;
      RunInBlocks(fx, out, 2, rate, split);
      EXPECT_EQ(out, expected) << "first block " << split[0] << " frames";
    }
  }
}

TEST(Damp, BrokenInputSamplesGiveSilenceNotBrokenOutput) {
  DampEffect fx = Damp(RecorderDefaults());
  std::vector<float> in = Sine(4410, 44100, 1000, {0.5, 0.5});
  in[100] = std::numeric_limits<float>::quiet_NaN();
  in[2001] = std::numeric_limits<float>::infinity();
  std::vector<float> out = in;
  RunInBlocks(fx, out, 2, 44100, {441});
  // Those two are silent, the rest untouched: the gain did not move.
  in[100] = in[2001] = 0;
  EXPECT_EQ(out, in);
}

TEST(Damp, ReadsBackWhatWasSetRefusesBadValuesAndRestartsTheGainWhenSet) {
  DampEffect fx;
  BFX_DAMP got;
  fx.getParameters(&got);
  const BFX_DAMP defaults;
  EXPECT_EQ(std::memcmp(&got, &defaults, sizeof got), 0);

  const BFX_DAMP set = RecorderDefaults();
  ASSERT_TRUE(fx.setParameters(&set));
  const float nan = std::numeric_limits<float>::quiet_NaN(), inf = std::numeric_limits<float>::infinity();
  struct Bad {
    float BFX_DAMP::*field;
    float value;
  };
  for (const Bad b : {Bad{&BFX_DAMP::fTarget, nan}, Bad{&BFX_DAMP::fTarget, inf}, Bad{&BFX_DAMP::fTarget, 0},
                      Bad{&BFX_DAMP::fQuiet, nan}, Bad{&BFX_DAMP::fQuiet, -0.1f}, Bad{&BFX_DAMP::fRate, inf},
                      Bad{&BFX_DAMP::fRate, 1.5f}, Bad{&BFX_DAMP::fRate, -0.01f}, Bad{&BFX_DAMP::fGain, -inf},
                      Bad{&BFX_DAMP::fGain, -1}, Bad{&BFX_DAMP::fDelay, nan}, Bad{&BFX_DAMP::fDelay, -1}}) {
    BFX_DAMP p = set;
    p.*b.field = b.value;
    EXPECT_FALSE(fx.setParameters(&p)) << b.value;
  }
  fx.getParameters(&got);
  EXPECT_EQ(std::memcmp(&got, &set, sizeof got), 0);

  // Raised well above 1, then set again: back to the starting gain.
  std::vector<float> quiet = Sine(44100 * 5, 44100, 1000, {0.1});
  RunInBlocks(fx, quiet, 1, 44100, {441});
  ASSERT_GT(Peak(quiet, 1, 44100 * 4, 44100 * 5), 0.5);
  ASSERT_TRUE(fx.setParameters(&set));
  std::vector<float> again = Sine(441, 44100, 1000, {0.1});
  RunInBlocks(fx, again, 1, 44100, {441});
  EXPECT_NEAR(Peak(again, 1, 0, 441), 0.1, 1e-6);
}
