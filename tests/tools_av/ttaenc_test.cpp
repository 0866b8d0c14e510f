// bin/ttaenc: the WAV stream on standard input to a lossless TTA file.
#include <gtest/gtest.h>

#include <string>

#include "support/media_check.h"
#include "support/scratch_dir.h"
#include "support/test_wav.h"
#include "support/program_run.h"

namespace tools_av {

using namespace zovedu_test;
namespace {

// ffmpeg's raw format that holds the input's samples byte for byte.
std::string RawFormatFor(int bits) {
  switch (bits) {
    case 8: return "u8";
    case 16: return "s16le";
    default: return "s24le";
  }
}

class TtaRoundTrip : public testing::TestWithParam<PcmFormat> {};

TEST_P(TtaRoundTrip, DecodesToTheInputSamplesExactly) {
  const PcmFormat& format = GetParam();
  ScratchDir dir;
  const auto wav = dir / "in.wav", out = dir / "out.tta";
  // Loud enough to clip: the extreme values are in it too.
  const Bytes pcm = ToPcm(TestSignal(format, 2.0, 997, 0.95, 0.2), format.bits);
  WriteFile(wav, WavStream(format, pcm));

  const RunResult run = RunProgram(Bin("ttaenc"), {"-e", "-", "-o", out.string()}, wav);
  ASSERT_EQ(run.exitCode, 0) << run.describe();

  auto probe = Probe(out);
  EXPECT_EQ(probe["codec_name"], "tta");
  EXPECT_EQ(probe["format_name"], "tta");
  EXPECT_EQ(probe["channels"], std::to_string(format.channels));
  EXPECT_EQ(probe["sample_rate"], std::to_string(format.rate));
  EXPECT_EQ(probe["bits_per_raw_sample"], std::to_string(format.bits));

  const Bytes decoded = Decode(out, RawFormatFor(format.bits));
  ASSERT_EQ(decoded.size(), pcm.size());
  EXPECT_TRUE(decoded == pcm) << "the decoded samples differ from the input";
  EXPECT_LT(std::filesystem::file_size(out), pcm.size());
}

INSTANTIATE_TEST_SUITE_P(Formats, TtaRoundTrip,
                         testing::Values(PcmFormat{8, 1, 8000}, PcmFormat{8, 2, 44100}, PcmFormat{16, 1, 22050},
                                         PcmFormat{16, 2, 44100}, PcmFormat{24, 1, 96000},
                                         PcmFormat{24, 2, 192000}),
                         [](const testing::TestParamInfo<PcmFormat>& info) {
                           const PcmFormat& f = info.param;
                           return std::to_string(f.bits) + "bit_" + (f.channels == 1 ? "mono_" : "stereo_") +
                                  std::to_string(f.rate);
                         });

}  // namespace
}  // namespace tools_av
