// Saving and stripping the end tags of files: the order at the file end, no
// audio byte lost, and what other programs read afterwards.
#include <sys/stat.h>

#include <gtest/gtest.h>

#include "end_test_files.h"
#include "support/scratch_dir.h"
#include "tags/ape_tag.h"
#include "tags/end_tags.h"
#include "tags/id3v1.h"

namespace {

using namespace end_test;
using tags::TAPEtag;
using tags::TID3v1;

class EndTagSave : public ::testing::Test {
 protected:
  std::string Put(const Bytes& content) {
    const std::string path = (dir_ / "f.mp3").string();
    WriteAll(path, content);
    return path;
  }
  static Bytes Slice(const Bytes& b, std::size_t from, std::size_t n) {
    return Bytes(b.begin() + std::ptrdiff_t(from), b.begin() + std::ptrdiff_t(from + n));
  }
  zovedu_test::ScratchDir dir_;
};

// The new APE tag goes after the audio and a Lyrics3 block, which stays
// byte for byte (an image and an author the APE tag has no place for), and
// in front of the ID3v1 tag.
TEST_F(EndTagSave, ApeSaveKeepsTheLyrics3BlockInFrontAndTheId3v1TagAfter) {
  const Bytes audio = Audio(), id3 = Id3v1Bytes("old v1");
  const Bytes lyr = Lyrics3Bytes("IND0000200AUT00003bobIMG00011cover.jpg||");
  const Bytes oldApe = ApeBytes({{"Title", "old"}, {"Other", "kept"}});
  struct Case {
    const char* name;
    Bytes file;
    bool lyrics3, id3;
  };
  const Case cases[] = {
      {"audio only", audio, false, false},
      {"id3v1", Concat({audio, id3}), false, true},
      {"ape, id3v1", Concat({audio, oldApe, id3}), false, true},
      {"lyrics3, id3v1", Concat({audio, lyr, id3}), true, true},
      {"ape, lyrics3, id3v1", Concat({audio, oldApe, lyr, id3}), true, true},
      {"lyrics3, ape, id3v1", Concat({audio, lyr, oldApe, id3}), true, true},
      {"ape at the end", Concat({audio, oldApe}), false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string path = Put(c.file);
    TAPEtag tag;
    ASSERT_TRUE(tag.LoadTags(path));
    tag.SetTitle("New title");
    ASSERT_TRUE(tag.SaveTags(path));

    EXPECT_EQ(ReadAll(path), Concat({audio, c.lyrics3 ? lyr : Bytes(), tag.Render(), c.id3 ? id3 : Bytes()}));
    TAPEtag back;
    ASSERT_TRUE(back.LoadTags(path));
    EXPECT_EQ(back.Title, "New title");
    TID3v1 v1;
    ASSERT_TRUE(v1.LoadTags(path, true));
    EXPECT_EQ(v1.LyricsExists, c.lyrics3);
    if (c.lyrics3) {
      EXPECT_EQ(v1.Author, "bob");
      EXPECT_EQ(v1.Image, "cover.jpg||");
    }
  }
}

// An ID3v1 tag whose last 32 bytes read as an APE footer that claims a bit
// more than the file holds: after an APE save in front of it that footer
// would fit and hide the new tag, so the save is refused and the file stays.
TEST_F(EndTagSave, ApeSaveThatWouldNotReadBackIsRefused) {
  const Bytes audio = Audio();
  Bytes id3 = Id3v1Bytes("old v1");
  const Bytes footer = ApeBytes({});
  std::copy(footer.end() - 32, footer.end(), id3.end() - 32);
  const std::uint32_t claim = std::uint32_t(audio.size() + 128 + 8);
  for (int i = 0; i < 4; ++i) id3[128 - 32 + 12 + i] = std::uint8_t(claim >> (8 * i));
  const Bytes file = Concat({audio, id3});
  const std::string path = Put(file);
  TAPEtag tag;
  tag.LoadTags(path);
  TID3v1 v1;
  ASSERT_TRUE(v1.LoadTags(path, true));
  ASSERT_TRUE(v1.Exists);
  tag.SetTitle("New title");
  EXPECT_FALSE(tag.SaveTags(path));
  EXPECT_EQ(ReadAll(path), file);
  EXPECT_FALSE(fs::exists(path + "~"));
}

TEST_F(EndTagSave, ApeStripKeepsLyrics3AndId3v1) {
  const Bytes audio = Audio(), id3 = Id3v1Bytes("v1"), lyr = Lyrics3Bytes("IND0000200AUT00001a");
  const std::string path = Put(Concat({audio, ApeBytes({{"Title", "x"}}), lyr, id3}));
  TAPEtag tag;
  ASSERT_TRUE(tag.StripTags(path));
  EXPECT_EQ(ReadAll(path), Concat({audio, lyr, id3}));
  ASSERT_TRUE(tag.StripTags(path));  // nothing more to take
  EXPECT_EQ(ReadAll(path), Concat({audio, lyr, id3}));
}

// Whatever the order found, an ID3v1 save leaves the block, the APE tag as
// it was, then the ID3v1 tag: readers find the APE tag right in front of the
// ID3v1 tag, and the long texts stay in the block.
TEST_F(EndTagSave, Id3v1SavePutsTheBlockInFrontOfAnApeTag) {
  const Bytes audio = Audio(), ape = ApeBytes({{"Title", "ape"}}, 2000, true);
  const Bytes lyr = Lyrics3Bytes("IND0000200AUT00001a");
  for (const Bytes& file : {Concat({audio, ape}), Concat({audio, ape, Id3v1Bytes("x")}),
                            Concat({audio, lyr, ape, Id3v1Bytes("x")}), Concat({audio, ape, lyr, Id3v1Bytes("x")})}) {
    const std::string path = Put(file);
    TID3v1 tag;
    ASSERT_TRUE(tag.LoadTags(path, true));
    tag.SetTitle("New");
    tag.SetComment(std::string(40, 'c'));
    tag.Author = "Made by Zovedu";
    ASSERT_TRUE(tag.SaveTags(path));
    EXPECT_TRUE(tag.LyricsExists);
    EXPECT_EQ(ReadAll(path), Concat({audio, tag.RenderLyricsBlock(), ape, tag.RenderTag()}));
    TID3v1 back;
    ASSERT_TRUE(back.LoadTags(path, true));
    EXPECT_EQ(back.Comment(), std::string(40, 'c'));
    EXPECT_EQ(back.Author, "Made by Zovedu");
    TAPEtag apeBack;
    ASSERT_TRUE(apeBack.LoadTags(path));
    EXPECT_EQ(apeBack.Title, "ape");
  }
}

TEST_F(EndTagSave, Id3v1SaveWritesTheBlockWithoutApeAndStripRemovesBoth) {
  const Bytes audio = Audio();
  for (const Bytes& file : {audio, Concat({audio, Id3v1Bytes("x")}),
                            Concat({audio, Lyrics3Bytes("IND0000200AUT00001a"), Id3v1Bytes("x")})}) {
    const std::string path = Put(file);
    TID3v1 tag;
    ASSERT_TRUE(tag.LoadTags(path, true));
    tag.SetComment(std::string(40, 'c'));
    tag.Track = 3;
    ASSERT_TRUE(tag.SaveTags(path));
    EXPECT_TRUE(tag.LyricsExists);
    EXPECT_EQ(ReadAll(path), Concat({audio, tag.RenderLyricsBlock(), tag.RenderTag()}));

    TID3v1 back;
    ASSERT_TRUE(back.LoadTags(path, true));
    EXPECT_EQ(back.Comment(), std::string(40, 'c'));
    EXPECT_EQ(back.Track, 3);

    ASSERT_TRUE(back.StripTags(path, false));
    EXPECT_EQ(ReadAll(path), audio);
    ASSERT_TRUE(back.StripTags(path, true));
    EXPECT_EQ(ReadAll(path), Concat({audio, back.RenderTag()}));
  }
}

TEST_F(EndTagSave, WriteTagAppends) {
  const Bytes audio = Audio();
  const std::string path = Put(audio);
  TID3v1 tag;
  tag.Author = "a";
  ASSERT_TRUE(tag.WriteTag(path, true));
  EXPECT_EQ(ReadAll(path), Concat({audio, tag.RenderLyricsBlock(), tag.RenderTag()}));
  ASSERT_TRUE(tag.StripTags(path, false));
  ASSERT_TRUE(tag.WriteTag(path, false));
  EXPECT_EQ(ReadAll(path), Concat({audio, tag.RenderTag()}));
}

TEST_F(EndTagSave, ReadOnlyFileKeepsItsMode) {
  const std::string path = Put(Concat({Audio(), Id3v1Bytes("x")}));
  ASSERT_EQ(::chmod(path.c_str(), 0444), 0);
  TAPEtag ape;
  ape.SetTitle("ro");
  EXPECT_TRUE(ape.SaveTags(path));
  TID3v1 v1;
  v1.SetTitle("ro");
  EXPECT_TRUE(v1.SaveTags(path));
  struct stat st {};
  ASSERT_EQ(::stat(path.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0444u);
  TAPEtag back;
  ASSERT_TRUE(back.LoadTags(path));
  EXPECT_EQ(back.Title, "ro");
}

TEST_F(EndTagSave, MissingFileFails) {
  const std::string path = (dir_ / "missing.mp3").string();
  TAPEtag ape;
  TID3v1 v1;
  EXPECT_FALSE(ape.LoadTags(path));
  EXPECT_FALSE(ape.SaveTags(path));
  EXPECT_FALSE(ape.StripTags(path));
  EXPECT_FALSE(v1.LoadTags(path, true));
  EXPECT_FALSE(v1.SaveTags(path));
  EXPECT_FALSE(v1.StripTags(path, true));
  EXPECT_FALSE(v1.WriteTag(path, true));
}

}  // namespace
