// Input it cannot encode, command lines it does not understand and files it
// cannot write: a non-zero exit, one line on stderr and no output file.
#include <sys/stat.h>

#include <fstream>

#include "speexenc_harness.h"

namespace speexenc_test {
namespace {

Bytes GoodStream() { return WavStream(16000, 1, 16, 0.5, SpeechLikeTone()); }

Bytes WithFormatTag(Bytes stream, std::uint8_t tag) {
  stream[20] = tag;  // the fmt chunk's format tag
  stream[21] = 0;
  return stream;
}

Bytes Prefix(Bytes stream, size_t bytes) {
  stream.resize(bytes);
  return stream;
}

struct Refusal {
  const char* name;
  Bytes stream;
  std::vector<std::string> switches;
};

const Refusal kRefusals[] = {
    {"NotWav", Bytes(200, 'x'), {"--vbr", "-w"}},
    {"EmptyInput", {}, {"--vbr", "-w"}},
    {"HeaderCutShort", Prefix(GoodStream(), 30), {"--vbr", "-w"}},
    {"SixChannels", WavStream(16000, 6, 16, 0.5, SpeechLikeTone()), {"--vbr", "-w"}},
    {"CompressedSamples", WithFormatTag(GoodStream(), 2), {"--vbr", "-w"}},
    {"UnknownSwitch", GoodStream(), {"--vbr", "-w", "--louder"}},
    {"BitrateOutOfRange", GoodStream(), {"--bitrate", "99", "-w"}},
    {"QualityOutOfRange", GoodStream(), {"--vbr", "--quality", "11", "-w"}},
    {"NoBand", GoodStream(), {"--vbr"}},
    {"TwoBands", GoodStream(), {"--vbr", "-n", "-w"}},
    {"NoRateControl", GoodStream(), {"--quality", "4", "-w"}},
    {"TwoRateControls", GoodStream(), {"--vbr", "--abr", "16", "-w"}},
};

void ExpectOneLineMessage(const ProgramRun& run) {
  EXPECT_NE(run.exitCode, 0);
  ASSERT_FALSE(run.err.empty());
  EXPECT_EQ(run.err.find('\n'), run.err.size() - 1) << run.err;
}

class SpeexencRefusals : public SpeexencTest, public ::testing::WithParamInterface<int> {};

TEST_P(SpeexencRefusals, ExitNonZeroWithAMessageAndNoFile) {
  const Refusal& r = kRefusals[GetParam()];
  const auto spx = file("out.spx");
  const ProgramRun run = encode(r.stream, r.switches, spx);
  ExpectOneLineMessage(run);
  EXPECT_FALSE(std::filesystem::exists(spx));
}

INSTANTIATE_TEST_SUITE_P(Cases, SpeexencRefusals, ::testing::Range(0, int(std::size(kRefusals))),
                         [](const auto& info) { return kRefusals[info.param].name; });

using SpeexencOutputFiles = SpeexencTest;

TEST_F(SpeexencOutputFiles, AFullDeviceIsAnErrorAndTheDeviceStays) {
  struct stat before {};
  if (::stat("/dev/full", &before) != 0 || !S_ISCHR(before.st_mode)) GTEST_SKIP() << "no /dev/full";
  const ProgramRun run = encode(WavStream(16000, 2, 16, 3.0, SpeechLikeTone()), {"--vbr", "-w"}, "/dev/full");
  ExpectOneLineMessage(run);
  struct stat after {};
  ASSERT_EQ(::stat("/dev/full", &after), 0);
  EXPECT_TRUE(S_ISCHR(after.st_mode));
}

// A disk that fills up after the header pages and a little audio: the
// error is said, and the pages that reached the file stay, whole.
TEST_F(SpeexencOutputFiles, AWriteErrorKeepsThePagesThatReachedTheFile) {
  const auto spx = file("out.spx");
  ExpectOneLineMessage(encode(WavStream(16000, 2, 16, 3.0, SpeechLikeTone()), {"--bitrate", "32", "-w"}, spx, 3000));
  ASSERT_TRUE(std::filesystem::exists(spx));
  EXPECT_LE(std::filesystem::file_size(spx), 3000u);
  const auto pages = ReadOggPages(spx);
  ASSERT_TRUE(pages);
  EXPECT_GE(pages->size(), 3u) << "the two header pages and some audio";
}

TEST_F(SpeexencOutputFiles, AMissingFolderIsAnError) {
  const auto spx = file("missing") / "out.spx";
  ExpectOneLineMessage(encode(GoodStream(), {"--vbr", "-w"}, spx));
  EXPECT_FALSE(std::filesystem::exists(file("missing")));
}

TEST_F(SpeexencOutputFiles, AnExistingFileIsReplacedWhole) {
  const auto spx = file("out.spx");
  std::ofstream(spx) << std::string(100000, 'o');
  const ProgramRun run = encode(GoodStream(), {"--vbr", "-w"}, spx);
  ASSERT_EQ(run.exitCode, 0) << run.err;
  const auto pages = ReadOggPages(spx);  // nothing of the old file after the last page
  ASSERT_TRUE(pages);
  EXPECT_EQ(pages->back().flags & 4, 4);
  EXPECT_EQ(pages->back().granule, 8000);  // 0.5 s at 16 kHz
}

}  // namespace
}  // namespace speexenc_test
