#include "tags/vorbis_comment.h"

#include <gtest/gtest.h>

#include "tags/toolkit/byte_order.h"

namespace {

using tags::Bytes;
using tags::VorbisComment;

Bytes Body(const std::string& vendor, const std::vector<std::string>& items) {
  VorbisComment vc;
  vc.vendor = vendor;
  vc.items = items;
  return vc.Render();
}

TEST(VorbisComment, ParseRenderKeepsEveryItemWhole) {
  const std::string vendor(400, 'v');  // longer than any old cut
  const std::vector<std::string> items = {"ARTIST=One",
                                          "artist=Two",
                                          "REPLAYGAIN_TRACK_GAIN=-3.10 dB",
                                          "NOEQUALS",
                                          "X=" + std::string(70000, 'x'),
                                          "TITLE=caf\xc3\xa9",
                                          ""};
  const Bytes body = Body(vendor, items);
  VorbisComment vc;
  EXPECT_EQ(vc.Parse(body.data(), body.size()), body.size());
  EXPECT_TRUE(vc.complete);
  EXPECT_EQ(vc.vendor, vendor);
  EXPECT_EQ(vc.items, items);
  EXPECT_EQ(vc.Render(), body);
}

// Every length is bounded by what is left: a hostile count or length stops
// reading with what was read so far.
TEST(VorbisComment, HostileLengthsStopReading) {
  const Bytes good = Body("vendor", {"A=1", "B=2"});
  struct Case {
    const char* name;
    Bytes data;
    std::size_t expectedUsed;
    std::size_t expectedItems;
    bool complete;
  };
  Bytes hugeCount = Body("vendor", {"A=1"});
  tags::WriteLE32(&hugeCount[4 + 6], 0xFFFFFFFF);
  Bytes hugeVendor = good;
  tags::WriteLE32(&hugeVendor[0], 0xFFFFFFFF);
  Bytes hugeItem = good;
  tags::WriteLE32(&hugeItem[4 + 6 + 4 + 4 + 3], 0xFFFFFFF0);  // the second item's length
  const std::vector<Case> cases = {
      {"empty", {}, 0, 0, false},
      {"three bytes", {1, 0, 0}, 0, 0, false},
      {"vendor longer than data", hugeVendor, 0, 0, false},
      {"vendor without count", Bytes(good.begin(), good.begin() + 10), 10, 0, false},
      {"count far beyond data", hugeCount, hugeCount.size(), 1, false},
      {"item longer than data", hugeItem, 4 + 6 + 4 + 4 + 3, 1, false},
      {"cut inside an item", Bytes(good.begin(), good.end() - 1), 4 + 6 + 4 + 4 + 3, 1, false},
      {"whole", good, good.size(), 2, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    VorbisComment vc;
    EXPECT_EQ(vc.Parse(c.data.data(), c.data.size()), c.expectedUsed);
    EXPECT_EQ(vc.items.size(), c.expectedItems);
    EXPECT_EQ(vc.complete, c.complete);
  }
}

TEST(VorbisComment, FieldsReadWithFallbacksAndMalformedText) {
  struct Case {
    std::vector<std::string> items;
    std::string artist, comment;
    std::uint8_t track;
  };
  const std::vector<Case> cases = {
      {{"ARTIST=  A  ", "PERFORMER=P", "TRACKNUMBER=5/12"}, "A", "", 5},
      {{"PERFORMER=P", "DESCRIPTION=D", "tracknumber=07"}, "P", "D", 7},
      {{"ARTIST=", "PERFORMER=P", "COMMENT=C", "DESCRIPTION=D", "TRACKNUMBER=x"}, "P", "C", 0},
      {{"ARTIST=caf\xe9", "TRACKNUMBER=300"}, "caf\xc3\xa9", "", 0},  // Latin-1 bytes read as such
  };
  for (const Case& c : cases) {
    VorbisComment vc;
    vc.items = c.items;
    tags::CommentFields f;
    f.Read(vc);
    EXPECT_EQ(f.Artist, c.artist);
    EXPECT_EQ(f.Comment, c.comment);
    EXPECT_EQ(f.Track, c.track);
  }
}

TEST(VorbisComment, ApplyChangesOnlyTheFirstItemOfEachField) {
  VorbisComment vc;
  vc.vendor = "vendor";
  vc.items = {"title=Old",   "ARTIST=One",    "ARTIST=Two", "REPLAYGAIN_TRACK_GAIN=-3 dB", "TRACKNUMBER=5/12",
              "PERFORMER=P", "DESCRIPTION=D", "GENRE=Rock", "METADATA_BLOCK_PICTURE=AAAA"};
  tags::CommentFields f;
  f.Read(vc);
  f.Title = "  New  ";
  f.Genre = "";
  f.Date = "2024";
  f.Apply(vc);
  const std::vector<std::string> expected = {
      "TITLE=New",        "ARTIST=One",  "ARTIST=Two",    "REPLAYGAIN_TRACK_GAIN=-3 dB",
      "TRACKNUMBER=5/12", "PERFORMER=P", "DESCRIPTION=D", "METADATA_BLOCK_PICTURE=AAAA",
      "DATE=2024"};
  EXPECT_EQ(vc.items, expected);
  EXPECT_EQ(vc.vendor, "vendor");

  struct TrackCase {
    std::string old;
    std::uint8_t track;
    std::string expected;  // empty: no TRACKNUMBER item
  };
  for (const TrackCase& t : std::vector<TrackCase>{{"5/12", 5, "5/12"},
                                                   {"5/12", 6, "6"},
                                                   {"5/12", 0, ""},
                                                   {"", 3, "3"},
                                                   {"A1", 0, "A1"},
                                                   {"300", 0, "300"}}) {
    VorbisComment v;
    if (!t.old.empty()) v.items = {"TRACKNUMBER=" + t.old};
    tags::CommentFields g;
    g.Read(v);
    g.Track = t.track;
    g.Apply(v);
    EXPECT_EQ(v.Value("TRACKNUMBER"), t.expected) << t.old << " -> " << int(t.track);
  }
}

// A field reads its first item; whatever Set stores must read back as the
// value, and a value the field reads already leaves the items byte for byte.
TEST(VorbisComment, SetWithRepeatedItemsReadsBackWhatWasSet) {
  struct Case {
    std::vector<std::string> items;
    std::string value;
    std::vector<std::string> expected;
  };
  const std::vector<Case> cases = {
      {{"title=", "TITLE=second"}, "", {"title=", "TITLE=second"}},
      {{"title= first ", "TITLE=second"}, "first", {"title= first ", "TITLE=second"}},
      {{"TITLE=first", "X=1", "title=second"}, "", {"X=1"}},
      {{"TITLE=first", "X=1", "TITLE=second"}, "new", {"TITLE=new", "X=1", "TITLE=second"}},
      {{"title=", "TITLE=second"}, "second", {"TITLE=second", "TITLE=second"}},
      {{"X=1"}, "new", {"X=1", "TITLE=new"}},
      {{"X=1"}, "", {"X=1"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.items.front() + " <- '" + c.value + "'");
    VorbisComment vc;
    vc.items = c.items;
    vc.Set("TITLE", c.value);
    EXPECT_EQ(vc.items, c.expected);
    EXPECT_EQ(vc.Value("TITLE"), c.value);
  }

  // Fields stored unchanged change nothing, even when a later item of the
  // same name holds another value.
  VorbisComment vc;
  vc.items = {"title=", "TITLE=second", "tracknumber=", "TRACKNUMBER=4", "ARTIST=", "PERFORMER=P"};
  tags::CommentFields f;
  f.Read(vc);
  f.Apply(vc);
  tags::CommentFields again;
  again.Read(vc);
  EXPECT_EQ(again.Title, "");
  EXPECT_EQ(again.Track, 0);
  EXPECT_EQ(again.Artist, "P");
  EXPECT_EQ(vc.items[0], "title=");
  EXPECT_EQ(vc.items[1], "TITLE=second");
  EXPECT_EQ(vc.items[2], "tracknumber=");
  EXPECT_EQ(vc.items[4], "ARTIST=");
}

// A field the user empties is empty after the save whichever name held it;
// a new value goes under the field's own name.
TEST(VorbisComment, EmptiedFieldsStayEmptyWhicheverNameHeldThem) {
  struct Case {
    std::vector<std::string> items;
    std::string artist, comment;  // what the user leaves in the fields
    std::vector<std::string> expected;
  };
  const std::vector<Case> cases = {
      {{"DESCRIPTION=old"}, "", "", {}},
      {{"PERFORMER=P", "X=1"}, "", "", {"X=1"}},
      {{"COMMENT=c", "DESCRIPTION=d"}, "", "", {}},
      {{"DESCRIPTION=old"}, "", "new", {"DESCRIPTION=old", "COMMENT=new"}},
      {{"PERFORMER=P", "DESCRIPTION=D"}, "P", "D", {"PERFORMER=P", "DESCRIPTION=D"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.items.front() + " <- '" + c.artist + "', '" + c.comment + "'");
    VorbisComment vc;
    vc.items = c.items;
    tags::CommentFields f;
    f.Read(vc);
    f.Artist = c.artist;
    f.Comment = c.comment;
    f.Apply(vc);
    EXPECT_EQ(vc.items, c.expected);
    tags::CommentFields back;
    back.Read(vc);
    EXPECT_EQ(back.Artist, c.artist);
    EXPECT_EQ(back.Comment, c.comment);
  }
}

}  // namespace
