// bin/FAAC: the WAV stream on standard input to AAC in ADTS, MP4 or M4A.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/media_check.h"
#include "support/scratch_dir.h"
#include "support/tone_analysis.h"
#include "support/test_wav.h"
#include "support/program_run.h"

namespace tools_av {

using namespace zovedu_test;
namespace {

constexpr double kSeconds = 3.0;
// ADTS has nowhere to say that the encoder's first 1024 samples are only its
// start-up, so a decoder plays them; MP4 records them and they are skipped.
constexpr int kAdtsPriming = 1024;

struct AacCase {
  std::string name;
  std::string ext;
  std::vector<std::string> options;  // before -o FILE -
  PcmFormat input;
  int aacRate;
};

void PrintTo(const AacCase& c, std::ostream* os) { *os << c.name; }

RunResult RunFaac(std::vector<std::string> options, const std::filesystem::path& out,
                  const std::filesystem::path& wav) {
  options.insert(options.end(), {"-o", out.string(), "-"});
  return RunProgram(Bin("FAAC"), options, wav);
}

class FaacFile : public testing::TestWithParam<AacCase> {};

TEST_P(FaacFile, IsAacInItsContainerWithTheInputsChannelsLengthAndTone) {
  const AacCase& c = GetParam();
  ScratchDir dir;
  const auto wav = dir / "in.wav", out = dir / ("out" + c.ext);
  WriteFile(wav, WavStream(c.input, ToPcm(TestSignal(c.input, kSeconds, 1000, 0.5), c.input.bits)));

  const RunResult run = RunFaac(c.options, out, wav);
  ASSERT_EQ(run.exitCode, 0) << run.describe();

  const bool adts = c.ext == ".aac";
  auto probe = Probe(out);
  EXPECT_EQ(probe["codec_name"], "aac");
  if (adts) {
    EXPECT_EQ(probe["format_name"], "aac");
  } else {
    EXPECT_NE(probe["format_name"].find("mp4"), std::string::npos) << probe["format_name"];
    EXPECT_EQ(probe["major_brand"], c.ext == ".m4a" ? "M4A " : "isom");
  }
  EXPECT_EQ(probe["channels"], std::to_string(c.input.channels));
  EXPECT_EQ(probe["sample_rate"], std::to_string(c.aacRate));

  const std::vector<float> decoded = Floats(Decode(out, "f32le"));
  const auto frames = static_cast<double>(decoded.size() / static_cast<size_t>(c.input.channels));
  EXPECT_NEAR((frames - (adts ? kAdtsPriming : 0)) / c.aacRate, kSeconds, 0.1);
  for (int ch = 0; ch < c.input.channels; ++ch) {
    SCOPED_TRACE("channel " + std::to_string(ch));
    const auto tone = zovedu_test::FindTone(zovedu_test::ChannelOf(decoded, c.input.channels, ch), c.aacRate, 1000);
    ASSERT_TRUE(tone.found);
    EXPECT_NEAR(tone.seconds, kSeconds, 0.1);
    EXPECT_NEAR(tone.frequency, 1000, 2);
    EXPECT_GT(tone.purity, 0.9);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FaacFile,
    testing::Values(
        AacCase{"aac_q100_mono_8000_16bit", ".aac", {"-q", "100"}, {16, 1, 8000}, 8000},
        AacCase{"aac_b128_stereo_44100_24bit", ".aac", {"-b", "128"}, {24, 2, 44100}, 44100},
        AacCase{"aac_b160_stereo_192000_to_96000", ".aac", {"-b", "160"}, {16, 2, 192000}, 96000},
        AacCase{"aac_mpeg2_b64_cutoff_stereo_16000_8bit",
                ".aac",
                {"--mpeg-vers", "2", "-b", "64", "-c", "16000"},
                {8, 2, 16000},
                16000},
        AacCase{"aac_q300_mono_11025_32bit", ".aac", {"-q", "300"}, {32, 1, 11025}, 11025},
        AacCase{"mp4_b96_mono_96000_32bit", ".mp4", {"-b", "96"}, {32, 1, 96000}, 96000},
        AacCase{"mp4_q150_stereo_8000_8bit", ".mp4", {"-q", "150"}, {8, 2, 8000}, 8000},
        AacCase{"mp4_defaults_stereo_48000", ".mp4", {}, {16, 2, 48000}, 48000},
        AacCase{"mp4_mpeg4_b32_mono_32000", ".mp4", {"--mpeg-vers", "4", "-b", "32"}, {16, 1, 32000}, 32000},
        AacCase{"m4a_b96_stereo_44100", ".m4a", {"-b", "96"}, {16, 2, 44100}, 44100},
        AacCase{"m4a_q50_mono_192000_to_96000_24bit", ".m4a", {"-q", "50"}, {24, 1, 192000}, 96000},
        AacCase{"m4a_b64_cutoff_mono_22050", ".m4a", {"-b", "64", "-c", "10000"}, {16, 1, 22050}, 22050}),
    [](const testing::TestParamInfo<AacCase>& info) { return info.param.name; });

// Every ADTS header's ID bit: 1 for MPEG-2, 0 for MPEG-4; the frames follow
// one another to the end of the file, all AAC LC.
struct VersionCase {
  std::vector<std::string> options;
  int idBit;
};

TEST(FaacAdts, EveryHeaderCarriesTheChosenMpegVersion) {
  const PcmFormat format{16, 2, 44100};
  for (const VersionCase& c : {VersionCase{{"--mpeg-vers", "2"}, 1}, VersionCase{{"--mpeg-vers", "4"}, 0},
                               VersionCase{{"--mpeg-vers", "2", "-q", "200"}, 1}, VersionCase{{}, 0}}) {
    SCOPED_TRACE(testing::PrintToString(c.options));
    ScratchDir dir;
    const auto wav = dir / "in.wav", out = dir / "out.aac";
    WriteFile(wav, WavStream(format, ToPcm(TestSignal(format, 1.0, 1000, 0.5), format.bits)));
    const RunResult run = RunFaac(c.options, out, wav);
    ASSERT_EQ(run.exitCode, 0) << run.describe();

    const Bytes aac = ReadFile(out);
    size_t at = 0, frames = 0;
    while (at + 7 <= aac.size()) {
      ASSERT_EQ(aac[at], 0xFF) << "frame " << frames;
      ASSERT_EQ(aac[at + 1] & 0xF6, 0xF0) << "frame " << frames;  // sync, layer 0
      ASSERT_EQ((aac[at + 1] >> 3) & 1, c.idBit) << "frame " << frames;
      ASSERT_EQ(aac[at + 2] >> 6, 1) << "frame " << frames;  // AAC LC
      const size_t length = (aac[at + 3] & 0x03u) << 11 | aac[at + 4] << 3 | aac[at + 5] >> 5;
      ASSERT_GE(length, 7u);
      at += length;
      ++frames;
    }
    EXPECT_EQ(at, aac.size());
    EXPECT_GT(frames, 40u);
  }
}

// Higher settings make larger files; -b is met on average.
struct RateLadder {
  std::string option;
  std::vector<int> values;  // rising
  bool bitrate;
};

TEST(FaacRateControl, HigherSettingsGiveLargerFilesAndBitratesAreMet) {
  const PcmFormat format{16, 2, 44100};
  ScratchDir dir;
  const auto wav = dir / "in.wav";
  WriteFile(wav, WavStream(format, ToPcm(TestSignal(format, kSeconds, 440, 0.3, 0.3), format.bits)));
  for (const RateLadder& ladder :
       {RateLadder{"-b", {64, 128, 192}, true}, RateLadder{"-q", {10, 50, 100, 300, 500}, false}}) {
    double previous = 0;
    for (int value : ladder.values) {
      SCOPED_TRACE(ladder.option + " " + std::to_string(value));
      const auto out = dir / ("out" + ladder.option + std::to_string(value) + ".aac");
      const RunResult run = RunFaac({ladder.option, std::to_string(value)}, out, wav);
      ASSERT_EQ(run.exitCode, 0) << run.describe();
      const double kbps = static_cast<double>(std::filesystem::file_size(out)) * 8 / kSeconds / 1000;
      EXPECT_GT(kbps, previous * 1.05);
      if (ladder.bitrate) {
        EXPECT_NEAR(kbps, value, value * 0.2);
      }
      previous = kbps;
    }
  }
}

}  // namespace
}  // namespace tools_av
