// --bitrate, --vbr and --abr move the file's bitrate the way they say, and a
// constant bitrate is not overruled by --quality.
#include "speexenc_harness.h"

namespace speexenc_test {
namespace {

// Wideband noise: every band busy, nothing for the codec to coast on.
SignalFn WidebandNoise() {
  auto source = std::make_shared<Noise>(11);
  return [source](int, double) { return 0.2 * source->next(); };
}

class SpeexencRateControl : public SpeexencTest {
 protected:
  // The audio's bitrate in kbps: the file less its two header pages, over 3 s.
  double kbps(const std::vector<std::string>& switches) {
    const auto spx = file("out.spx");
    const ProgramRun run = encode(WavStream(16000, 1, 16, 3.0, WidebandNoise()), switches, spx);
    EXPECT_EQ(run.exitCode, 0) << run.err;
    const auto pages = ReadOggPages(spx);
    if (!pages || pages->size() < 3) {
      ADD_FAILURE() << "no audio pages";
      return 0;
    }
    size_t bytes = 0;
    for (size_t i = 2; i < pages->size(); ++i) bytes += (*pages)[i].bytes;
    return bytes * 8 / 3.0 / 1000;
  }
};

struct Pair {
  const char* name;
  std::vector<std::string> low, high;
};

const Pair kPairs[] = {
    {"Bitrate", {"--bitrate", "8", "-w"}, {"--bitrate", "32", "-w"}},
    {"VbrQuality", {"--vbr", "--quality", "2", "-w"}, {"--vbr", "--quality", "10", "-w"}},
    {"Abr", {"--abr", "8", "-w"}, {"--abr", "32", "-w"}},
};

class SpeexencRateControlPairs : public SpeexencRateControl, public ::testing::WithParamInterface<int> {};

TEST_P(SpeexencRateControlPairs, TheHigherSettingGivesClearlyMoreBits) {
  const Pair& pair = kPairs[GetParam()];
  const double low = kbps(pair.low), high = kbps(pair.high);
  EXPECT_GT(high, 1.5 * low) << low << " kbps against " << high << " kbps";
}

INSTANTIATE_TEST_SUITE_P(Cases, SpeexencRateControlPairs, ::testing::Range(0, int(std::size(kPairs))),
                         [](const auto& info) { return kPairs[info.param].name; });

TEST_F(SpeexencRateControl, ConstantBitrateStaysAtOrBelowTheOneAskedFor) {
  // The codec takes the best mode not above the bitrate; Ogg adds ~1.5 kbps.
  for (int asked : {8, 16, 32}) {
    SCOPED_TRACE(asked);
    const double got = kbps({"--bitrate", std::to_string(asked), "-w"});
    EXPECT_LE(got, asked + 2);
    EXPECT_GE(got, 0.6 * asked);
  }
}

TEST_F(SpeexencRateControl, BitrateWinsOverQualityInEitherOrder) {
  const double before = kbps({"--quality", "0", "--bitrate", "32", "-w"});
  const double after = kbps({"--bitrate", "32", "--quality", "0", "-w"});
  const double reference = kbps({"--bitrate", "32", "-w"});
  EXPECT_NEAR(before, reference, 0.5);
  EXPECT_NEAR(after, reference, 0.5);
  EXPECT_GT(reference, 2 * kbps({"--quality", "0", "--bitrate", "8", "-w"}));
}

}  // namespace
}  // namespace speexenc_test
