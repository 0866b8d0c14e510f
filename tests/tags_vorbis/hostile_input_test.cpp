// Cut and damaged files: the readers return, bounded by the input, whatever
// the sizes inside claim.
#include <gtest/gtest.h>

#include <random>

#include "support/scratch_dir.h"
#include "tags/flac_tags.h"
#include "tags/ogg_pages.h"
#include "tags/ogg_vorbis.h"
#include "tags/toolkit/byte_order.h"
#include "vorbis_test_files.h"

namespace {

using namespace vorbis_test;

std::size_t TextBytes(const tags::CommentFields& f) {
  return f.Title.size() + f.Artist.size() + f.Album.size() + f.Date.size() + f.Genre.size() +
         f.Comment.size() + f.Vendor.size();
}

// Loads every cut of the first `span` bytes and many single-byte damages
// there; a reader that accepts a file never holds more text than it has bytes.
template <typename Reader>
void Torture(const Bytes& good, std::size_t span, std::size_t headersEnd) {
  span = std::min(span, good.size());
  for (std::size_t n = 0; n < span; n += 7) {
    Reader r;
    const bool loaded = r.LoadFile(tags::MemorySource(good.data(), n));
    if (n < headersEnd) {
      EXPECT_FALSE(loaded) << "cut at " << n;
    }
  }
  std::mt19937 random(42);
  for (int i = 0; i < 3000; ++i) {
    Bytes bad = good;
    for (int k = 0; k < 1 + i % 3; ++k) bad[random() % span] = std::uint8_t(random() % 4 ? random() : 0xff);
    Reader r;
    if (r.LoadFile(tags::MemorySource(bad))) {
      EXPECT_LE(TextBytes(r), bad.size());
    }
  }
}

TEST(HostileInput, CutAndDamagedOggFiles) {
  zovedu_test::ScratchDir dir;
  const Bytes good = ReadAll(MakeOgg(dir.path(), "a.ogg", {"ARTIST=x", "TITLE=" + std::string(70000, 't')}));
  const tags::MemorySource source(good);
  std::uint64_t end = 0;
  for (int i = 0; i < 3; ++i) {  // identification page and two comment/setup pages
    tags::OggPage p;
    ASSERT_TRUE(tags::ReadOggPage(source, end, p));
    end += p.totalSize();
  }
  Torture<tags::TOggVorbis>(good, std::size_t(end), std::size_t(end));
}

TEST(HostileInput, CutAndDamagedFlacFiles) {
  zovedu_test::ScratchDir dir;
  const Bytes good = ReadAll(MakeFlac(dir.path(), "a.flac", {"ARTIST=x", "TITLE=" + std::string(3000, 't')}));
  Torture<tags::TFlacTags>(good, 16000, 4 + 38 + 18);  // fLaC, STREAMINFO, SEEKTABLE
}

TEST(HostileInput, CraftedSizes) {
  zovedu_test::ScratchDir dir;
  const Bytes ogg = ReadAll(MakeOgg(dir.path(), "a.ogg", {"ARTIST=x", "TITLE=y"}));
  // A comment count of 2^32-1 in the comment packet (the CRC does not matter
  // to the reader): reading stops at the data's end, keeping the items read.
  Bytes hugeCount = ogg;
  const tags::MemorySource source(ogg);
  tags::OggPage first, second;
  ASSERT_TRUE(tags::ReadOggPage(source, 0, first));
  ASSERT_TRUE(tags::ReadOggPage(source, first.totalSize(), second));
  const std::size_t body = std::size_t(second.offset + second.headerSize());
  const std::size_t count = body + 7 + 4 + tags::ReadLE32(&ogg[body + 7]);
  tags::WriteLE32(&hugeCount[count], 0xFFFFFFFF);
  tags::TOggVorbis v;
  EXPECT_TRUE(v.LoadFile(tags::MemorySource(hugeCount)));
  EXPECT_EQ(v.Artist, "x");

  // Pages of no segments up to the end of the file.
  Bytes empties(ogg.begin(), ogg.begin() + std::ptrdiff_t(first.totalSize()));
  for (int i = 0; i < 2000; ++i) {
    Bytes page = tags::PaginatePackets({Bytes()}, first.serial, std::uint32_t(i + 1))[0];
    page.pop_back();  // its one lacing value
    page[26] = 0;
    empties.insert(empties.end(), page.begin(), page.end());
  }
  EXPECT_FALSE(v.LoadFile(tags::MemorySource(empties)));

  // FLAC: a padding block of 16 MB in a small file, an ID3v2 size past the end.
  const Bytes flac = ReadAll(MakeFlac(dir.path(), "a.flac", {"ARTIST=x"}));
  Bytes hugeBlock(flac.begin(), flac.begin() + 42);
  hugeBlock.insert(hugeBlock.end(), {0x81, 0xff, 0xff, 0xff, 0, 0});
  hugeBlock[4] &= 0x7f;
  tags::TFlacTags f;
  EXPECT_FALSE(f.LoadFile(tags::MemorySource(hugeBlock)));
  Bytes id3 = {'I', 'D', '3', 3, 0, 0, 0x7f, 0x7f, 0x7f, 0x7f};
  id3.insert(id3.end(), flac.begin(), flac.end());
  EXPECT_FALSE(f.LoadFile(tags::MemorySource(id3)));
}

}  // namespace
