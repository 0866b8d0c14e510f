// The recorder's command lines across input rates, channel counts and sample
// sizes: both decoders read the file, with its channels, its length and the
// tone at its pitch.
#include <sstream>
#include <tuple>

#include "speexenc_harness.h"

namespace speexenc_test {
namespace {

struct CommandLine {
  const char* name;
  std::vector<std::string> switches;
  int rate;  // the band's rate the file is decoded at
};

const CommandLine kCommandLines[] = {
    {"CbrWidebandPreprocessed", {"--bitrate", "32", "--quality", "8", "-w", "--vad", "--agc", "--denoise"}, 16000},
    {"VbrNarrowband", {"--vbr", "--quality", "4", "-n"}, 8000},
    {"AbrUltraWideband", {"--abr", "16", "--quality", "8", "-u"}, 32000},
};

using Case = std::tuple<int /*command line*/, int /*rate*/, int /*channels*/, int /*bits*/>;

class SpeexencDecodeTable : public SpeexencTest, public ::testing::WithParamInterface<Case> {};

TEST_P(SpeexencDecodeTable, DecodersPlayThreeSecondsOfTheToneOnEveryChannel) {
  const auto [line, rate, channels, bits] = GetParam();
  const CommandLine& cmd = kCommandLines[line];
  const auto spx = file("out.spx");
  const ProgramRun run = encode(WavStream(rate, channels, bits, 3.0, SpeechLikeTone()), cmd.switches, spx);
  ASSERT_EQ(run.exitCode, 0) << run.err;

  ExpectDecodesToTone(spx, dir(), cmd.rate, channels);
}

std::string CaseName(const ::testing::TestParamInfo<Case>& info) {
  const auto [line, rate, channels, bits] = info.param;
  std::ostringstream name;
  name << kCommandLines[line].name << '_' << rate << "Hz_" << (channels == 1 ? "Mono" : "Stereo") << '_' << bits
       << "bit";
  return name.str();
}

INSTANTIATE_TEST_SUITE_P(Cases, SpeexencDecodeTable,
                         ::testing::Combine(::testing::Range(0, int(std::size(kCommandLines))),
                                            ::testing::Values(8000, 16000, 22050, 44100, 48000, 96000, 192000),
                                            ::testing::Values(1, 2), ::testing::Values(8, 16)),
                         CaseName);

}  // namespace
}  // namespace speexenc_test
