// The recorder asks the user before it records over a file, so an adapter
// replaces an existing output file without asking again (a question would
// read the audio on the standard input), also where the line does not say
// so itself.
#include <gtest/gtest.h>

#include "decoded_audio.h"
#include "support/program_run.h"
#include "recorder_stream.h"
#include "support/scratch_dir.h"

namespace tools_adapters {

using namespace zovedu_test;
namespace {

struct OverwriteCase {
  std::string name;
  std::string program;
  std::vector<std::string> switches;  // an empty one stands for the output path
  Codec codec;
};

void PrintTo(const OverwriteCase& c, std::ostream* os) { *os << c.name; }

class AdapterOverExistingFile : public ::testing::TestWithParam<OverwriteCase> {};

TEST_P(AdapterOverExistingFile, ReplacesIt) {
  const OverwriteCase& c = GetParam();
  const ScratchDir dir;
  const StreamLayout layout{44100, 2, 16, 3.0, std::nullopt};
  const auto input = dir / "stream.wav", output = dir / ("out" + Extension(c.codec));
  WriteRecorderStream(layout, input);
  WriteBytes(Bytes(100000, 0x5A), output);
  std::vector<std::string> args = c.switches;
  for (auto& a : args)
    if (a.empty()) a = output.string();

  const RunResult r = RunProgram(Bin(c.program), args, input);
  ASSERT_EQ(r.exitCode, 0) << r.describe();
  const Decoded d = DecodeWithOwnDecoder(c.codec, output);
  ASSERT_TRUE(d.ok) << d.why;
  EXPECT_NEAR(d.seconds(), 3.0, 0.05);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, AdapterOverExistingFile,
    ::testing::Values(OverwriteCase{"lame", "lame", {"-b", "128", "-", ""}, Codec::Mp3},
                      OverwriteCase{"mppenc_without_overwrite", "mppenc", {"--silent", "--standard", "-", ""},
                                    Codec::Mpc},
                      OverwriteCase{"wavpack", "wavpack", {"-j1", "-i", "-", ""}, Codec::WavPack},
                      OverwriteCase{"flac", "flac", {"-f", "--compression-level-5", "-o", "", "-"}, Codec::Flac},
                      OverwriteCase{"oggenc2", "oggenc2", {"-q", "3", "-", "-o", ""}, Codec::Vorbis}),
    [](const auto& info) { return info.param.name; });

}  // namespace
}  // namespace tools_adapters
