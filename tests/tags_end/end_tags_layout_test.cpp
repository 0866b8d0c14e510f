// Finding the end tags: every arrangement a file may have, and sizes that
// lie, none of which may make a writer cut audio.
#include "tags/end_tags.h"

#include <gtest/gtest.h>

#include "end_test_files.h"
#include "tags/toolkit/byte_order.h"

namespace {

using namespace end_test;
using tags::LocateEndTags;
using tags::MemorySource;

TEST(EndTagLayout, FindsEachArrangement) {
  const Bytes audio = Audio(), ape = ApeBytes({{"Title", "t"}}), apeH = ApeBytes({{"Title", "t"}}, 2000, true);
  const Bytes lyr = Lyrics3Bytes("IND0000200AUT00001a"), id3 = Id3v1Bytes("x");
  struct Case {
    const char* name;
    Bytes file;
    bool id3, ape, lyrics;
    std::uint64_t apeAt, apeSize, lyricsAt;
  };
  const std::uint64_t a = audio.size();
  const Case cases[] = {
      {"audio only", audio, false, false, false, 0, 0, 0},
      {"id3v1", Concat({audio, id3}), true, false, false, 0, 0, 0},
      {"ape", Concat({audio, ape}), false, true, false, a, ape.size(), 0},
      {"ape with header, id3v1", Concat({audio, apeH, id3}), true, true, false, a, apeH.size(), 0},
      {"lyrics3, id3v1", Concat({audio, lyr, id3}), true, false, true, 0, 0, a},
      {"lyrics3 at the end", Concat({audio, lyr}), false, false, true, 0, 0, a},
      {"ape, lyrics3, id3v1", Concat({audio, ape, lyr, id3}), true, true, true, a, ape.size(), a + ape.size()},
      {"lyrics3, ape, id3v1", Concat({audio, lyr, ape, id3}), true, true, true, a + lyr.size(), ape.size(), a},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const auto l = LocateEndTags(MemorySource(c.file));
    EXPECT_EQ(l.audioEnd, a);
    EXPECT_EQ(l.hasId3v1, c.id3);
    if (c.id3) {
      EXPECT_EQ(l.id3v1Offset, c.file.size() - 128);
    }
    EXPECT_EQ(l.hasApe, c.ape);
    if (c.ape) {
      EXPECT_EQ(l.apeOffset, c.apeAt);
      EXPECT_EQ(l.apeSize, c.apeSize);
    }
    EXPECT_EQ(l.hasLyrics3, c.lyrics);
    if (c.lyrics) {
      EXPECT_EQ(l.lyrics3Offset, c.lyricsAt);
      EXPECT_EQ(l.lyrics3Size, lyr.size());
    }
  }
}

// A footer or trailer that does not hold up is audio: nothing of it is cut.
TEST(EndTagLayout, SizesThatLieCountAsAudio) {
  const Bytes audio = Audio(300), id3 = Id3v1Bytes("x");
  auto apeWith = [](std::uint32_t version, std::uint32_t size) {
    Bytes f = ApeBytes({{"Title", "t"}});
    tags::WriteLE32(&f[f.size() - 24], version);
    tags::WriteLE32(&f[f.size() - 20], size);
    return f;
  };
  struct Case {
    const char* name;
    Bytes tail;
  };
  const Case cases[] = {
      {"ape size below the footer", apeWith(2000, 31)},
      {"ape size 0", apeWith(2000, 0)},
      {"ape size past the file start", apeWith(2000, 100000)},
      {"ape size 4 GiB", apeWith(2000, 0xFFFFFFFFu)},
      {"ape version 3000", apeWith(3000, 40)},
      {"lyrics3 size with a letter", Text("LYRICSBEGININD000020000002xLYRICS200")},
      {"lyrics3 size past the file start", Text("LYRICSBEGININD0000200999999LYRICS200")},
      {"lyrics3 size missing LYRICSBEGIN", Text("LYRICSBEGXNIND0000200000021LYRICS200")},
      {"lyrics3 size 0", Text("000000LYRICS200")},
  };
  for (const Case& c : cases) {
    for (const bool withId3 : {false, true}) {
      SCOPED_TRACE(std::string(c.name) + (withId3 ? " + id3v1" : ""));
      const Bytes file = withId3 ? Concat({audio, c.tail, id3}) : Concat({audio, c.tail});
      const auto l = LocateEndTags(MemorySource(file));
      EXPECT_FALSE(l.hasApe);
      EXPECT_FALSE(l.hasLyrics3);
      EXPECT_EQ(l.audioEnd, file.size() - (withId3 ? 128 : 0));
    }
  }
}

TEST(EndTagLayout, ApeHeaderAnnouncedButMissingCountsItemsAndFooterOnly) {
  Bytes ape = ApeBytes({{"Title", "t"}}, 2000, true);
  ape[0] = 'X';  // the header's signature broken
  const Bytes file = Concat({Audio(), ape});
  const auto l = LocateEndTags(MemorySource(file));
  ASSERT_TRUE(l.hasApe);
  EXPECT_EQ(l.apeOffset, Audio().size() + 32);
  EXPECT_EQ(l.audioEnd, Audio().size() + 32);
}

TEST(EndTagLayout, ApeValueHoldingTagAt128FromTheEndIsNoId3v1) {
  const std::string filler(128, 'v');
  Bytes ape = ApeBytes({{"Comment", filler}});
  // "TAG" exactly 128 bytes before the end, inside the comment value.
  std::copy_n("TAG", 3, ape.end() - 128);
  const auto l = LocateEndTags(MemorySource(Concat({Audio(), ape})));
  EXPECT_TRUE(l.hasApe);
  EXPECT_FALSE(l.hasId3v1);
  EXPECT_EQ(l.audioEnd, Audio().size());
}

TEST(EndTagLayout, ShortInputsHaveNoTags) {
  for (const std::size_t n : {0u, 1u, 14u, 15u, 31u, 32u, 127u, 128u}) {
    const auto l = LocateEndTags(MemorySource(Bytes(n, 'A')));
    EXPECT_EQ(l.audioEnd, n);
    EXPECT_FALSE(l.hasApe || l.hasId3v1 || l.hasLyrics3);
  }
  EXPECT_TRUE(LocateEndTags(MemorySource(Id3v1Bytes(""))).hasId3v1);
}

}  // namespace
