#include "tags/ogg_pages.h"

#include <gtest/gtest.h>

#include "support/scratch_dir.h"
#include "tags/toolkit/byte_order.h"
#include "vorbis_test_files.h"

namespace {

using tags::Bytes;

Bytes Packet(std::size_t n, std::uint8_t seed) {
  Bytes b(n);
  for (std::size_t i = 0; i < n; ++i) b[i] = std::uint8_t(i * 7 + seed);
  return b;
}

struct PageView {
  std::uint8_t flags;
  std::uint64_t granule;
  std::uint32_t serial, sequence;
  std::vector<std::uint8_t> lacing;
  Bytes body;
};

PageView View(const Bytes& page) {
  PageView v{page[5], tags::ReadLE64(&page[6]), tags::ReadLE32(&page[14]), tags::ReadLE32(&page[18]), {}, {}};
  v.lacing.assign(page.begin() + 27, page.begin() + 27 + page[26]);
  v.body.assign(page.begin() + 27 + page[26], page.end());
  return v;
}

struct PaginationCase {
  const char* name;
  std::vector<std::size_t> packetSizes;
  // Per page: lacing value count, continued flag, whether a packet ends there.
  std::vector<std::tuple<std::size_t, bool, bool>> pages;
  std::vector<std::uint8_t> firstLacing;  // the first page's values, where checked
};

TEST(OggPages, PaginationLacingContinuationAndGranules) {
  const std::vector<PaginationCase> cases = {
      {"comment of 301 bytes, then setup", {301, 3000}, {{2 + 12, false, true}}, {255, 46, 255}},
      {"packet of 255 bytes needs a 0", {255}, {{2, false, true}}, {255, 0}},
      {"packet of 510 bytes needs a 0", {510, 1}, {{4, false, true}}, {255, 255, 0, 1}},
      {"empty packet is one 0", {0}, {{1, false, true}}, {0}},
      // 300 values of 255 and a 0: 255 on a page where nothing ends, then 46.
      {"more than 255 values spill", {255 * 300}, {{255, false, false}, {46, true, true}}, {}},
      // The first packet ends on page 1, the second continues to page 2.
      {"second packet spills",
       {1000, 255 * 260},
       {{255, false, true}, {10, true, true}},
       {255, 255, 255, 235}},
      {"exactly 255 values", {254 * 255 + 10}, {{255, false, true}}, {}},
  };
  for (const PaginationCase& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<Bytes> packets;
    for (std::size_t i = 0; i < c.packetSizes.size(); ++i)
      packets.push_back(Packet(c.packetSizes[i], std::uint8_t(i)));
    const std::vector<Bytes> pages = tags::PaginatePackets(packets, 0xABCD, 7, 0, tags::kOggLastPage);
    ASSERT_EQ(pages.size(), c.pages.size());
    Bytes joined;
    for (std::size_t p = 0; p < pages.size(); ++p) {
      const PageView v = View(pages[p]);
      const auto [count, continued, ends] = c.pages[p];
      EXPECT_EQ(v.lacing.size(), count) << "page " << p;
      EXPECT_EQ(bool(v.flags & tags::kOggContinued), continued) << "page " << p;
      EXPECT_EQ(v.granule, ends ? 0 : tags::kOggNoGranule) << "page " << p;
      EXPECT_EQ(bool(v.flags & tags::kOggLastPage), p + 1 == pages.size());
      EXPECT_EQ(v.serial, 0xABCDu);
      EXPECT_EQ(v.sequence, 7 + p);
      EXPECT_TRUE(tags::OggPageCrcValid(pages[p]));
      std::size_t sum = 0;
      for (auto l : v.lacing) sum += l;
      EXPECT_EQ(sum, v.body.size());
      joined.insert(joined.end(), v.body.begin(), v.body.end());
    }
    if (!c.firstLacing.empty()) {
      const PageView first = View(pages[0]);
      ASSERT_GE(first.lacing.size(), c.firstLacing.size());
      EXPECT_EQ(std::vector<std::uint8_t>(first.lacing.begin(),
                                          first.lacing.begin() + std::ptrdiff_t(c.firstLacing.size())),
                c.firstLacing);
    }
    Bytes expected;
    for (const Bytes& p : packets) expected.insert(expected.end(), p.begin(), p.end());
    EXPECT_EQ(joined, expected);
  }
}

TEST(OggPages, CrcMatchesPagesWrittenByTheEncoder) {
  EXPECT_EQ(tags::OggCrc(reinterpret_cast<const std::uint8_t*>("123456789"), 9), 0x89A1897Fu);

  zovedu_test::ScratchDir dir;
  const auto file = vorbis_test::MakeOgg(dir.path(), "a.ogg", {"ARTIST=x"});
  const Bytes bytes = vorbis_test::ReadAll(file);
  const tags::MemorySource source(bytes);
  std::uint64_t offset = 0;
  int pages = 0;
  for (tags::OggPage page; offset < bytes.size() && tags::ReadOggPage(source, offset, page); ++pages) {
    Bytes raw(bytes.begin() + std::ptrdiff_t(offset),
              bytes.begin() + std::ptrdiff_t(offset + page.totalSize()));
    EXPECT_EQ(tags::OggPageCrc(raw), page.checksum) << "page " << pages;
    raw[40] ^= 1;
    EXPECT_FALSE(tags::OggPageCrcValid(raw));
    offset += page.totalSize();
  }
  EXPECT_EQ(offset, bytes.size());
  EXPECT_GT(pages, 5);
}

TEST(OggPages, ReadRefusesPagesThatDoNotFit) {
  Bytes page = tags::PaginatePackets({Packet(600, 1)}, 1, 0)[0];
  tags::OggPage p;
  EXPECT_TRUE(tags::ReadOggPage(tags::MemorySource(page), 0, p));
  Bytes cut(page.begin(), page.end() - 1);
  EXPECT_FALSE(tags::ReadOggPage(tags::MemorySource(cut), 0, p));
  Bytes header(page.begin(), page.begin() + 28);
  EXPECT_FALSE(tags::ReadOggPage(tags::MemorySource(header), 0, p));
  page[4] = 1;  // unknown version
  EXPECT_FALSE(tags::ReadOggPage(tags::MemorySource(page), 0, p));
  EXPECT_FALSE(tags::ReadOggPage(tags::MemorySource(page), 1u << 30, p));
}

}  // namespace

namespace {

// A new sequence number moves the checksum exactly as recomputing would, for
// pages of every size; a wrong checksum stays wrong.
TEST(OggPages, NewSequenceNumberKeepsTheChecksumRight) {
  for (std::size_t bodySize : {0u, 1u, 254u, 255u, 4000u, 65025u}) {
    auto pages = tags::PaginatePackets({Packet(bodySize, 3)}, 77, 5);
    ASSERT_FALSE(pages.empty());
    Bytes page = pages.front();
    tags::SetOggPageSequence(page.data(), page.size(), 0x12345678);
    EXPECT_EQ(tags::ReadLE32(&page[18]), 0x12345678u);
    EXPECT_TRUE(tags::OggPageCrcValid(page)) << bodySize;

    Bytes broken = pages.front();
    broken[22] ^= 1;
    tags::SetOggPageSequence(broken.data(), broken.size(), 9);
    EXPECT_FALSE(tags::OggPageCrcValid(broken)) << bodySize;
  }
}

}  // namespace
