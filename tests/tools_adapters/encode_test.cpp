// Every adapter with the recorder's command lines and bit depths: the file
// decodes with ffmpeg and the format's own decoder to the right rate and
// channels, the whole stream is in it (also when the header declares a
// third of it), and each channel carries its own tone at its level.
#include <gtest/gtest.h>

#include <cmath>

#include "decoded_audio.h"
#include "support/program_run.h"
#include "recorder_stream.h"
#include "support/scratch_dir.h"

namespace tools_adapters {

using namespace zovedu_test;
namespace {

enum class Content { PerChannel, Downmix };

struct EncodeCase {
  std::string name;
  std::string line;  // as the recorder writes it, with <file> for the output path
  Codec codec;
  StreamLayout stream;
  int channelsOut;
  Content content = Content::PerChannel;
};

StreamLayout Layout(int rate, int channels, int bits, std::optional<double> declared = std::nullopt) {
  return {rate, channels, bits, 3.0, declared};
}

// The level each decoded channel should have.
std::vector<double> ExpectedRms(const EncodeCase& c) {
  std::vector<std::vector<double>> in;
  for (int ch = 0; ch < c.stream.channels; ++ch) in.push_back(SignalChannel(c.stream, ch));
  if (c.content == Content::PerChannel) {
    std::vector<double> out;
    for (const auto& ch : in) out.push_back(Rms(ch));
    return out;
  }
  std::vector<double> mix(in[0].size());
  for (size_t i = 0; i < mix.size(); ++i) mix[i] = (in[0][i] + in[1][i]) / 2;
  return {Rms(mix)};
}

void ExpectDecoded(const Decoded& d, const EncodeCase& c, const std::string& decoder, bool checkLength) {
  ASSERT_TRUE(d.ok) << decoder << ": " << d.why;
  EXPECT_EQ(d.rate, c.stream.rate) << decoder;
  ASSERT_EQ(d.channels, c.channelsOut) << decoder;
  if (checkLength) {
    EXPECT_NEAR(d.seconds(), 3.0, 0.05) << decoder << " decoded " << d.frames() << " frames";
  }
  const auto expected = ExpectedRms(c);
  for (int ch = 0; ch < d.channels; ++ch) {
    const double db = 20 * std::log10(Rms(d.channel(ch)) / expected[ch]);
    EXPECT_NEAR(db, 0.0, 1.5) << decoder << ": channel " << ch << " level off by " << db << " dB";
  }
}

void PrintTo(const EncodeCase& c, std::ostream* os) { *os << c.name; }

class AdapterEncodes : public ::testing::TestWithParam<EncodeCase> {};

TEST_P(AdapterEncodes, TheWholeStreamIntoAFileThatDecodes) {
  const EncodeCase& c = GetParam();
  const ScratchDir dir;
  const auto input = dir / "stream.wav", output = dir / ("out" + Extension(c.codec));
  WriteRecorderStream(c.stream, input);
  std::string line = c.line;
  line.replace(line.find("<file>"), 6, output.string());
  const auto words = SplitCommandLine(line);
  const std::vector<std::string> args(words.begin() + 1, words.end());

  const RunResult run = RunProgram(Bin(words[0].substr(4)), args, input);
  ASSERT_EQ(run.exitCode, 0) << line << " (" << c.stream.describe() << "): " << run.describe();
  ASSERT_TRUE(std::filesystem::exists(output));

  EXPECT_EQ(VerifyWithOwnTool(c.codec, output), "");
  const Probed probed = Probe(output);
  ASSERT_TRUE(probed.ok) << probed.raw;
  EXPECT_EQ(probed.codec, FfprobeCodecName(c.codec));
  EXPECT_EQ(probed.rate, c.stream.rate);
  EXPECT_EQ(probed.channels, c.channelsOut);
  ExpectDecoded(DecodeWithOwnDecoder(c.codec, output), c, "own decoder", true);
  // ffmpeg trims the end of small Vorbis streams by other rules than the
  // Vorbis decoder does; the own decoder has measured the length.
  ExpectDecoded(DecodeWithFfmpeg(output), c, "ffmpeg", c.codec != Codec::Vorbis);
}

std::vector<EncodeCase> Cases() {
  std::vector<EncodeCase> cases;
  // The recorder's typical line per program, at every bit depth it sends.
  for (int bits : {8, 16, 24, 32}) {
    const std::string b = std::to_string(bits);
    cases.push_back({"lame_preset_standard_" + b, R"(bin/lame  --preset standard - "<file>")", Codec::Mp3,
                     Layout(44100, 2, bits), 2});
    cases.push_back({"mppenc_standard_" + b, R"(bin/mppenc --silent --overwrite --standard --ms 2 - "<file>")",
                     Codec::Mpc, Layout(44100, 2, bits), 2});
    cases.push_back({"oggenc2_downmix_" + b, R"(bin/oggenc2 --downmix -q 2.75 - -o "<file>")", Codec::Vorbis,
                     Layout(44100, 2, bits), 1, Content::Downmix});
  }
  for (int bits : {8, 16, 24}) {
    const std::string b = std::to_string(bits);
    cases.push_back({"wavpack_hybrid_" + b, R"(bin/wavpack -j1 -h -b23.9 -i - "<file>")", Codec::WavPack,
                     Layout(44100, 2, bits), 2});
    cases.push_back({"flac_level5_" + b, R"(bin/flac -f --compression-level-5 -o "<file>" -)", Codec::Flac,
                     Layout(44100, 2, bits), 2});
  }
  // Further lines, rates and channel counts.
  const std::vector<EncodeCase> more = {
      {"lame_vbr_joint", R"(bin/lame  -a -b 112 -m j -p -c -o -V 4 -B 160 - "<file>")", Codec::Mp3,
       Layout(48000, 2, 16), 2},
      {"lame_insane_mono", R"(bin/lame  --preset insane -m m - "<file>")", Codec::Mp3, Layout(44100, 2, 24), 1,
       Content::Downmix},
      {"lame_cbr_mono_input", R"(bin/lame  -b 128 - "<file>")", Codec::Mp3, Layout(22050, 1, 16), 1},
      {"lame_abr", R"(bin/lame  --abr 128 - "<file>")", Codec::Mp3, Layout(32000, 2, 16), 2},
      {"mppenc_quality", R"(bin/mppenc --silent --overwrite --quality 5.5 --ms 12 - "<file>")", Codec::Mpc,
       Layout(48000, 2, 16), 2},
      {"mppenc_braindead_mono", R"(bin/mppenc --silent --overwrite --braindead --ms 0 - "<file>")", Codec::Mpc,
       Layout(32000, 1, 24), 1},
      {"wavpack_fast_kbps", R"(bin/wavpack -j0 -f -b9600 -i - "<file>")", Codec::WavPack, Layout(96000, 2, 24), 2},
      {"wavpack_lossless_mono", R"(bin/wavpack -j1 -i - "<file>")", Codec::WavPack, Layout(8000, 1, 8), 1},
      {"flac_level0", R"(bin/flac -f --compression-level-0 -o "<file>" -)", Codec::Flac, Layout(192000, 2, 24), 2},
      {"flac_level8_mono", R"(bin/flac -f --compression-level-8 -o "<file>" -)", Codec::Flac, Layout(11025, 1, 16),
       1},
      {"oggenc2_lowest_quality", R"(bin/oggenc2 --quality -1.5 - -o "<file>")", Codec::Vorbis,
       Layout(16000, 2, 16), 2},
      {"oggenc2_highest_quality", R"(bin/oggenc2 -q 10 - -o "<file>")", Codec::Vorbis, Layout(48000, 2, 24), 2},
      {"oggenc2_managed", R"(bin/oggenc2 -b 128 -m 96 -M 160 - -o "<file>")", Codec::Vorbis, Layout(44100, 2, 16),
       2},
  };
  cases.insert(cases.end(), more.begin(), more.end());
  // A header that declares one second of the three that follow.
  const std::vector<EncodeCase> declaredShort = {
      {"lame_declares_1s", R"(bin/lame  -b 128 - "<file>")", Codec::Mp3, Layout(44100, 2, 16, 1.0), 2},
      {"mppenc_declares_1s", R"(bin/mppenc --silent --overwrite --standard --ms 2 - "<file>")", Codec::Mpc,
       Layout(44100, 2, 16, 1.0), 2},
      {"wavpack_declares_1s", R"(bin/wavpack -j1 -i - "<file>")", Codec::WavPack, Layout(44100, 2, 16, 1.0), 2},
      {"flac_declares_1s", R"(bin/flac -f --compression-level-5 -o "<file>" -)", Codec::Flac,
       Layout(44100, 2, 24, 1.0), 2},
      {"oggenc2_declares_1s", R"(bin/oggenc2 -q 3 - -o "<file>")", Codec::Vorbis, Layout(44100, 2, 16, 1.0), 2},
  };
  cases.insert(cases.end(), declaredShort.begin(), declaredShort.end());
  return cases;
}

INSTANTIATE_TEST_SUITE_P(Lines, AdapterEncodes, ::testing::ValuesIn(Cases()),
                         [](const auto& info) { return info.param.name; });

}  // namespace
}  // namespace tools_adapters
