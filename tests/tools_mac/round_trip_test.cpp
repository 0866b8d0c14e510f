// bin/MAC at every level: ffmpeg decodes the file to exactly the samples
// that went in, across frame boundaries, a partial last frame, one that ends
// exactly on a frame boundary and one of a single block.
#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>
#include <tuple>

#include "mac_run.h"
#include "support/media_check.h"
#include "support/scratch_dir.h"

namespace tools_mac {

using namespace zovedu_test;
namespace {

struct Input {
  std::string name;
  std::function<std::optional<Pcm>()> make;  // nothing: the recording is not installed
};

void PrintTo(const Input& input, std::ostream* os) { *os << input.name; }

const PcmFormat k16Stereo{16, 2, 44100}, k16Mono{16, 1, 22050}, k24Stereo{24, 2, 96000}, k24Mono{24, 1, 192000};

const std::vector<Input>& Inputs() {
  static const std::vector<Input> inputs = {
      // Full-range noise: nothing to predict, every residual at its largest.
      {"noise_16bit_stereo", [] { return Noise(k16Stereo, kFrameBlocks * 5 / 2, 16); }},
      {"noise_24bit_stereo", [] { return Noise(k24Stereo, kFrameBlocks * 3 / 2, 24); }},
      // Quiet noise over more than one frame at every level (16 frames at
      // 1000, 4 at 4000, 1 at 5000), then a last frame of a single block.
      {"quiet_noise_16bit_mono_16_frames_plus_one", [] { return Noise(k16Mono, kFrameBlocks * 16 + 1, 10); }},
      {"noise_24bit_mono", [] { return Noise(k24Mono, kFrameBlocks * 5 / 2, 21); }},
      // Ends exactly on a frame boundary at levels 1000 to 4000.
      {"square_16bit_stereo_four_frames", [] { return FullScaleSquare(k16Stereo, kFrameBlocks * 4); }},
      {"square_24bit_mono", [] { return FullScaleSquare(k24Mono, kFrameBlocks * 13 / 10); }},
      {"silence_16bit_stereo", [] { return Silence({16, 2, 8000}, kFrameBlocks * 2 + 1); }},
      {"silence_24bit_mono", [] { return Silence(k24Mono, kFrameBlocks * 3 / 2); }},
      // A silent frame between coded ones.
      {"silence_noise_silence_16bit_stereo",
       [] {
         return Join({Silence(k16Stereo, kFrameBlocks), Noise(k16Stereo, kFrameBlocks, 12),
                      Silence(k16Stereo, kFrameBlocks / 2)});
       }},
      // Only one channel silent, and two equal channels.
      {"left_silent_24bit_stereo", [] { return Muted(Noise(k24Stereo, kFrameBlocks * 6 / 5, 18), 0); }},
      {"right_silent_16bit_stereo", [] { return Muted(Noise(k16Stereo, kFrameBlocks / 3, 14), 1); }},
      {"equal_channels_16bit_stereo", [] { return BothChannels(Noise(k16Mono, kFrameBlocks * 2, 13)); }},
      {"speech_16bit_mono", [] { return Speech(1); }},
      {"speech_16bit_stereo", [] { return Speech(2); }},
      {"speech_24bit_stereo", [] { return Speech(2, 24); }},
  };
  return inputs;
}

class MacRoundTrip : public testing::TestWithParam<std::tuple<Input, int>> {};

TEST_P(MacRoundTrip, FfmpegDecodesTheInputSamplesExactly) {
  const auto& [input, level] = GetParam();
  const std::optional<Pcm> pcm = input.make();
  if (!pcm) GTEST_SKIP() << SpeechMissingReason();
  ScratchDir dir;
  const auto out = dir / "out.ape";
  EncodeStream(pcm->wavStream(), out, level);
  ASSERT_FALSE(HasFailure());

  auto probe = Probe(out);
  EXPECT_EQ(probe["codec_name"], "ape");
  EXPECT_EQ(probe["channels"], std::to_string(pcm->format.channels));
  EXPECT_EQ(probe["sample_rate"], std::to_string(pcm->format.rate));
  EXPECT_TRUE(SameSamples(DecodeRaw(out, pcm->format.bits), *pcm, level));
}

INSTANTIATE_TEST_SUITE_P(Levels, MacRoundTrip,
                         testing::Combine(testing::ValuesIn(Inputs()), testing::Values(1000, 2000, 3000, 4000, 5000)),
                         [](const testing::TestParamInfo<MacRoundTrip::ParamType>& info) {
                           return std::get<0>(info.param).name + "_c" + std::to_string(std::get<1>(info.param));
                         });

// No samples at all still makes a file (with no frames) and exits 0.
TEST(MacEmptyInput, HeaderOnlyExitsZeroAndLeavesAFile) {
  for (const std::optional<std::uint32_t> declared : {std::optional<std::uint32_t>{}, std::optional<std::uint32_t>{0}}) {
    ScratchDir dir;
    const auto wav = dir / "in.wav", out = dir / "out.ape";
    WriteFile(wav, WavStream(k16Stereo, {}, declared));
    const RunResult run = RunMac(wav, out, 2000);
    EXPECT_EQ(run.exitCode, 0) << run.describe();
    EXPECT_TRUE(std::filesystem::exists(out));
  }
}

}  // namespace
}  // namespace tools_mac
