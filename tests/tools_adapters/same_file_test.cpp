// lame and oggenc are deterministic (oggenc once its stream serial is
// fixed): the adapter on the recorder's stream must give the very file the
// Debian encoder gives for the same samples in a regular WAV file on its
// standard input with the switches as written, which shows each switch arrives with its meaning
// intact (-m m and -a on stereo input, --downmix, ...). A quality below -1
// is the one switch oggenc2 changes: it encodes as -1.
#include <gtest/gtest.h>

#include "support/program_run.h"
#include "recorder_stream.h"
#include "support/scratch_dir.h"
#include "support/wav_file.h"

namespace tools_adapters {

using namespace zovedu_test;
namespace {

struct SameFileCase {
  std::string name;
  std::string adapter;
  std::string encoder;
  std::vector<std::string> adapterSwitches;  // before the input and output
  std::vector<std::string> encoderSwitches;
  StreamLayout stream;
};

void PrintTo(const SameFileCase& c, std::ostream* os) { *os << c.name; }

class AdapterOutput : public ::testing::TestWithParam<SameFileCase> {};

// lame takes "<switches> <in> <out>", oggenc "<switches> <in> -o <out>".
std::vector<std::string> Args(const SameFileCase& c, std::vector<std::string> switches, const std::string& in,
                              const std::string& out) {
  switches.push_back(in);
  if (c.adapter == "oggenc2") switches.push_back("-o");
  switches.push_back(out);
  return switches;
}

TEST_P(AdapterOutput, IsTheFileTheEncoderWritesFromARegularWav) {
  const SameFileCase& c = GetParam();
  const ScratchDir dir;
  const auto stream = dir / "stream.wav", regular = dir / "regular.wav";
  const auto viaAdapter = dir / "adapter.out", direct = dir / "direct.out";
  WriteRecorderStream(c.stream, stream);
  WriteRegularWav(c.stream, regular);

  const RunResult a = RunProgram(Bin(c.adapter), Args(c, c.adapterSwitches, "-", viaAdapter.string()), stream);
  ASSERT_EQ(a.exitCode, 0) << a.describe();
  // On the standard input too: for 8-bit samples lame writes a slightly
  // different file when it reads a named file.
  const RunResult d = RunProgram(c.encoder, Args(c, c.encoderSwitches, "-", direct.string()), regular);
  ASSERT_EQ(d.exitCode, 0) << d.describe();
  const Bytes got = zovedu_test::ReadFile(viaAdapter.string()), want = zovedu_test::ReadFile(direct.string());
  ASSERT_FALSE(want.empty());
  EXPECT_EQ(got.size(), want.size());
  EXPECT_TRUE(got == want) << "the adapter's file differs from the encoder's";
}

SameFileCase Lame(const std::string& name, std::vector<std::string> switches, StreamLayout stream) {
  return {name, "lame", ZOVEDU_DEBIAN_LAME, switches, switches, stream};
}

SameFileCase Ogg(const std::string& name, std::vector<std::string> adapterSwitches,
                 std::vector<std::string> encoderSwitches, StreamLayout stream) {
  adapterSwitches.insert(adapterSwitches.begin(), {"-s", "7"});
  encoderSwitches.insert(encoderSwitches.begin(), {"-s", "7"});
  return {name, "oggenc2", ZOVEDU_DEBIAN_OGGENC, adapterSwitches, encoderSwitches, stream};
}

const StreamLayout kStereo16{44100, 2, 16, 3.0, std::nullopt};
const StreamLayout kStereo24Declares1s{48000, 2, 24, 3.0, 1.0};
const StreamLayout kMono8{22050, 1, 8, 3.0, std::nullopt};

INSTANTIATE_TEST_SUITE_P(
    Lines, AdapterOutput,
    ::testing::Values(
        Lame("lame_preset_standard", {"--preset", "standard"}, kStereo16),
        Lame("lame_downmix_then_joint", {"-a", "-b", "112", "-m", "j", "-p", "-c", "-o", "-V", "4", "-B", "160"},
             kStereo16),
        Lame("lame_insane_mono", {"--preset", "insane", "-m", "m"}, kStereo24Declares1s),
        Lame("lame_cbr_8bit", {"-b", "128"}, kMono8),
        Lame("lame_abr", {"--abr", "128"}, kStereo24Declares1s),
        Ogg("oggenc2_downmix", {"--downmix", "-q", "2.75"}, {"--downmix", "-q", "2.75"}, kStereo16),
        Ogg("oggenc2_quality_below_minus_1", {"--quality", "-1.5"}, {"--quality", "-1"}, kStereo16),
        Ogg("oggenc2_quality_below_minus_1_joined", {"-q-3", "--quality=-1.25"}, {"-q", "-1"}, kMono8),
        Ogg("oggenc2_managed", {"-b", "128", "-m", "96", "-M", "160"}, {"-b", "128", "-m", "96", "-M", "160"},
            kStereo24Declares1s)),
    [](const auto& info) { return info.param.name; });

}  // namespace
}  // namespace tools_adapters
