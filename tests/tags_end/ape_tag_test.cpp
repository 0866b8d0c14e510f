// APE tags as bytes: reading whole values, keeping what the object has no
// field for, and what the writer puts out.
#include "tags/ape_tag.h"

#include <gtest/gtest.h>

#include "end_test_files.h"
#include "tags/toolkit/byte_order.h"

namespace {

using namespace end_test;
using tags::MemorySource;
using tags::TAPEtag;

TAPEtag Load(const Bytes& file) {
  TAPEtag tag;
  EXPECT_TRUE(tag.LoadTags(MemorySource(file)));
  return tag;
}

TEST(ApeTag, ReadsFieldsWholeWithKeysInAnyCase) {
  const std::string longComment(700, 'c');  // longer than 250 bytes
  const TAPEtag tag = Load(Concat({Audio(), ApeBytes({{"TITLE", "  Song "},
                                                      {"artist", "Band"},
                                                      {"Album", "Record"},
                                                      {"track", "5/12"},
                                                      {"YEAR", "1999"},
                                                      {"Genre", "Rock"},
                                                      {"comment", longComment},
                                                      {"Copyright", "(c) us"}},
                                                     2000, true),
                                   Id3v1Bytes("v1")}));
  EXPECT_TRUE(tag.Exists);
  EXPECT_EQ(tag.Version, 2000u);
  EXPECT_EQ(tag.Title, "Song");
  EXPECT_EQ(tag.Artist, "Band");
  EXPECT_EQ(tag.Album, "Record");
  EXPECT_EQ(tag.Track, 5);
  EXPECT_EQ(tag.Year, "1999");
  EXPECT_EQ(tag.Genre, "Rock");
  EXPECT_EQ(tag.Comment, longComment);
  EXPECT_EQ(tag.Copyright, "(c) us");
  EXPECT_TRUE(tag.OtherItems.empty());
}

TEST(ApeTag, Version1000ValuesInACodePageBecomeUtf8) {
  const TAPEtag v1 = Load(ApeBytes({{"Title", "Caf\xE9"}, {"Artist", "D\xC3\xBCrer"}}, 1000));
  EXPECT_EQ(v1.Title, "Caf\xC3\xA9");
  EXPECT_EQ(v1.Artist, "D\xC3\xBCrer");
}

TEST(ApeTag, RenderWritesValuesWithoutTerminatorAndFooterOnly) {
  TAPEtag tag;
  tag.SetTitle("Hi");
  tag.SetTrack(3);
  EXPECT_EQ(tag.Render(), ApeBytes({{"Title", "Hi"}, {"Track", "3"}}, 1000));
  tag.SetArtist("J\xC3\xBCrgen");
  const Bytes out = tag.Render();
  EXPECT_EQ(tags::ReadLE32(&out[out.size() - 24]), 2000u);
  EXPECT_EQ(out, ApeBytes({{"Title", "Hi"}, {"Artist", "J\xC3\xBCrgen"}, {"Track", "3"}}, 2000));
}

TEST(ApeTag, LoadRenderLoadKeepsEveryValueAndUnknownItemInOrder) {
  Bytes picture;  // a binary item
  const Bytes cover = {0xFF, 0xD8, 0x00, 0x01, 0x00, 0xFF};
  tags::AppendLE32(picture, std::uint32_t(cover.size()));
  tags::AppendLE32(picture, 2);  // binary
  tags::AppendText(picture, "Cover Art (Front)");
  picture.push_back(0);
  picture.insert(picture.end(), cover.begin(), cover.end());

  Bytes text = ApeBytes({{"REPLAYGAIN_TRACK_GAIN", "-6.5 dB"},
                         {"Title", "T\xC3\xADtulo"},
                         {"Composer", std::string("A\0B", 3)},
                         {"Track", "7/9"},
                         {"Empty", ""}});
  // One more item: splice the picture in front of the footer and fix the counts.
  Bytes tagBytes(text.begin(), text.end() - 32);
  tagBytes.insert(tagBytes.end(), picture.begin(), picture.end());
  Bytes footer(text.end() - 32, text.end());
  tags::WriteLE32(&footer[12], std::uint32_t(tagBytes.size() + 32));
  tags::WriteLE32(&footer[16], 6);
  tagBytes.insert(tagBytes.end(), footer.begin(), footer.end());

  const TAPEtag first = Load(Concat({Audio(), tagBytes}));
  ASSERT_EQ(first.OtherItems.size(), 4u);
  EXPECT_EQ(first.OtherItems[0].key, "REPLAYGAIN_TRACK_GAIN");
  EXPECT_EQ(first.OtherItems[1].value, Text(std::string("A\0B", 3)));
  EXPECT_EQ(first.OtherItems[2].key, "Empty");
  EXPECT_EQ(first.OtherItems[3].flags, 2u);
  EXPECT_EQ(first.OtherItems[3].value, cover);
  EXPECT_EQ(first.Track, 7);

  const Bytes rendered = first.Render();
  const std::string renderedText(rendered.begin(), rendered.end());
  EXPECT_NE(renderedText.find(std::string("Track\0" "7/9", 9)), std::string::npos);
  const TAPEtag second = Load(Concat({Audio(), rendered}));
  EXPECT_EQ(second.Title, "T\xC3\xADtulo");
  EXPECT_EQ(second.Track, 7);
  ASSERT_EQ(second.OtherItems.size(), first.OtherItems.size());
  for (std::size_t i = 0; i < first.OtherItems.size(); ++i) {
    EXPECT_EQ(second.OtherItems[i].key, first.OtherItems[i].key);
    EXPECT_EQ(second.OtherItems[i].flags, first.OtherItems[i].flags);
    EXPECT_EQ(second.OtherItems[i].value, first.OtherItems[i].value);
  }
  EXPECT_EQ(second.Render(), rendered);
}

TEST(ApeTag, ChangedTrackNoLongerWritesTheOldText) {
  TAPEtag tag = Load(ApeBytes({{"Track", "5/12"}}));
  tag.SetTrack(6);
  EXPECT_EQ(tag.Render(), ApeBytes({{"Track", "6"}}, 1000));
  tag.SetTrack(0);
  EXPECT_EQ(tag.Render(), ApeBytes({}, 1000));
}

TEST(ApeTag, TrackTheFieldCannotHoldStaysAnItem) {
  for (const char* value : {"A1", "300", "0"}) {
    SCOPED_TRACE(value);
    const TAPEtag tag = Load(ApeBytes({{"Track", value}}));
    EXPECT_EQ(tag.Track, 0);
    ASSERT_EQ(tag.OtherItems.size(), 1u);
    EXPECT_EQ(tag.Render(), ApeBytes({{"Track", value}}, 1000));
  }
}

// Items whose sizes lie end the reading: no over-read, no endless loop, no
// allocation beyond the input.
TEST(ApeTag, HostileItemsEndTheReading) {
  auto withItem = [](std::uint32_t valueSize, const std::string& keyAndValue, std::uint32_t count) {
    Bytes items = ApeBytes({{"Title", "ok"}});
    items.resize(items.size() - 32);
    tags::AppendLE32(items, valueSize);
    tags::AppendLE32(items, 0);
    tags::AppendText(items, keyAndValue);
    Bytes footer = ApeBytes({});
    tags::WriteLE32(&footer[12], std::uint32_t(items.size() + 32));
    tags::WriteLE32(&footer[16], count);
    return Concat({Audio(), items, footer});
  };
  struct Case {
    const char* name;
    Bytes file;
    std::size_t others;
  };
  const Case cases[] = {
      {"value past the tag", withItem(1000, std::string("Artist\0abc", 10), 2), 0},
      {"value size 4 GiB", withItem(0xFFFFFFFFu, std::string("Artist\0abc", 10), 2), 0},
      {"key without its NUL", withItem(0, "Artist", 2), 0},
      {"zero-length value", withItem(0, std::string("X\0", 2), 2), 1},
      {"count far above the items", withItem(0, std::string("X\0", 2), 0xFFFFFFFFu), 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const TAPEtag tag = Load(c.file);
    EXPECT_TRUE(tag.Exists);
    EXPECT_EQ(tag.Title, "ok");
    EXPECT_EQ(tag.Artist, "");
    EXPECT_EQ(tag.OtherItems.size(), c.others);
  }
}

TEST(ApeTag, ArbitraryBytesNeverCrash) {
  std::uint32_t state = 12345;
  for (int round = 0; round < 2000; ++round) {
    Bytes data = ApeBytes({{"Title", "abc"}, {"Artist", "de"}}, round % 2 ? 1000 : 2000, round % 3 == 0);
    for (int k = 0; k < 6; ++k) {
      state = state * 1103515245u + 12345u;
      data[(state >> 8) % data.size()] = std::uint8_t(state >> 20);
    }
    TAPEtag tag;
    tag.LoadTags(MemorySource(data));
    if (tag.Exists) {
      TAPEtag again;
      ASSERT_TRUE(again.LoadTags(MemorySource(tag.Render())));
      EXPECT_EQ(again.Title, tag.Title);
      EXPECT_EQ(again.OtherItems.size(), tag.OtherItems.size());
    }
  }
}

}  // namespace
