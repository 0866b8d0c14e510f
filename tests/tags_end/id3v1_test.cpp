// The 128-byte tag and the Lyrics3 block as bytes: rendering, reading, and
// the rules for long values, track numbers and genres.
#include "tags/id3v1.h"

#include <gtest/gtest.h>

#include "end_test_files.h"
#include "tags/toolkit/text.h"

namespace {

using namespace end_test;
using tags::MemorySource;
using tags::TID3v1;

TID3v1 Load(const Bytes& file) {
  TID3v1 tag;
  EXPECT_TRUE(tag.LoadTags(MemorySource(file), true));
  return tag;
}

std::string Field(const Bytes& tag, std::size_t offset, std::size_t size) {
  return std::string(tag.begin() + std::ptrdiff_t(offset), tag.begin() + std::ptrdiff_t(offset + size));
}

TEST(Lyrics3Block, AuthorOnlyIsTheExactExample) {
  TID3v1 tag;
  tag.Author = "Made by Zovedu";
  EXPECT_EQ(tag.RenderLyricsBlock(), Text("LYRICSBEGININD0000200AUT00014Made by Zovedu000043LYRICS200"));
}

TEST(Lyrics3Block, DueOnlyForWhatTheTagCannotHold) {
  TID3v1 tag;
  tag.SetTitle(std::string(30, 't'));
  tag.SetComment("short");
  tag.Image = "cover.jpg";  // an image alone is no reason for a block
  EXPECT_TRUE(tag.RenderLyricsBlock().empty());
  tag.Lyrics = "la la";
  const Bytes block = tag.RenderLyricsBlock();
  EXPECT_EQ(Field(block, 11, 10), "IND0000210");
  EXPECT_EQ(std::string(block.begin() + 21, block.end() - 15), "LYR00005la laIMG00009cover.jpg");
}

TEST(Id3v1, LongCommentGoesWholeIntoTheBlockAndCutIntoTheTag) {
  const std::string comment = "0123456789abcdefghijKLMNOPQRSTuvwxyz!?.,";  // 40 characters
  TID3v1 tag;
  tag.SetComment(comment);
  EXPECT_EQ(tag.ExtComment(), comment);
  const Bytes file = Concat({Audio(), tag.RenderLyricsBlock(), tag.RenderTag()});
  EXPECT_EQ(Field(file, file.size() - 128 + 97, 30), comment.substr(0, 30));
  const std::string blockText(file.begin() + 5000, file.end() - 128);
  EXPECT_NE(blockText.find("INF00040" + comment), std::string::npos) << blockText;

  const TID3v1 back = Load(file);
  EXPECT_TRUE(back.LyricsExists);
  EXPECT_EQ(back.Comment(), comment);
}

TEST(Id3v1, LongValuesCountCharactersNotBytes) {
  struct Case {
    std::string value;
    bool ext;
  };
  const Case cases[] = {
      {std::string(30, 'a'), false},
      {std::string(31, 'a'), true},
      {std::string(30, 'a') + "   ", false},            // trailing spaces go first
      {"\xC3\xA9" + std::string(29, 'a'), false},      // 30 characters, 31 bytes
      {std::string(30, 'a') + "\xC3\xA9", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.value);
    TID3v1 tag;
    tag.SetArtist(c.value);
    EXPECT_EQ(!tag.ExtArtist().empty(), c.ext);
    EXPECT_EQ(tag.Artist(), tags::TrimRight(c.value));
  }
  TID3v1 tag;
  tag.SetYear("\xC3\xA9t\xC3\xA9s 2024");
  EXPECT_EQ(tag.Year(), "\xC3\xA9t\xC3\xA9s");
  tag.SetYear("19  ");
  EXPECT_EQ(tag.Year(), "19");
}

TEST(Id3v1, TextsAreLatin1InTheFileAndUtf8Inside) {
  TID3v1 tag;
  tag.SetTitle("Caf\xC3\xA9 \xE2\x82\xAC");  // é fits ISO-8859-1, € does not
  const Bytes bytes = tag.RenderTag();
  EXPECT_EQ(Field(bytes, 3, 7), std::string("Caf\xE9 ?\0", 7));
  EXPECT_EQ(Load(bytes).Title(), "Caf\xC3\xA9 ?");
}

TEST(Id3v1, TrackNumberAndVersionRule) {
  struct Case {
    std::uint8_t b125, b126;
    std::uint8_t version, track;
    std::size_t commentLength;
  };
  const Case cases[] = {
      {0, 7, 2, 7, 28}, {' ', 9, 2, 9, 28}, {0, 0, 1, 0, 30}, {' ', ' ', 1, 0, 30}, {'x', 5, 1, 0, 30},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(int(c.b125) * 1000 + c.b126);
    Bytes tag = Id3v1Bytes("t");
    std::fill(tag.begin() + 97, tag.begin() + 125, 'c');
    tag[125] = c.b125, tag[126] = c.b126;
    const TID3v1 read = Load(tag);
    EXPECT_EQ(read.Version, c.version);
    EXPECT_EQ(read.Track, c.track);
    EXPECT_EQ(read.Comment(), tags::TrimRight(Field(tag, 97, c.commentLength)));
  }
}

TEST(Id3v1, TrackKeptThroughRenderWithItsShorterComment) {
  Bytes file = Id3v1Bytes("Song", 17);
  std::fill(file.begin() + 97, file.begin() + 125, 'c');
  file[126] = 4;
  TID3v1 tag = Load(file);
  tag.SetComment(std::string(30, 'n'));
  const Bytes out = tag.RenderTag();
  EXPECT_EQ(out[125], 0);
  EXPECT_EQ(out[126], 4);
  EXPECT_EQ(out[127], 17);
  EXPECT_EQ(Field(out, 97, 28), std::string(28, 'n'));
}

// A comment the field cannot hold whole, for the track number or for a space
// that would read as the track's marker, goes whole into the block; the
// track reads back as it was.
TEST(Id3v1, CommentsOf29And30CharactersReadBackWhole) {
  struct Case {
    std::string comment;
    std::uint8_t track;
    bool block;
  };
  const Case cases[] = {
      {std::string(30, 'c'), 0, false},
      {std::string(28, 'c') + " d", 0, true},
      {std::string(28, 'c') + "  ", 0, false},  // trailing spaces go
      {std::string(29, 'c'), 4, true},
      {std::string(28, 'c'), 4, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.comment + " / " + std::to_string(c.track));
    TID3v1 tag;
    tag.SetComment(c.comment);
    tag.Track = c.track;
    const Bytes block = tag.RenderLyricsBlock();
    EXPECT_EQ(!block.empty(), c.block);
    const TID3v1 back = Load(Concat({block, tag.RenderTag()}));
    EXPECT_EQ(back.Comment(), tags::TrimRight(c.comment));
    EXPECT_EQ(back.Track, c.track);
  }
}

TEST(Id3v1, GenreByName) {
  const std::pair<const char*, int> cases[] = {
      {"Rock", 17}, {"rock", 17}, {"ROCK", 17}, {"rOcK", 17}, {"Blues", 0}, {"synthpop", 147},
      {"rock & roll", 78}, {"Rockabilly", 255}, {"", 255}, {"Klezmer Metal", 255},
  };
  for (const auto& [name, id] : cases) {
    SCOPED_TRACE(name);
    TID3v1 tag;
    tag.SetGenre(name);
    EXPECT_EQ(int(tag.GenreID), id);
  }
  TID3v1 tag;
  tag.GenreID = 147;
  EXPECT_EQ(tag.Genre(), "Synthpop");
  tag.GenreID = 148;
  EXPECT_EQ(tag.Genre(), "");
}

TEST(Lyrics3Block, ReadsEveryFieldAndRendersThemBack) {
  TID3v1 tag;
  tag.SetTitle(std::string(35, 'T'));
  tag.SetArtist(std::string(40, 'A') + "\xC3\xA4");
  tag.SetAlbum(std::string(31, 'L'));
  tag.SetComment(std::string(45, 'C'));
  tag.Author = "Someone";
  tag.Lyrics = "line one\r\nline two";
  tag.Image = "img.jpg||";
  const TID3v1 back = Load(Concat({Audio(), tag.RenderLyricsBlock(), tag.RenderTag()}));
  EXPECT_EQ(back.Title(), tag.Title());
  EXPECT_EQ(back.Artist(), tag.Artist());
  EXPECT_EQ(back.Album(), tag.Album());
  EXPECT_EQ(back.Comment(), tag.Comment());
  EXPECT_EQ(back.Author, tag.Author);
  EXPECT_EQ(back.Lyrics, tag.Lyrics);
  EXPECT_EQ(back.Image, tag.Image);
}

TEST(Lyrics3Block, LyricsLineEndsBecomeCrLf) {
  const std::pair<const char*, const char*> cases[] = {
      {"a\rb", "a\r\nb"}, {"a\r\nb", "a\r\nb"}, {"a\nb", "a\nb"}, {"  a\r\r b \r\n", "a\r\n\r\n b"}};
  for (const auto& [stored, read] : cases) {
    const std::string lyr = stored;
    char len[6];
    std::snprintf(len, sizeof len, "%05zu", lyr.size());
    const TID3v1 tag = Load(Concat({Lyrics3Bytes("IND0000210LYR" + std::string(len) + lyr), Id3v1Bytes("")}));
    EXPECT_EQ(tag.Lyrics, read);
  }
}

TEST(Lyrics3Block, ReadingStopsAtBadFields) {
  struct Case {
    const char* name;
    std::string fields;
    std::string author, title;
  };
  const Case cases[] = {
      {"length not a number", "IND0000200AUT0000xabcETT00001t", "", "x"},
      {"field past the block", "IND0000200ETT00001tAUT00099abc", "", "t"},
      {"unknown name", "IND0000200XYZ00001qAUT00001a", "", "x"},
      {"all good", "IND0000200ETT00001tAUT00001a", "a", "t"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const TID3v1 tag = Load(Concat({Audio(100), Lyrics3Bytes(c.fields), Id3v1Bytes("x")}));
    EXPECT_TRUE(tag.LyricsExists);
    EXPECT_EQ(tag.Author, c.author);
    EXPECT_EQ(tag.Title(), c.title);
  }
}

// A NUL ends a text in the block as it does in the 128-byte tag, so a short
// value reads the same before and after a save.
TEST(Lyrics3Block, TextsEndAtANul) {
  using namespace std::string_literals;
  const std::string fields =
      "IND0000200EAR00011[00:0\0\0\0" "1 lETT00038"s + std::string(33, 't') + "\0tail"s + "AUT00004au\0x"s;
  const TID3v1 tag = Load(Concat({Audio(100), Lyrics3Bytes(fields), Id3v1Bytes("x")}));
  EXPECT_EQ(tag.Artist(), "[00:0");
  EXPECT_EQ(tag.Title(), std::string(33, 't'));
  EXPECT_EQ(tag.Author, "au");
  const TID3v1 again = Load(Concat({tag.RenderLyricsBlock(), tag.RenderTag()}));
  EXPECT_EQ(again.Artist(), tag.Artist());
  EXPECT_EQ(again.Title(), tag.Title());
  EXPECT_EQ(again.Author, tag.Author);
}

TEST(Lyrics3Block, ValuesAreCutToWhatTheSizeFieldsHold) {
  TID3v1 tag;
  tag.Lyrics = std::string(150000, 'l');
  tag.Author = "a";
  const Bytes block = tag.RenderLyricsBlock();
  const std::string text(block.begin(), block.end());
  EXPECT_NE(text.find("LYR99999"), std::string::npos);
  EXPECT_EQ(block.size(), 11 + 10 + 9 + 8 + 99999 + 15);
  const TID3v1 back = Load(Concat({block, Id3v1Bytes("")}));
  EXPECT_EQ(back.Lyrics.size(), 99999u);
  EXPECT_EQ(back.Author, "a");
}

}  // namespace

namespace {

// Damaged tags and blocks never crash, and what is read renders into a tag
// and block that read back the same.
TEST(Id3v1, ArbitraryBytesNeverCrash) {
  TID3v1 source;
  source.SetTitle(std::string(33, 't'));
  source.Author = "au";
  source.Lyrics = "ly";
  source.Track = 2;
  const Bytes good = Concat({Audio(40), source.RenderLyricsBlock(), source.RenderTag()});
  std::uint32_t state = 777;
  for (int round = 0; round < 3000; ++round) {
    Bytes data = good;
    for (int k = 0; k < 4; ++k) {
      state = state * 1103515245u + 12345u;
      data[(state >> 8) % data.size()] = std::uint8_t(round % 2 ? '0' + (state >> 20) % 10 : state >> 20);
    }
    TID3v1 tag;
    ASSERT_TRUE(tag.LoadTags(MemorySource(data), true));
    const TID3v1 again = Load(Concat({tag.RenderLyricsBlock(), tag.RenderTag()}));
    EXPECT_EQ(again.Title(), tag.Title());
    EXPECT_EQ(again.Author, tag.Author);
    EXPECT_EQ(again.Lyrics, tag.Lyrics);
  }
}

}  // namespace
