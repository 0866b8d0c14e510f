// A recording whose encoder is killed: bin/MAC brings the header up to date
// after every frame, so what is on disk decodes to the input's first frames,
// bit for bit, and nothing else.
#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "ape_header_fields.h"
#include "mac_run.h"
#include "piped_mac.h"
#include "support/scratch_dir.h"
#include "support/wav_file.h"

namespace tools_mac {

using namespace zovedu_test;
namespace {

constexpr auto kDeadline = std::chrono::seconds(120);  // a busy two-core machine

struct KillCase {
  std::string name;
  int level;
  std::size_t inputBlocks;
  std::uint32_t waitForFrames;  // the header counts at least these before the kill
};

void PrintTo(const KillCase& c, std::ostream* os) { *os << c.name; }

class MacKilled : public testing::TestWithParam<KillCase> {};

TEST_P(MacKilled, TheFileDecodesToTheInputsWholeFrames) {
  const KillCase& c = GetParam();
  const Pcm pcm = Noise({16, 2, 44100}, c.inputBlocks, 13, 11);
  ScratchDir dir;
  const auto out = dir / "out.ape";
  PipedMac mac(out, c.level, pcm.wavStream());
  ASSERT_TRUE(mac.started());

  std::uint32_t framesSeen = 0;
  const bool reached = WaitUntil(
      [&] {
        const auto header = ReadApeHeader(out);
        framesSeen = header ? header->totalFrames : 0;
        return framesSeen >= c.waitForFrames;
      },
      kDeadline);
  ASSERT_TRUE(mac.kill()) << "MAC ended before it was killed";
  ASSERT_TRUE(reached) << "the header on disk counted " << framesSeen << " frames, not " << c.waitForFrames
                       << ", after " << mac.bytesFed() << " bytes of input";

  const auto header = ReadApeHeader(out);
  ASSERT_TRUE(header);
  const std::size_t frame = FrameBlocksAt(c.level);
  EXPECT_EQ(header->finalFrameBlocks, frame) << "the last frame counted should be a whole one";
  const Bytes decoded = DecodeRaw(out, 16);
  const std::size_t blockBytes = 4, blocks = decoded.size() / blockBytes;
  ASSERT_EQ(blocks % frame, 0u) << blocks << " blocks decoded: not a whole number of frames";
  EXPECT_GE(blocks / frame, c.waitForFrames);
  EXPECT_EQ(blocks / frame, header->totalFrames);
  const Pcm start{pcm.format, std::vector<std::int32_t>(pcm.samples.begin(), pcm.samples.begin() + blocks * 2)};
  EXPECT_TRUE(SameSamples(decoded, start, c.level));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MacKilled,
    testing::Values(
        // All the input but half a frame sits in the pipe: four frames done,
        // the encoder waits for the rest of the fifth.
        KillCase{"waiting_for_input", 2000, kFrameBlocks * 9 / 2, 4},
        // Killed while it encodes: the input is far longer than what is done.
        KillCase{"while_encoding", 1000, kFrameBlocks * 40, 2},
        KillCase{"while_encoding_long_frames", 4000, kFrameBlocks * 4 * 6, 1}),
    [](const testing::TestParamInfo<KillCase>& info) { return info.param.name; });

}  // namespace
}  // namespace tools_mac
