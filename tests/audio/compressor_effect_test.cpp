// The compressor: its static curve next to ffmpeg's acompressor, look-ahead,
// extreme settings and the parameters it refuses.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <sstream>
#include <string>

#include "audio/compressor_effect.h"
#include "effect_signals.h"
#include "support/program_run.h"
#include "support/scratch_dir.h"
#include "support/test_wav.h"

using namespace zaudio;
using namespace effect_test;

namespace {

// The recorder's defaults.
DX8_COMPRESSOR RecorderDefaults() {
  DX8_COMPRESSOR p;
  p.fGain = 0;
  p.fAttack = 0.01f;
  p.fRelease = 50;
  p.fThreshold = -10;
  p.fRatio = 10;
  p.fPredelay = 0;
  return p;
}

CompressorEffect Compressor(const DX8_COMPRESSOR& p) {
  CompressorEffect fx;
  EXPECT_TRUE(fx.setParameters(&p));
  return fx;
}

double Rms(const std::vector<float>& samples, int channels, int channel, size_t from, size_t to) {
  double sum = 0;
  for (size_t i = from; i < to; ++i) {
    const double v = samples[i * static_cast<size_t>(channels) + channel];
    sum += v * v;
  }
  return std::sqrt(sum / static_cast<double>(to - from));
}

// ffmpeg's compressor over the samples, written to a 32-bit WAV first.
std::vector<float> FfmpegCompressor(const std::vector<float>& samples, int channels, int rate, const std::string& af) {
  const zovedu_test::ScratchDir dir;
  const zovedu_test::PcmFormat format{32, channels, rate};
  const zovedu_test::Bytes pcm = zovedu_test::ToPcm(std::vector<double>(samples.begin(), samples.end()), 32);
  zovedu_test::WriteFile(dir / "in.wav", zovedu_test::WavStream(format, pcm, static_cast<std::uint32_t>(pcm.size())));
  const auto r = zovedu_test::RunProgram(ZOVEDU_FFMPEG, {"-nostdin", "-v", "error", "-i", (dir / "in.wav").string(),
                                                         "-af", af, "-c:a", "pcm_f32le", "-f", "wav",
                                                         (dir / "out.wav").string()});
  EXPECT_EQ(r.exitCode, 0) << r.describe();
  const auto wav = zovedu_test::ReadWav((dir / "out.wav").string());
  if (!wav) return {};
  std::vector<float> out(wav->data.size() / sizeof(float));
  std::memcpy(out.data(), wav->data.data(), out.size() * sizeof(float));
  return out;
}

struct CurveCase {
  double levelDb;   // of the left channel; the right one is 6 dB quieter
  float makeupDb;
  double makeupLinear;  // the same for ffmpeg
};

void PrintTo(const CurveCase& c, std::ostream* os) { *os << c.levelDb << " dBFS, make-up " << c.makeupDb << " dB"; }

class CompressorCurve : public ::testing::TestWithParam<CurveCase> {};

}  // namespace

// Steady-state levels of a 1 kHz sine after the compressor, ours and
// ffmpeg's with the same hard knee, peak detection on the loudest channel,
// attack and release: both channels, peak and RMS, within 0.5 dB.
TEST_P(CompressorCurve, SettlesAtTheLevelsOfFfmpegsCompressor) {
  const CurveCase c = GetParam();
  constexpr int kRate = 44100;
  const double amplitude = std::pow(10.0, c.levelDb / 20) * (1 - 1e-9);  // full scale just fits 32 bits
  const std::vector<float> in = Sine(kRate * 3 / 2, kRate, 1000, {amplitude, amplitude / 2});

  DX8_COMPRESSOR p = RecorderDefaults();
  p.fGain = c.makeupDb;
  CompressorEffect fx = Compressor(p);
  std::vector<float> ours = in;
  RunInBlocks(fx, ours, 2, kRate, {441});

  std::ostringstream af;
  af << "acompressor=threshold=-10dB:ratio=10:attack=0.01:release=50:knee=1:detection=peak:link=maximum:makeup="
     << c.makeupLinear;
  const std::vector<float> theirs = FfmpegCompressor(in, 2, kRate, af.str());
  ASSERT_EQ(theirs.size(), ours.size());

  const size_t from = kRate, to = kRate * 3 / 2;  // the last half second
  for (int ch : {0, 1}) {
    SCOPED_TRACE(ch == 0 ? "left" : "right");
    EXPECT_NEAR(Db(Peak(ours, 2, ch, from, to)), Db(Peak(theirs, 2, ch, from, to)), 0.5);
    EXPECT_NEAR(Db(Rms(ours, 2, ch, from, to)), Db(Rms(theirs, 2, ch, from, to)), 0.5);
  }
  // And the curve itself: 1 dB out per 10 dB in above -10 dBFS, the same
  // gain on the quieter channel.
  const double expected = (c.levelDb > -10 ? -10 + (c.levelDb + 10) / 10 : c.levelDb) + c.makeupDb;
  EXPECT_NEAR(Db(Peak(ours, 2, 0, from, to)), expected, 0.1);
  EXPECT_NEAR(Db(Peak(ours, 2, 1, from, to)), expected - Db(2), 0.1);
}

