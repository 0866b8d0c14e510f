#include "mac_run.h"

#include <algorithm>
#include <sstream>

#include "support/media_check.h"

namespace tools_mac {

using namespace zovedu_test;

RunResult RunMac(const std::filesystem::path& stdinFile, const std::filesystem::path& out, int level) {
  return RunProgram(Bin("MAC"), {"-", out.string(), "-c" + std::to_string(level)}, stdinFile);
}

void EncodeStream(const Bytes& stream, const std::filesystem::path& out, int level) {
  const std::filesystem::path wav = out.string() + ".wav";
  WriteFile(wav, stream);
  const RunResult run = RunMac(wav, out, level);
  std::filesystem::remove(wav);
  EXPECT_EQ(run.exitCode, 0) << "MAC -c" << level << ": " << run.describe();
}

std::string RawFormatFor(int bits) { return bits == 24 ? "s24le" : "s16le"; }

Bytes DecodeRaw(const std::filesystem::path& file, int bits) { return Decode(file, RawFormatFor(bits)); }

namespace {

std::int32_t SampleAt(const Bytes& raw, std::size_t index, int bits) {
  const std::size_t width = static_cast<std::size_t>(bits / 8);
  std::uint32_t v = 0;
  for (std::size_t b = 0; b < width; ++b) v |= std::uint32_t{raw[index * width + b]} << (8 * b);
  const int unused = 32 - bits;
  return static_cast<std::int32_t>(v << unused) >> unused;
}

}  // namespace

testing::AssertionResult SameSamples(const Bytes& decoded, const Pcm& expected, int level) {
  const Bytes want = expected.bytes();
  if (decoded == want) return testing::AssertionSuccess();
  const int bits = expected.format.bits;
  const std::size_t width = static_cast<std::size_t>(bits / 8);
  const std::size_t channels = static_cast<std::size_t>(expected.format.channels);
  const std::size_t frame = FrameBlocksAt(level);
  std::ostringstream why;
  why << "decoded " << decoded.size() / width / channels << " blocks, expected " << expected.blocks() << " ("
      << (expected.blocks() + frame - 1) / frame << " frames of " << frame << ")";
  const std::size_t common = std::min(decoded.size(), want.size()) / width;
  std::size_t diffs = 0, first = common;
  for (std::size_t i = 0; i < common; ++i)
    if (SampleAt(decoded, i, bits) != expected.samples[i]) {
      if (first == common) first = i;
      ++diffs;
    }
  if (first < common) {
    const std::size_t block = first / channels;
    why << "; " << diffs << " samples differ, the first at block " << block << " (frame " << block / frame
        << ", block " << block % frame << " in it), channel " << first % channels << ": got "
        << SampleAt(decoded, first, bits) << ", expected " << expected.samples[first];
  }
  return testing::AssertionFailure() << why.str();
}

}  // namespace tools_mac
