// A WAV header states the length of the data, but a recorder streaming into
// a pipe cannot know it: the encoders take the samples to the end of the input.
#include <gtest/gtest.h>

#include "support/media_check.h"
#include "support/scratch_dir.h"
#include "support/test_wav.h"
#include "support/program_run.h"

namespace tools_av {

using namespace zovedu_test;
namespace {

const PcmFormat kFormat{16, 2, 44100};
constexpr double kCarried = 3.0;
constexpr std::uint32_t kDeclaredBytes = 44100 * 4;  // one second

Bytes CarriedPcm() { return ToPcm(TestSignal(kFormat, kCarried, 1000, 0.5, 0.05), kFormat.bits); }

TEST(DeclaredLength, FaacEncodesAllTheSamplesNotTheDeclaredSecond) {
  ScratchDir dir;
  const auto wav = dir / "in.wav", out = dir / "out.m4a";
  WriteFile(wav, WavStream(kFormat, CarriedPcm(), kDeclaredBytes));
  const RunResult run = RunProgram(Bin("FAAC"), {"-q", "100", "-o", out.string(), "-"}, wav);
  ASSERT_EQ(run.exitCode, 0) << run.describe();
  const auto samples = Floats(Decode(out, "f32le")).size();
  EXPECT_NEAR(static_cast<double>(samples) / kFormat.channels / kFormat.rate, kCarried, 0.1);
}

TEST(DeclaredLength, TtaencEncodesAllTheSamplesNotTheDeclaredSecond) {
  ScratchDir dir;
  const auto wav = dir / "in.wav", out = dir / "out.tta";
  const Bytes pcm = CarriedPcm();
  WriteFile(wav, WavStream(kFormat, pcm, kDeclaredBytes));
  const RunResult run = RunProgram(Bin("ttaenc"), {"-e", "-", "-o", out.string()}, wav);
  ASSERT_EQ(run.exitCode, 0) << run.describe();
  EXPECT_TRUE(Decode(out, "s16le") == pcm);
}

}  // namespace
}  // namespace tools_av
