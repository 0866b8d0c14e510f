// What the WAV header says about the length does not matter: bin/MAC takes
// every whole block to the end of its input, whether that is a pipe or a file.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "mac_run.h"
#include "support/scratch_dir.h"

namespace tools_mac {

using namespace zovedu_test;
namespace {

constexpr int kLevel = 1000;
const PcmFormat kFormat{16, 2, 44100};

// More than one frame, so that stopping at a declared size would show.
Pcm Carried() { return Noise(kFormat, kFrameBlocks + 20000, 12, 3); }

struct Declared {
  std::string name;
  std::optional<std::uint32_t> dataBytes;  // nothing: 0xFFFFFFFF
};

void PrintTo(const Declared& d, std::ostream* os) { *os << d.name; }

class MacDeclaredSize : public testing::TestWithParam<Declared> {};

TEST_P(MacDeclaredSize, EncodesTheWholeInput) {
  const Pcm pcm = Carried();
  ScratchDir dir;
  const auto out = dir / "out.ape";
  EncodeStream(WavStream(kFormat, pcm.bytes(), GetParam().dataBytes), out, kLevel);
  ASSERT_FALSE(HasFailure());
  EXPECT_TRUE(SameSamples(DecodeRaw(out, kFormat.bits), pcm, kLevel));
}

INSTANTIATE_TEST_SUITE_P(Sizes, MacDeclaredSize,
                         testing::Values(Declared{"unknown", std::nullopt}, Declared{"zero", 0u},
                                         Declared{"one_second", 44100u * 4}, Declared{"one_block_odd", 3u},
                                         Declared{"twice_the_data", (kFrameBlocks + 20000) * 4 * 2}),
                         [](const testing::TestParamInfo<Declared>& info) { return info.param.name; });

// A stream cut inside a block: the whole blocks before it are encoded.
TEST(MacStreamEnd, APartialBlockAtTheEndIsDropped) {
  const Pcm pcm = Carried();
  Bytes stream = pcm.wavStream();
  stream.insert(stream.end(), {0x12, 0x34, 0x56});  // three of a block's four bytes
  ScratchDir dir;
  const auto out = dir / "out.ape";
  EncodeStream(stream, out, kLevel);
  ASSERT_FALSE(HasFailure());
  EXPECT_TRUE(SameSamples(DecodeRaw(out, kFormat.bits), pcm, kLevel));
}

// A WAV file named on the command line, with the chunks real files carry
// ahead of the data (JUNK as the recorder writes it, LIST from an editor).
TEST(MacFileInput, AWavFileWithMoreChunksIsEncodedWhole) {
  const Pcm pcm = Noise({24, 2, 48000}, kFrameBlocks + 777, 20, 5);
  const Bytes plain = pcm.wavStream();
  const auto u32 = [](std::uint32_t v) {
    return Bytes{static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8), static_cast<std::uint8_t>(v >> 16),
                 static_cast<std::uint8_t>(v >> 24)};
  };
  Bytes file = {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E', 'J', 'U', 'N', 'K', 28, 0, 0, 0};
  file.resize(file.size() + 28, 0);
  file.insert(file.end(), plain.begin() + 12, plain.begin() + 36);  // the fmt chunk
  // A LIST chunk of odd size (15 bytes), so a pad byte follows it.
  const std::string list = "INFOISFT";
  file.insert(file.end(), {'L', 'I', 'S', 'T', 15, 0, 0, 0});
  file.insert(file.end(), list.begin(), list.end());
  file.insert(file.end(), {3, 0, 0, 0, 'x', 'y', 0, 0});
  const Bytes data = pcm.bytes();
  file.insert(file.end(), {'d', 'a', 't', 'a'});
  const Bytes dataSize = u32(static_cast<std::uint32_t>(data.size()));
  file.insert(file.end(), dataSize.begin(), dataSize.end());
  file.insert(file.end(), data.begin(), data.end());
  const Bytes riffSize = u32(static_cast<std::uint32_t>(file.size() - 8));
  std::copy(riffSize.begin(), riffSize.end(), file.begin() + 4);

  ScratchDir dir;
  const auto wav = dir / "in.wav", out = dir / "out.ape";
  WriteFile(wav, file);
  const RunResult run = RunProgram(Bin("MAC"), {wav.string(), out.string(), "-c3000"});
  ASSERT_EQ(run.exitCode, 0) << run.describe();
  EXPECT_TRUE(SameSamples(DecodeRaw(out, 24), pcm, 3000));
}

}  // namespace
}  // namespace tools_mac
