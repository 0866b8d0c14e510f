// The file's Ogg layout as players rely on it: the Speex header alone on the
// first page with the stream's rate, band, channels and bitrate kind; the
// comments on the second; audio pages at most half a second apart whose
// granule positions end at the input's length on the last page.
#include "speexenc_harness.h"

namespace speexenc_test {
namespace {

struct Layout {
  const char* name;
  std::vector<std::string> switches;
  std::uint32_t rate, mode, vbr;
};

const Layout kLayouts[] = {
    {"CbrNarrowband", {"--bitrate", "16", "-n"}, 8000, 0, 0},
    {"VbrWideband", {"--vbr", "--quality", "6", "-w"}, 16000, 1, 1},
    {"AbrUltraWideband", {"--abr", "24", "-u"}, 32000, 2, 1},
};

class SpeexencOggLayout : public SpeexencTest, public ::testing::WithParamInterface<int> {};

TEST_P(SpeexencOggLayout, HeadersPagesAndGranulesDescribeTheStream) {
  const Layout& layout = kLayouts[GetParam()];
  const auto spx = file("out.spx");
  const ProgramRun run = encode(WavStream(44100, 2, 16, 3.0, SpeechLikeTone()), layout.switches, spx);
  ASSERT_EQ(run.exitCode, 0) << run.err;
  const auto pages = ReadOggPages(spx);
  ASSERT_TRUE(pages);
  ASSERT_GE(pages->size(), 3u);

  const OggPage& first = pages->front();
  EXPECT_EQ(first.flags, 2);
  ASSERT_EQ(first.packets.size(), 1u);
  const Bytes& header = first.packets[0];
  ASSERT_EQ(header.size(), 80u);
  EXPECT_EQ(std::string(header.begin(), header.begin() + 8), "Speex   ");
  EXPECT_EQ(Le32(header, 36), layout.rate);
  EXPECT_EQ(Le32(header, 40), layout.mode);
  EXPECT_EQ(Le32(header, 48), 2u);  // channels
  const std::uint32_t frameSize = Le32(header, 56);
  EXPECT_EQ(frameSize, layout.rate / 50);  // 20 ms
  EXPECT_EQ(Le32(header, 60), layout.vbr);
  EXPECT_EQ(Le32(header, 64), 1u);  // frames per packet

  const OggPage& second = (*pages)[1];
  ASSERT_EQ(second.packets.size(), 1u);
  const Bytes& comments = second.packets[0];
  ASSERT_GE(comments.size(), 8u);
  const std::uint32_t vendorLength = Le32(comments, 0);
  ASSERT_EQ(comments.size(), 8u + vendorLength);
  EXPECT_EQ(std::string(comments.begin() + 4, comments.begin() + 4 + vendorLength), "Zovedu speexenc");
  EXPECT_EQ(Le32(comments, 4 + vendorLength), 0u);
  EXPECT_EQ(second.granule, 0);

  std::int64_t previous = 0;
  for (size_t i = 0; i < pages->size(); ++i) {
    const OggPage& page = (*pages)[i];
    SCOPED_TRACE("page " + std::to_string(i));
    EXPECT_EQ(page.serial, first.serial);
    EXPECT_EQ(page.sequence, i);
    EXPECT_EQ(page.flags & 4, i + 1 == pages->size() ? 4 : 0);
    if (i < 2) continue;
    EXPECT_GE(page.granule, previous);
    EXPECT_LE(page.granule - previous, 25 * std::int64_t(frameSize));
    EXPECT_LE(page.packets.size(), 25u);
    previous = page.granule;
  }
  // The input's length to the sample, at the band's rate.
  EXPECT_EQ(pages->back().granule, 3 * std::int64_t(layout.rate));
}

INSTANTIATE_TEST_SUITE_P(Cases, SpeexencOggLayout, ::testing::Range(0, int(std::size(kLayouts))),
                         [](const auto& info) { return kLayouts[info.param].name; });

}  // namespace
}  // namespace speexenc_test