INSTANTIATE_TEST_SUITE_P(Levels, CompressorCurve,
                         ::testing::Values(CurveCase{0, 0, 1}, CurveCase{-6, 0, 1}, CurveCase{-20, 0, 1},
                                           CurveCase{0, 6, 2}, CurveCase{-6, 6, 2}, CurveCase{-20, 6, 2}));

TEST(Compressor, PredelayDelaysTheAudioByThatManyMilliseconds) {
  // Below the threshold the compressor passes the audio unchanged, late by
  // the look-ahead rounded to whole frames.
  struct Case {
    float predelayMs;
    DWORD rate;
    size_t frames;
  };
  for (const Case c : {Case{0, 44100, 0}, Case{1, 48000, 48}, Case{2.5f, 44100, 110}, Case{4, 44100, 176},
                       Case{4, 96000, 384}}) {
    SCOPED_TRACE(testing::Message() << c.predelayMs << " ms at " << c.rate);
    DX8_COMPRESSOR p = RecorderDefaults();
    p.fPredelay = c.predelayMs;
    CompressorEffect fx = Compressor(p);
    std::vector<float> in = Varied(c.rate / 2, 2, c.rate);
    for (float& s : in) s *= 0.25f;  // all under -10 dBFS
    std::vector<float> out = in;
    RunInBlocks(fx, out, 2, c.rate, {100, 7, 441});
    for (size_t i = 0; i < 2 * c.frames; ++i) ASSERT_EQ(out[i], 0.0f) << "sample " << i;
    for (size_t i = 2 * c.frames; i < out.size(); ++i) ASSERT_EQ(out[i], in[i - 2 * c.frames]) << "sample " << i;
  }
}

TEST(Compressor, LookAheadLowersTheGainBeforeTheLoudPartArrives) {
  // Silence, then a full-scale tone. With a 1 ms attack and no look-ahead the
  // first peaks pass nearly uncompressed; with 4 ms of look-ahead the gain is
  // down by the time they come out.
  constexpr DWORD kRate = 48000;
  std::vector<float> in(kRate / 10 * 2, 0.0f);
  Append(in, Sine(kRate / 5, kRate, 1000, {1.0, 1.0}));
  const size_t onset = kRate / 10;
  double overshootDb[2];
  for (int withLookAhead : {0, 1}) {
    DX8_COMPRESSOR p = RecorderDefaults();
    p.fAttack = 1;
    p.fPredelay = withLookAhead ? 4.0f : 0.0f;
    CompressorEffect fx = Compressor(p);
    std::vector<float> out = in;
    RunInBlocks(fx, out, 2, kRate, {480});
    const size_t delay = withLookAhead ? kRate * 4 / 1000 : 0;
    const double settled = Peak(out, 2, onset + delay + kRate / 20, onset + delay + kRate / 10);
    overshootDb[withLookAhead] = Db(Peak(out, 2, onset + delay, onset + delay + kRate / 500)) - Db(settled);
    EXPECT_LT(Db(settled), -8);  // compressed: 0 dBFS in, -9 dB on the static curve
  }
  EXPECT_GT(overshootDb[0], 3);
  EXPECT_LT(overshootDb[1], 1);
}

