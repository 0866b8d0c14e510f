// bin/MAC reading a pipe to its end, as it does under the recorder: it cannot
// know the length, so it reserves seek table room for hours and, when the
// input runs longer than that, grows the table when it completes the file.
#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "ape_header_fields.h"
#include "mac_run.h"
#include "piped_mac.h"
#include "support/scratch_dir.h"

namespace tools_mac {

using namespace zovedu_test;
namespace {

struct PipeCase {
  std::string name;
  int level;
  PcmFormat format;
  std::size_t blocks;
};

void PrintTo(const PipeCase& c, std::ostream* os) { *os << c.name; }

class MacPipeInput : public testing::TestWithParam<PipeCase> {};

TEST_P(MacPipeInput, DecodesToTheWholeInput) {
  const PipeCase& c = GetParam();
  const Pcm pcm = Noise(c.format, c.blocks, c.format.bits - 4, 17);
  ScratchDir dir;
  const auto out = dir / "out.ape";
  const auto err = dir / "stderr";
  PipedMac mac(out, c.level, pcm.wavStream(), err);
  ASSERT_TRUE(mac.started());
  mac.closeInput();
  const std::optional<int> exitCode = mac.waitForExit(std::chrono::seconds(120));
  const Bytes message = ReadFile(err.string());
  ASSERT_TRUE(exitCode) << "MAC did not end by itself";
  ASSERT_EQ(*exitCode, 0) << std::string(message.begin(), message.end());

  const auto header = ReadApeHeader(out);
  ASSERT_TRUE(header);
  EXPECT_GE(header->seekTableBytes / 4, header->totalFrames);
  EXPECT_TRUE(SameSamples(DecodeRaw(out, c.format.bits), pcm, c.level));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MacPipeInput,
    testing::Values(PipeCase{"fast_stereo_16bit", 1000, {16, 2, 44100}, kFrameBlocks * 5 / 2},
                    PipeCase{"insane_stereo_24bit", 5000, {24, 2, 48000}, kFrameBlocks * 3},
                    // The room reserved for an unknown length is counted in
                    // hours at the stream's rate: at 1 Hz that is less than a
                    // frame, so this input outgrows it.
                    PipeCase{"longer_than_the_reserved_table", 1000, {16, 1, 1}, kFrameBlocks * 3 + 10}),
    [](const testing::TestParamInfo<PipeCase>& info) { return info.param.name; });

}  // namespace
}  // namespace tools_mac
