// --denoise takes background noise down against the tone; --agc brings a
// quiet tone up.
#include <cmath>
#include <numbers>

#include "speexenc_harness.h"

namespace speexenc_test {
namespace {

constexpr double kBurst = 0.2;  // seconds of tone, then as long without

// Tone bursts as syllables come, over steady noise: the gaps let the noise be
// told from the tone.
SignalFn BurstsOverNoise() {
  auto source = std::make_shared<Noise>(5);
  return [source](int, double t) {
    const bool on = std::fmod(t, 2 * kBurst) < kBurst;
    return (on ? 0.3 * std::sin(2 * std::numbers::pi * 1000 * t) : 0.0) + 0.05 * source->next();
  };
}

struct Levels {
  double burst = 0, gap = 0;  // rms in the middle of bursts and of gaps
};

// From 1.5 s on, once the preprocessor has settled, in decoded 16 kHz mono.
Levels BurstAndGapLevels(const Decoded& d) {
  double burst = 0, gap = 0;
  size_t nBurst = 0, nGap = 0;
  for (size_t i = static_cast<size_t>(1.5 * d.rate); i < d.samples.size(); ++i) {
    const double phase = std::fmod(double(i) / d.rate, 2 * kBurst);
    const double v = d.samples[i];
    if (phase > 0.05 && phase < kBurst - 0.05) burst += v * v, ++nBurst;
    if (phase > kBurst + 0.05 && phase < 2 * kBurst - 0.05) gap += v * v, ++nGap;
  }
  return {std::sqrt(burst / double(nBurst)), std::sqrt(gap / double(nGap))};
}

class SpeexencPreprocessing : public SpeexencTest {
 protected:
  std::optional<Decoded> encodeAndDecode(const Bytes& stream, std::vector<std::string> switches) {
    const auto spx = file("out.spx");
    const ProgramRun run = encode(stream, switches, spx);
    EXPECT_EQ(run.exitCode, 0) << run.err;
    return Decode(Decoder::Speexdec, spx, dir());
  }
};

TEST_F(SpeexencPreprocessing, DenoiseLowersTheNoiseAgainstTheTone) {
  const Bytes stream = WavStream(16000, 1, 16, 3.0, BurstsOverNoise());
  const auto plain = encodeAndDecode(stream, {"--bitrate", "32", "-w"});
  const auto denoised = encodeAndDecode(stream, {"--bitrate", "32", "-w", "--denoise"});
  ASSERT_TRUE(plain && denoised);
  const Levels a = BurstAndGapLevels(*plain), b = BurstAndGapLevels(*denoised);
  const double before = 20 * std::log10(a.gap / a.burst), after = 20 * std::log10(b.gap / b.burst);
  EXPECT_LT(after, before - 6) << "noise to tone " << before << " dB, denoised " << after << " dB";
  EXPECT_GT(b.burst, 0.5 * a.burst);  // the tone itself stays
}

TEST_F(SpeexencPreprocessing, AgcRaisesAQuietTone) {
  // Peaks at -40 dBFS.
  const Bytes stream = WavStream(16000, 1, 16, 3.0, SpeechLikeTone(0.01, 1, 0.0005));
  const auto plain = encodeAndDecode(stream, {"--bitrate", "32", "-w"});
  const auto raised = encodeAndDecode(stream, {"--bitrate", "32", "-w", "--agc"});
  ASSERT_TRUE(plain && raised);
  const double before = Rms(plain->samples, plain->rate, 2.0, 3.0);
  const double after = Rms(raised->samples, raised->rate, 2.0, 3.0);
  EXPECT_GT(after, 2 * before) << before << " against " << after;
}

}  // namespace
}  // namespace speexenc_test
