// ape::FileWriter used directly: how the samples arrive (one call or many,
// a length told too small or not at all) changes nothing ffmpeg decodes.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <string>
#include <vector>

#include "ape_file_writer.h"
#include "ape_header_fields.h"
#include "mac_run.h"
#include "support/scratch_dir.h"
#include "support/test_wav.h"
#include "support/wav_file.h"

namespace tools_mac {

using namespace zovedu_test;
namespace {

// Writes pcm in pieces of the given sizes (in blocks, the last repeated until
// the input is used up), then finishes the file.
void WriteInPieces(const std::filesystem::path& out, const Pcm& pcm, int level, std::uint64_t expectedBlocks,
                   const std::vector<std::size_t>& pieces) {
  std::string error;
  auto writer = ape::FileWriter::Create(out.string(), {pcm.format.channels, pcm.format.bits, pcm.format.rate}, level,
                                        expectedBlocks, error);
  ASSERT_TRUE(writer) << error;
  const std::size_t channels = static_cast<std::size_t>(pcm.format.channels);
  std::size_t done = 0, next = 0;
  while (done < pcm.blocks()) {
    const std::size_t take = std::min(pieces[std::min(next++, pieces.size() - 1)], pcm.blocks() - done);
    ASSERT_TRUE(writer->write(pcm.samples.data() + done * channels, take, error)) << error;
    done += take;
  }
  ASSERT_TRUE(writer->finish(error)) << error;
  EXPECT_EQ(writer->blocksWritten(), pcm.blocks());
}

// The larger table is written into a fresh file beside the output and moved
// over it: a link or a user's file at a name like "out.ape.seektable~" is
// never written through or replaced, and the file keeps its mode.
TEST(ApeFileWriter, ALengthFarTooSmallStillGivesACompleteFile) {
  const Pcm pcm = Noise({16, 1, 44100}, kFrameBlocks * 7 / 2, 12, 21);
  ScratchDir dir;
  const auto out = dir / "out.ape";
  const auto victim = dir / "victim";
  const Bytes untouched = {1, 2, 3, 4};
  WriteFile(victim, untouched);
  std::filesystem::create_symlink(victim, dir / "out.ape.seektable~");
  const mode_t umask = ::umask(0027);
  WriteInPieces(out, pcm, 1000, 1, {4096});
  ::umask(umask);
  ASSERT_FALSE(HasFailure());
  EXPECT_EQ(ReadFile(victim.string()), untouched);
  EXPECT_TRUE(std::filesystem::is_symlink(dir / "out.ape.seektable~"));
  EXPECT_EQ(std::filesystem::status(out).permissions(), std::filesystem::perms(0640));

  const auto header = ReadApeHeader(out);
  ASSERT_TRUE(header);
  EXPECT_EQ(header->totalFrames, 4u);
  EXPECT_GE(header->seekTableBytes / 4, 4u) << "the seek table did not grow to hold every frame";
  EXPECT_TRUE(SameSamples(DecodeRaw(out, 16), pcm, 1000));
  // Nothing else is left beside it.
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 3);
}

// The same samples in one call, block by block at a frame's edges, and in
// odd pieces that straddle them: the same file, byte for byte.
TEST(ApeFileWriter, HowTheSamplesArePiecedMakesNoDifference) {
  const Pcm pcm = Join({Noise({24, 2, 48000}, kFrameBlocks + 5, 16, 4), Silence({24, 2, 48000}, kFrameBlocks),
                        Noise({24, 2, 48000}, 1000, 20, 9)});
  ScratchDir dir;
  const auto whole = dir / "whole.ape", pieces = dir / "pieces.ape", edges = dir / "edges.ape";
  WriteInPieces(whole, pcm, 2000, pcm.blocks(), {pcm.blocks()});
  WriteInPieces(pieces, pcm, 2000, pcm.blocks(), {1, 7, kFrameBlocks - 9, 2, kFrameBlocks + 3, 4999});
  WriteInPieces(edges, pcm, 2000, pcm.blocks(), {kFrameBlocks - 1, 1, 1, kFrameBlocks - 2, 1});
  ASSERT_FALSE(HasFailure());
  EXPECT_TRUE(ReadFile(pieces.string()) == ReadFile(whole.string()));
  EXPECT_TRUE(ReadFile(edges.string()) == ReadFile(whole.string()));
  EXPECT_TRUE(SameSamples(DecodeRaw(whole, 24), pcm, 2000));
}

// Unknown length (0): room is reserved, and the file still decodes exactly.
TEST(ApeFileWriter, UnknownLengthDecodesExactly) {
  const Pcm pcm = Noise({16, 2, 32000}, kFrameBlocks * 2 + 100, 14, 8);
  ScratchDir dir;
  const auto out = dir / "out.ape";
  WriteInPieces(out, pcm, 3000, 0, {10000});
  ASSERT_FALSE(HasFailure());
  const auto header = ReadApeHeader(out);
  ASSERT_TRUE(header);
  EXPECT_EQ(header->totalFrames, 3u);
  EXPECT_EQ(header->finalFrameBlocks, 100u);
  EXPECT_TRUE(SameSamples(DecodeRaw(out, 16), pcm, 3000));
}

struct Refused {
  std::string name;
  ape::AudioFormat format;
  int level;
};

void PrintTo(const Refused& r, std::ostream* os) { *os << r.name; }

class ApeFileWriterRefuses : public testing::TestWithParam<Refused> {};

TEST_P(ApeFileWriterRefuses, WithAMessageAndNoFile) {
  const Refused& r = GetParam();
  ScratchDir dir;
  std::string error;
  EXPECT_FALSE(ape::FileWriter::Create((dir / "out.ape").string(), r.format, r.level, 0, error));
  EXPECT_FALSE(error.empty());
  EXPECT_FALSE(std::filesystem::exists(dir / "out.ape"));
}

INSTANTIATE_TEST_SUITE_P(Cases, ApeFileWriterRefuses,
                         testing::Values(Refused{"three_channels", {3, 16, 44100}, 2000},
                                         Refused{"no_channels", {0, 16, 44100}, 2000},
                                         Refused{"eight_bits", {2, 8, 44100}, 2000},
                                         Refused{"thirty_two_bits", {2, 32, 44100}, 2000},
                                         Refused{"rate_zero", {2, 16, 0}, 2000},
                                         Refused{"level_2500", {2, 16, 44100}, 2500},
                                         Refused{"level_6000", {2, 16, 44100}, 6000}),
                         [](const testing::TestParamInfo<Refused>& info) { return info.param.name; });

}  // namespace
}  // namespace tools_mac
