// flac and wavpack are lossless: what their own decoders give back is the
// recorder's samples, byte for byte, also from a stream whose header
// declares less than it carries.
#include <gtest/gtest.h>

#include "decoded_audio.h"
#include "support/program_run.h"
#include "recorder_stream.h"
#include "support/scratch_dir.h"

namespace tools_adapters {

using namespace zovedu_test;
namespace {

struct LosslessCase {
  std::string name;
  std::string program;
  std::vector<std::string> switches;  // before the output; {} marks where it goes
  Codec codec;
  StreamLayout stream;
};

void PrintTo(const LosslessCase& c, std::ostream* os) { *os << c.name; }

class LosslessAdapter : public ::testing::TestWithParam<LosslessCase> {};

TEST_P(LosslessAdapter, DecodesToTheInputSamples) {
  const LosslessCase& c = GetParam();
  const ScratchDir dir;
  const auto input = dir / "stream.wav", output = dir / ("out" + Extension(c.codec));
  WriteRecorderStream(c.stream, input);
  std::vector<std::string> args = c.switches;
  for (auto& a : args)
    if (a.empty()) a = output.string();

  const RunResult run = RunProgram(Bin(c.program), args, input);
  ASSERT_EQ(run.exitCode, 0) << run.describe();
  const Decoded d = DecodeWithOwnDecoder(c.codec, output);
  ASSERT_TRUE(d.ok) << d.why;
  EXPECT_EQ(d.rate, c.stream.rate);
  EXPECT_EQ(d.channels, c.stream.channels);
  EXPECT_EQ(d.bits, c.stream.bits);
  const Bytes expected = SignalSamples(c.stream);
  ASSERT_EQ(d.data.size(), expected.size());
  EXPECT_TRUE(d.data == expected) << "the decoded samples differ from the input";
}

const StreamLayout k16{44100, 2, 16, 3.0, std::nullopt};
const StreamLayout k24{48000, 2, 24, 3.0, std::nullopt};
const StreamLayout k24Declares1s{44100, 2, 24, 3.0, 1.0};

INSTANTIATE_TEST_SUITE_P(
    Lines, LosslessAdapter,
    ::testing::Values(LosslessCase{"flac_16", "flac", {"-f", "--compression-level-5", "-o", "", "-"}, Codec::Flac, k16},
                      LosslessCase{"flac_24", "flac", {"-f", "--compression-level-8", "-o", "", "-"}, Codec::Flac, k24},
                      LosslessCase{"flac_24_declares_1s", "flac", {"-f", "--compression-level-0", "-o", "", "-"},
                                   Codec::Flac, k24Declares1s},
                      LosslessCase{"wavpack_16", "wavpack", {"-j1", "-h", "-i", "-", ""}, Codec::WavPack, k16},
                      LosslessCase{"wavpack_24", "wavpack", {"-j0", "-f", "-i", "-", ""}, Codec::WavPack, k24},
                      LosslessCase{"wavpack_24_declares_1s", "wavpack", {"-j1", "-i", "-", ""}, Codec::WavPack,
                                   k24Declares1s}),
    [](const auto& info) { return info.param.name; });

}  // namespace
}  // namespace tools_adapters
