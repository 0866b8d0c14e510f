// When an encoder cannot do its job it says why in one line on standard error
// (the line the recorder shows), exits with a failure and leaves no file.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/scratch_dir.h"
#include "support/test_wav.h"
#include "support/program_run.h"

namespace tools_av {

using namespace zovedu_test;
namespace {

enum class Input { Tone16, Tone32, NotWav, CutHeader, HeaderOnly, Nothing };

struct FailureCase {
  std::string name;
  std::string program;
  std::vector<std::string> args;  // "OUT" stands for the output file's path
  Input input;
  std::string output;             // relative to the scratch directory
  bool outputIsFullDevice = false;  // the output path leads to /dev/full
};

void PrintTo(const FailureCase& c, std::ostream* os) { *os << c.name; }

Bytes InputBytes(Input input) {
  const PcmFormat format16{16, 2, 44100}, format32{32, 2, 44100};
  const auto tone = [](const PcmFormat& f) { return WavStream(f, ToPcm(TestSignal(f, 2.0, 1000, 0.5), f.bits)); };
  switch (input) {
    case Input::Tone16: return tone(format16);
    case Input::Tone32: return tone(format32);
    case Input::NotWav: {
      const std::string text = "this is no WAV stream, just some text on standard input\n";
      return Bytes(text.begin(), text.end());
    }
    case Input::CutHeader: {
      Bytes wav = tone(format16);
      wav.resize(30);
      return wav;
    }
    case Input::HeaderOnly: return WavStream(format16, {});
    case Input::Nothing: return {};
  }
  return {};
}

class EncoderFailure : public testing::TestWithParam<FailureCase> {};

TEST_P(EncoderFailure, SaysWhyExitsNonZeroAndLeavesNoFile) {
  const FailureCase& c = GetParam();
  ScratchDir dir;
  const auto wav = dir / "in.wav", out = dir / c.output;
  WriteFile(wav, InputBytes(c.input));
  if (c.outputIsFullDevice) std::filesystem::create_symlink("/dev/full", out);
  std::vector<std::string> args = c.args;
  for (auto& arg : args)
    if (arg == "OUT") arg = out.string();

  const RunResult run = RunProgram(Bin(c.program), args, wav);
  ASSERT_TRUE(run.ended) << run.describe();
  EXPECT_GT(run.exitCode, 0) << run.describe();
  EXPECT_EQ(run.lastErrLine().rfind(c.program + ": ", 0), 0u) << run.err;
  EXPECT_GT(run.lastErrLine().size(), c.program.size() + 10) << run.err;
  EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(out))) << out;
}

const std::vector<std::string> kFaacArgs{"-o", "OUT", "-"};
const std::vector<std::string> kTtaArgs{"-e", "-", "-o", "OUT"};

INSTANTIATE_TEST_SUITE_P(
    Cases, EncoderFailure,
    testing::Values(
        FailureCase{"faac_not_wav", "FAAC", kFaacArgs, Input::NotWav, "out.aac"},
        FailureCase{"faac_header_cut_short", "FAAC", kFaacArgs, Input::CutHeader, "out.m4a"},
        FailureCase{"faac_no_input_at_all", "FAAC", kFaacArgs, Input::Nothing, "out.aac"},
        FailureCase{"faac_adts_no_samples", "FAAC", kFaacArgs, Input::HeaderOnly, "out.aac"},
        FailureCase{"faac_m4a_no_samples", "FAAC", kFaacArgs, Input::HeaderOnly, "out.m4a"},
        FailureCase{"faac_quality_below_range", "FAAC", {"-q", "5", "-o", "OUT", "-"}, Input::Tone16, "out.aac"},
        FailureCase{"faac_quality_above_range", "FAAC", {"-q", "501", "-o", "OUT", "-"}, Input::Tone16, "out.aac"},
        FailureCase{"faac_quality_and_bitrate", "FAAC", {"-q", "100", "-b", "128", "-o", "OUT", "-"}, Input::Tone16,
                    "out.aac"},
        FailureCase{"faac_bitrate_not_a_number", "FAAC", {"-b", "128k", "-o", "OUT", "-"}, Input::Tone16, "out.aac"},
        FailureCase{"faac_mpeg_version_3", "FAAC", {"--mpeg-vers", "3", "-o", "OUT", "-"}, Input::Tone16, "out.aac"},
        FailureCase{"faac_unknown_option", "FAAC", {"-x", "-o", "OUT", "-"}, Input::Tone16, "out.aac"},
        FailureCase{"faac_value_missing", "FAAC", {"-o", "OUT", "-", "-c"}, Input::Tone16, "out.aac"},
        FailureCase{"faac_no_dash_for_stdin", "FAAC", {"-o", "OUT"}, Input::Tone16, "out.aac"},
        FailureCase{"faac_unknown_extension", "FAAC", kFaacArgs, Input::Tone16, "out.wav"},
        FailureCase{"faac_directory_missing", "FAAC", kFaacArgs, Input::Tone16, "missing/out.aac"},
        FailureCase{"faac_adts_disk_full", "FAAC", kFaacArgs, Input::Tone16, "out.aac", true},
        FailureCase{"faac_m4a_disk_full", "FAAC", kFaacArgs, Input::Tone16, "out.m4a", true},
        FailureCase{"ttaenc_not_wav", "ttaenc", kTtaArgs, Input::NotWav, "out.tta"},
        FailureCase{"ttaenc_header_cut_short", "ttaenc", kTtaArgs, Input::CutHeader, "out.tta"},
        FailureCase{"ttaenc_no_samples", "ttaenc", kTtaArgs, Input::HeaderOnly, "out.tta"},
        FailureCase{"ttaenc_32bit_input", "ttaenc", kTtaArgs, Input::Tone32, "out.tta"},
        FailureCase{"ttaenc_no_encode_flag", "ttaenc", {"-", "-o", "OUT"}, Input::Tone16, "out.tta"},
        FailureCase{"ttaenc_unknown_option", "ttaenc", {"-e", "-d", "-", "-o", "OUT"}, Input::Tone16, "out.tta"},
        FailureCase{"ttaenc_directory_missing", "ttaenc", kTtaArgs, Input::Tone16, "missing/out.tta"},
        FailureCase{"ttaenc_disk_full", "ttaenc", kTtaArgs, Input::Tone16, "out.tta", true}),
    [](const testing::TestParamInfo<FailureCase>& info) { return info.param.name; });

}  // namespace
}  // namespace tools_av