TEST(Compressor, ReleaseZeroAndTheExtremesOfEverySettingStayFinite) {
  // Every corner of the ranges the options page offers, over material with
  // silence, bursts and a full-scale square, and a few broken input samples.
  constexpr DWORD kRate = 44100;
  std::vector<float> in = Varied(kRate * 3 / 2, 2, kRate);
  in[1000] = std::numeric_limits<float>::quiet_NaN();
  in[30001] = std::numeric_limits<float>::infinity();
  in[60000] = -std::numeric_limits<float>::infinity();
  for (int corner = 0; corner < 64; ++corner) {
    DX8_COMPRESSOR p;
    p.fGain = corner & 1 ? 60.0f : -60.0f;
    p.fAttack = corner & 2 ? 500.0f : 0.01f;
    p.fRelease = corner & 4 ? 3000.0f : 0.0f;
    p.fThreshold = corner & 8 ? 0.0f : -60.0f;
    p.fRatio = corner & 16 ? 100.0f : 1.0f;
    p.fPredelay = corner & 32 ? 4.0f : 0.0f;
    SCOPED_TRACE(testing::Message() << "gain " << p.fGain << " attack " << p.fAttack << " release " << p.fRelease
                                    << " threshold " << p.fThreshold << " ratio " << p.fRatio << " predelay "
                                    << p.fPredelay);
    CompressorEffect fx = Compressor(p);
    std::vector<float> out = in;
    RunInBlocks(fx, out, 2, kRate, {441, 1, 1000});
    size_t bad = 0;
    for (float s : out) bad += !std::isfinite(s);
    EXPECT_EQ(bad, 0u);
  }

  // Release 0: the gain is back at unity on the first quiet frame after a
  // loud one.
  DX8_COMPRESSOR p = RecorderDefaults();
  p.fRelease = 0;
  CompressorEffect fx = Compressor(p);
  std::vector<float> burst(200, 1.0f);
  burst.resize(400, 0.1f);
  RunInBlocks(fx, burst, 2, kRate, {100});
  EXPECT_NEAR(Db(burst[199]), -9, 0.01);
  EXPECT_EQ(burst[200], 0.1f);
}

TEST(Compressor, ResultDoesNotDependOnHowTheAudioIsSplitIntoBlocks) {
  constexpr DWORD kRate = 44100;
  DX8_COMPRESSOR p = RecorderDefaults();
  p.fPredelay = 3;
  p.fAttack = 5;
  p.fGain = 3;
  const std::vector<float> in = Varied(kRate * 2, 2, kRate);
  std::vector<float> whole = in, split = in;
  CompressorEffect a = Compressor(p), b = Compressor(p);
  RunInBlocks(a, whole, 2, kRate, {kRate * 2});
  RunInBlocks(b, split, 2, kRate, {1, 133, 4410, 2, 577, 64});
  EXPECT_EQ(whole, split);
}

TEST(Compressor, ReadsBackWhatWasSetAndRefusesValuesOutsideItsRanges) {
  CompressorEffect fx;
  DX8_COMPRESSOR got;
  fx.getParameters(&got);
  const DX8_COMPRESSOR defaults;
  EXPECT_EQ(std::memcmp(&got, &defaults, sizeof got), 0);

  // The lowest attack the options page offers is 1/100 ms computed in float.
  DX8_COMPRESSOR set = RecorderDefaults();
  set.fAttack = 1.0f / 100.0f;
  ASSERT_TRUE(fx.setParameters(&set));

  const float nan = std::numeric_limits<float>::quiet_NaN(), inf = std::numeric_limits<float>::infinity();
  float DX8_COMPRESSOR::*const fields[] = {&DX8_COMPRESSOR::fGain,      &DX8_COMPRESSOR::fAttack,
                                           &DX8_COMPRESSOR::fRelease,   &DX8_COMPRESSOR::fThreshold,
                                           &DX8_COMPRESSOR::fRatio,     &DX8_COMPRESSOR::fPredelay};
  // Per field: a value just past each end of its range.
  const float outside[][2] = {{-61, 61}, {0, 501}, {-1, 3001}, {-61, 1}, {0.5f, 101}, {-0.5f, 5}};
  for (size_t f = 0; f < std::size(fields); ++f) {
    for (float bad : {nan, inf, -inf, outside[f][0], outside[f][1]}) {
      DX8_COMPRESSOR p = set;
      p.*fields[f] = bad;
      EXPECT_FALSE(fx.setParameters(&p)) << "field " << f << " = " << bad;
    }
  }
  fx.getParameters(&got);
  EXPECT_EQ(std::memcmp(&got, &set, sizeof got), 0);
}
