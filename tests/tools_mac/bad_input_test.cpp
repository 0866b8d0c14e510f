// What bin/MAC cannot encode, or a command line it cannot follow: one line
// on standard error that starts "MAC: " (the line the recorder shows), a
// failing exit code (never a crash) and no file.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "mac_run.h"
#include "support/scratch_dir.h"

namespace tools_mac {

using namespace zovedu_test;
namespace {

Bytes Stream(const PcmFormat& format) {
  return WavStream(format, Noise({format.bits, format.channels, format.rate}, 4000, format.bits == 8 ? 7 : 12).bytes());
}

Bytes Text(const std::string& text) { return Bytes(text.begin(), text.end()); }

Bytes FloatStream() {
  Bytes b = Stream({32, 2, 44100});
  b[20] = 3;  // WAVE_FORMAT_IEEE_FLOAT
  return b;
}

Bytes Cut(Bytes b, std::size_t size) {
  b.resize(size);
  return b;
}

const Bytes kGood = Stream({16, 2, 44100});

struct BadCase {
  std::string name;
  Bytes input;
  std::vector<std::string> args;  // "OUT" stands for the output file, "MISSING" for a file that is not there
  std::string output = "out.ape";  // in the scratch directory
};

void PrintTo(const BadCase& c, std::ostream* os) { *os << c.name; }

const std::vector<std::string> kUsual{"-", "OUT", "-c2000"};

class MacBadInput : public testing::TestWithParam<BadCase> {};

TEST_P(MacBadInput, ExitsNonZeroWithAMessageAndNoFile) {
  const BadCase& c = GetParam();
  ScratchDir dir;
  const auto wav = dir / "in.wav", out = dir / c.output;
  WriteFile(wav, c.input);
  std::vector<std::string> args = c.args;
  for (auto& arg : args)
    if (arg == "OUT") arg = out.string();
    else if (arg == "MISSING") arg = (dir / "missing.wav").string();

  const RunResult run = RunProgram(Bin("MAC"), args, wav);
  ASSERT_TRUE(run.ended) << run.describe();
  EXPECT_GT(run.exitCode, 0) << "a crash or a signal if -1; " << run.describe();
  EXPECT_EQ(run.lastErrLine().rfind("MAC: ", 0), 0u) << "no message of its own on standard error: " << run.err;
  EXPECT_FALSE(std::filesystem::exists(out)) << out << " was left behind";
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MacBadInput,
    testing::Values(BadCase{"not_wav", Text("this is no WAV stream, just some text on standard input\n"), kUsual},
                    BadCase{"no_input_at_all", {}, kUsual},
                    BadCase{"header_cut_short", Cut(kGood, 30), kUsual},
                    BadCase{"header_without_data_chunk", Cut(kGood, 36), kUsual},
                    BadCase{"unsigned_8bit", Stream({8, 2, 44100}), kUsual},
                    BadCase{"signed_32bit", Stream({32, 2, 44100}), kUsual},
                    BadCase{"float_32bit", FloatStream(), kUsual},
                    BadCase{"three_channels", Stream({16, 3, 44100}), kUsual},
                    BadCase{"level_1500", kGood, {"-", "OUT", "-c1500"}},
                    BadCase{"level_0", kGood, {"-", "OUT", "-c0"}},
                    BadCase{"level_6000", kGood, {"-", "OUT", "-c6000"}},
                    BadCase{"level_empty", kGood, {"-", "OUT", "-c"}},
                    BadCase{"level_words", kGood, {"-", "OUT", "-cfast"}},
                    BadCase{"level_with_trailing_junk", kGood, {"-", "OUT", "-c2000x"}},
                    BadCase{"no_arguments", kGood, {}},
                    BadCase{"input_only", kGood, {"-"}},
                    BadCase{"input_file_missing", kGood, {"MISSING", "OUT", "-c2000"}},
                    BadCase{"output_directory_missing", kGood, kUsual, "missing/out.ape"}),
    [](const testing::TestParamInfo<BadCase>& info) { return info.param.name; });

// A full disk: the write fails and MAC says so instead of claiming success.
TEST(MacOutputFailure, FullDiskExitsNonZeroWithAMessage) {
  ScratchDir dir;
  const auto wav = dir / "in.wav", out = dir / "out.ape";
  WriteFile(wav, Noise({16, 2, 44100}, kFrameBlocks * 2, 12).wavStream());
  std::filesystem::create_symlink("/dev/full", out);
  const RunResult run = RunMac(wav, out, 1000);
  ASSERT_TRUE(run.ended) << run.describe();
  EXPECT_GT(run.exitCode, 0) << run.describe();
  EXPECT_EQ(run.lastErrLine().rfind("MAC: ", 0), 0u) << run.err;
}

}  // namespace
}  // namespace tools_mac
