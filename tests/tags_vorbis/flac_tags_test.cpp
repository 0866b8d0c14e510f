#include "tags/flac_tags.h"

#include <gtest/gtest.h>

#include "support/scratch_dir.h"
#include "tags/toolkit/byte_order.h"
#include "vorbis_test_files.h"

namespace {

using namespace vorbis_test;

struct BlockInfo {
  int type;
  std::uint32_t length;
  bool last;
  bool operator==(const BlockInfo&) const = default;
};

// The metadata blocks of a FLAC file starting at offset (after "fLaC").
std::vector<BlockInfo> Blocks(const Bytes& file, std::size_t offset = 0) {
  std::vector<BlockInfo> blocks;
  for (std::size_t pos = offset + 4; pos + 4 <= file.size();) {
    const BlockInfo b{file[pos] & 0x7f, tags::ReadBE24(&file[pos + 1]), (file[pos] & 0x80) != 0};
    blocks.push_back(b);
    pos += 4 + b.length;
    if (b.last) break;
  }
  return blocks;
}

std::uint32_t CommentLength(const Bytes& file) {
  for (const BlockInfo& b : Blocks(file))
    if (b.type == 4) return b.length;
  return 0;
}

void ExpectSound(const fs::path& file, const std::string& md5) {
  int code = -1;
  const std::string report = ToolOutput("flac", {"-t", "-s", file.string()}, &code);
  EXPECT_EQ(code, 0) << report;
  EXPECT_EQ(AudioMd5(file), md5);
  EXPECT_FALSE(fs::exists(file.string() + "~"));
}

TEST(FlacTags, LoadsStreamInfoAndFields) {
  zovedu_test::ScratchDir dir;
  const fs::path f =
      MakeFlac(dir.path(), "a.flac",
               {"ARTIST=Art", "TRACKNUMBER=3/9", "DESCRIPTION=Desc", "TITLE=Tit", "VENDORISH=x"});
  tags::TFlacTags flac;
  ASSERT_TRUE(flac.LoadFile(f.string()));
  EXPECT_TRUE(flac.Valid());
  EXPECT_EQ(flac.Channels(), 2);
  EXPECT_EQ(flac.SampleRate(), 44100);
  EXPECT_NEAR(flac.Duration(), 4.0, 1e-9);
  EXPECT_EQ(flac.Artist, "Art");
  EXPECT_EQ(flac.Title, "Tit");
  EXPECT_EQ(flac.Track, 3);
  EXPECT_EQ(flac.Comment, "Desc");
  EXPECT_NE(flac.Vendor.find("libFLAC"), std::string::npos);
}

// The comment block with the padding after it: an exact fit or a leftover of
// at least 4 bytes is written in place; 1 to 3 bytes left over do not make a
// padding block, so the file is rewritten with 4096 bytes of padding.
TEST(FlacTags, InPlaceWhenTheCommentFitsItsPadding) {
  zovedu_test::ScratchDir dir;
  struct Case {
    std::uint32_t leftOver;
    bool inPlace;
  };
  for (const Case c : {Case{0, true}, Case{1, false}, Case{3, false}, Case{4, true}, Case{50, true}}) {
    SCOPED_TRACE(c.leftOver);
    const fs::path f = MakeFlac(dir.path(), "fit.flac", {"ARTIST=x", "ALBUM=keep"}, {"--padding=100"});
    const Bytes before = ReadAll(f);
    const std::string md5 = AudioMd5(f);
    // Space: comment block + 104 bytes of padding; TITLE= adds 10 + n bytes.
    tags::TFlacTags flac;
    ASSERT_TRUE(flac.LoadFile(f.string()));
    flac.Title = std::string(104 - 10 - c.leftOver, 't');
    ASSERT_TRUE(flac.SaveTags(f.string()));

    const Bytes after = ReadAll(f);
    std::vector<BlockInfo> expected = Blocks(before);
    ASSERT_EQ(expected.back().type, 1);
    expected.pop_back();
    expected.back().length += 104 - c.leftOver;
    if (c.inPlace) {
      EXPECT_EQ(after.size(), before.size());
      if (c.leftOver > 0)
        expected.push_back({1, c.leftOver - 4, true});
      else
        expected.back().last = true;
    } else {
      expected.push_back({1, 4096, true});
    }
    EXPECT_EQ(Blocks(after), expected);
    EXPECT_EQ(FlacComments(f), (std::vector<std::string>{"ARTIST=x", "ALBUM=keep", "TITLE=" + flac.Title}));
    ExpectSound(f, md5);
  }
}

// No padding: the metadata is rewritten with the comment where it was, the
// other blocks byte for byte (picture, seek table) and 4096 bytes of padding.
TEST(FlacTags, RewriteKeepsOtherBlocksAndAddsPadding) {
  zovedu_test::ScratchDir dir;
  const fs::path png = dir / "cover.png";
  Bytes image = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
  image.resize(20000, 7);
  WriteAll(png, image);
  const fs::path f = MakeFlac(dir.path(), "a.flac", {"ARTIST=x", "REPLAYGAIN_TRACK_PEAK=0.9", "ARTIST=y"},
                              {"--padding=0", "--picture=3|image/png||16x16x24|" + png.string()});
  const std::string md5 = AudioMd5(f);
  const std::string picture = Tool("metaflac", {"--export-picture-to=-", f.string()});
  const Bytes before = ReadAll(f);

  tags::TFlacTags flac;
  ASSERT_TRUE(flac.LoadFile(f.string()));
  flac.Artist = "Ärtist";
  flac.Comment = std::string(3000, 'c');
  ASSERT_TRUE(flac.SaveTags(f.string()));
  std::vector<BlockInfo> expected = Blocks(before);
  for (BlockInfo& b : expected) b.last = false;
  const std::vector<BlockInfo> after = Blocks(ReadAll(f));
  ASSERT_EQ(after.size(), expected.size() + 1);
  for (std::size_t i = 0; i < expected.size(); ++i)
    if (expected[i].type != 4) {
      EXPECT_EQ(after[i], expected[i]) << i;
    }
  EXPECT_EQ(after.back(), (BlockInfo{1, 4096, true}));
  EXPECT_EQ(FlacComments(f), (std::vector<std::string>{"ARTIST=Ärtist", "REPLAYGAIN_TRACK_PEAK=0.9",
                                                       "ARTIST=y", "COMMENT=" + flac.Comment}));
  EXPECT_EQ(Tool("metaflac", {"--export-picture-to=-", f.string()}), picture);
  ExpectSound(f, md5);

  // The next edit fits into that padding.
  const std::uintmax_t size = fs::file_size(f);
  ASSERT_TRUE(flac.LoadFile(f.string()));
  flac.Comment = "short";
  ASSERT_TRUE(flac.SaveTags(f.string()));
  EXPECT_EQ(fs::file_size(f), size);
  ExpectSound(f, md5);
}

TEST(FlacTags, FileWithoutCommentBlockGetsOne) {
  zovedu_test::ScratchDir dir;
  for (const char* padding : {"--padding=0", "--padding=500"}) {
    SCOPED_TRACE(padding);
    const fs::path f = MakeFlac(dir.path(), "a.flac", {}, {padding});
    Tool("metaflac", {"--remove", "--block-type=VORBIS_COMMENT", f.string()});
    ASSERT_EQ(CommentLength(ReadAll(f)), 0u);
    const std::string md5 = AudioMd5(f);
    const std::uintmax_t size = fs::file_size(f);
    tags::TFlacTags flac;
    ASSERT_TRUE(flac.LoadFile(f.string()));
    EXPECT_EQ(flac.Title, "");
    flac.Title = "New";
    flac.Track = 2;
    flac.Vendor = "Zovedu";
    ASSERT_TRUE(flac.SaveTags(f.string()));
    EXPECT_EQ(FlacComments(f), (std::vector<std::string>{"TITLE=New", "TRACKNUMBER=2"}));
    EXPECT_EQ(fs::file_size(f) == size, std::string(padding) != "--padding=0");
    ASSERT_TRUE(flac.LoadFile(f.string()));
    EXPECT_EQ(flac.Vendor, "Zovedu");
    ExpectSound(f, md5);
  }
}

TEST(FlacTags, Id3v2TagInFrontStays) {
  zovedu_test::ScratchDir dir;
  const fs::path f = MakeFlac(dir.path(), "a.flac", {"ARTIST=x"}, {"--padding=200"});
  const std::string md5 = AudioMd5(f);
  const Bytes tag = Id3v2Tag();
  PrependTag(f, tag);
  for (const std::size_t commentSize : {10u, 5000u}) {  // in place, then rewritten
    tags::TFlacTags flac;
    ASSERT_TRUE(flac.LoadFile(f.string()));
    flac.Comment = std::string(commentSize, 'c');
    ASSERT_TRUE(flac.SaveTags(f.string()));
    const Bytes after = ReadAll(f);
    EXPECT_EQ(Bytes(after.begin(), after.begin() + std::ptrdiff_t(tag.size())), tag);
    const fs::path plain = StripFront(f, tag.size());
    EXPECT_EQ(FlacComments(plain), (std::vector<std::string>{"ARTIST=x", "COMMENT=" + flac.Comment}));
    ExpectSound(plain, md5);
  }
}

TEST(FlacTags, RefusesBrokenMetadata) {
  zovedu_test::ScratchDir dir;
  const Bytes good = ReadAll(MakeFlac(dir.path(), "a.flac", {"ARTIST=x"}));
  const std::vector<BlockInfo> blocks = Blocks(good);
  Bytes longBlock = good;  // STREAMINFO claims 16 MB
  longBlock[5] = 0xff;
  Bytes noLast = good;  // no block says it is the last one
  std::size_t pos = 4;
  for (const BlockInfo& b : blocks) {
    noLast[pos] &= 0x7f;
    pos += 4 + b.length;
  }
  Bytes badComment = good;  // the comment's vendor length runs past its block
  pos = 4;
  for (const BlockInfo& b : blocks) {
    if (b.type == 4) tags::WriteLE32(&badComment[pos + 4], 0xFFFFFF00);
    pos += 4 + b.length;
  }
  const std::vector<std::pair<const char*, Bytes>> cases = {
      {"block past the end", longBlock},
      {"no last block", Bytes(noLast.begin(), noLast.begin() + std::ptrdiff_t(pos))},
      {"comment vendor too long", badComment},
      {"not FLAC", Bytes(300, 'f')}};
  for (const auto& [name, bytes] : cases) {
    SCOPED_TRACE(name);
    const fs::path f = dir / "refused.flac";
    WriteAll(f, bytes);
    tags::TFlacTags flac;
    EXPECT_FALSE(flac.LoadFile(f.string()));
    flac.Title = "x";
    EXPECT_FALSE(flac.SaveTags(f.string()));
    EXPECT_EQ(ReadAll(f), bytes);
    EXPECT_FALSE(fs::exists(f.string() + "~"));
  }
}

}  // namespace
