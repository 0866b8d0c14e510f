#include <gtest/gtest.h>
#include <sys/stat.h>

#include "support/full_disk.h"
#include "support/scratch_dir.h"
#include "tags/id3v2.h"
#include "tags/toolkit/text.h"
#include "tags_id3v2/tag_bytes.h"

namespace {

namespace fs = std::filesystem;
using namespace id3test;
using tags::TID3v2;

ino_t Inode(const fs::path& p) {
  struct stat st {};
  ::stat(p.c_str(), &st);
  return st.st_ino;
}

struct FrameView {
  std::string id;
  Bytes content;
};

// The frames of a written 2.3 tag, read straight from its bytes.
std::vector<FrameView> FramesOf(const Bytes& tag) {
  std::vector<FrameView> out;
  std::size_t pos = 10;
  const std::size_t end = 10 + tags::ReadSyncsafe32(&tag[6]);
  while (pos + 10 <= end && tag[pos] != 0) {
    const std::uint32_t size = tags::ReadBE32(&tag[pos + 4]);
    out.push_back({std::string(tag.begin() + std::ptrdiff_t(pos), tag.begin() + std::ptrdiff_t(pos + 4)),
                   Bytes(tag.begin() + std::ptrdiff_t(pos + 10), tag.begin() + std::ptrdiff_t(pos + 10 + size))});
    pos += 10 + size;
  }
  return out;
}

TID3v2 AllFields() {
  TID3v2 t;
  t.SetTitle("  Title ");
  t.SetArtist("Artist");
  t.SetAlbum("Album");
  t.SetTrack(5);
  t.TrackString = "5/12";
  t.SetYear("1999");
  t.SetGenre("Rock");
  t.SetComment("Comment");
  t.SetComposer("Composer");
  t.SetEncoder("Encoder");
  t.SetCopyright("Copyright");
  t.SetLanguage("eng");
  t.SetLink("http://example.org/");
  return t;
}

TEST(Id3v2Write, HeaderFrameOrderAndEncodings) {
  TID3v2 t = AllFields();
  t.SetTitle("Caf\xC3\xA9");            // fits ISO-8859-1
  t.SetArtist("\xCE\xA9 \xE2\x82\xAC");  // Ω €: does not
  t.OtherFrames.push_back({"TXXX", 0, Cat({Text(0, "k"), {0}, B("v")})});
  const Bytes tag = t.Render(0);
  EXPECT_EQ(Bytes(tag.begin(), tag.begin() + 6), (Bytes{'I', 'D', '3', 3, 0, 0}));
  EXPECT_EQ(tags::ReadSyncsafe32(&tag[6]) + 10, tag.size());
  for (int i = 6; i < 10; ++i) EXPECT_LT(tag[i], 0x80);
  std::vector<std::string> ids;
  for (const FrameView& f : FramesOf(tag)) ids.push_back(f.id);
  EXPECT_EQ(ids, (std::vector<std::string>{"TIT2", "TPE1", "TALB", "TRCK", "TYER", "TCON", "COMM", "TCOM",
                                           "TENC", "TCOP", "TLAN", "WXXX", "TXXX"}));
  const auto frames = FramesOf(tag);
  EXPECT_EQ(frames[0].content, Text(0, "Caf\xE9"));
  EXPECT_EQ(frames[1].content, Cat({{1}, Utf16LE(u"\u03A9 \u20AC")}));
  EXPECT_EQ(frames[3].content, Text(0, "5/12"));
  EXPECT_EQ(frames[6].content, Cat({Text(0, "eng"), {0}, B("Comment")}));
  EXPECT_EQ(frames[11].content, Cat({{0, 0}, B("http://example.org/")}));
  EXPECT_EQ(t.Render(2000).size(), 2000u);
}

TEST(Id3v2Write, TrackFrame) {
  struct Case {
    std::uint16_t track;
    const char* trackString;
    const char* written;  // nullptr: no TRCK
  } cases[] = {{5, "5/12", "5/12"}, {6, "5/12", "6"}, {7, "", "7"}, {0, "5/12", nullptr}, {3, "03", "03"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.trackString);
    TID3v2 t;
    t.SetTrack(c.track);
    t.TrackString = c.trackString;
    const auto frames = FramesOf(t.Render(0));
    if (!c.written) {
      EXPECT_TRUE(frames.empty());
      continue;
    }
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0].content, Text(0, c.written));
  }
}

TEST(Id3v2Write, SaveLoadKeepsFieldsAndOtherFrames) {
  zovedu_test::ScratchDir dir;
  const fs::path f = dir / "a.mp3";
  const Bytes audio = Audio(20000);
  Bytes picture = {0xFF, 0xD8, 0xFF, 0x00, 0xFF, 0xE0};
  picture.resize(3000, 0xAB);
  const Bytes apic = Cat({Text(0, "image/jpeg"), {0, 3}, B("cover"), {0}, picture});
  const Bytes txxx = Cat({{1}, Utf16LE(u"key"), {0, 0}, Utf16LE(u"\u00E9t\u00E9")});
  const Bytes uslt = Cat({Text(0, "eng"), {0}, B("la la\r\nla")});
  const Bytes priv = Cat({B("owner"), {0, 1, 2, 0xFF}});
  const Bytes tag = Tag(4, Cat({Frame24("TIT2", Text(3, "\xCE\xA9mega")), Frame24("TRCK", Text(0, "5/12")),
                                Frame24("APIC", apic), Frame24("TXXX", txxx), Frame24("USLT", uslt),
                                Frame24("PRIV", priv, 0x4000)}),
                        0, 200);
  WriteAll(f, Cat({tag, audio}));

  TID3v2 t;
  ASSERT_TRUE(t.LoadTags(f.string()));
  EXPECT_EQ(t.VersionID, 4);
  EXPECT_EQ(t.TrackString, "5/12");
  EXPECT_EQ(t.Track, 5);
  t.SetArtist("Me");
  t.SetComment("\xE2\x82\xAC comment");
  ASSERT_TRUE(t.SaveTags(f.string()));

  TID3v2 back;
  ASSERT_TRUE(back.LoadTags(f.string()));
  EXPECT_EQ(back.VersionID, 3);
  EXPECT_EQ(back.Size, tag.size());  // the old tag had room
  EXPECT_EQ(back.Title, "\xCE\xA9mega");
  EXPECT_EQ(back.Artist, "Me");
  EXPECT_EQ(back.TrackString, "5/12");
  EXPECT_EQ(back.Comment, "\xE2\x82\xAC comment");
  ASSERT_EQ(back.OtherFrames.size(), 4u);
  EXPECT_EQ(back.OtherFrames[0].id, "APIC");
  EXPECT_EQ(back.OtherFrames[0].content, apic);
  EXPECT_EQ(back.OtherFrames[1].content, txxx);
  EXPECT_EQ(back.OtherFrames[2].content, uslt);
  EXPECT_EQ(back.OtherFrames[3].content, priv);
  EXPECT_EQ(back.OtherFrames[3].flags, 0x8000);  // 2.4 tag alter preservation, in its 2.3 place
  const Bytes file = ReadAll(f);
  EXPECT_EQ(Bytes(file.begin() + std::ptrdiff_t(tag.size()), file.end()), audio);

  // A second save writes the same bytes again.
  ASSERT_TRUE(back.SaveTags(f.string()));
  EXPECT_EQ(ReadAll(f), file);
}

TEST(Id3v2Write, OlderFormsBecome23) {
  // 2.4 UTF-8 texts become UTF-16 with BOM; unsync and data length go.
  const Bytes txxx24 = Cat({Text(3, "d\xC3\xA9sc"), {0}, B("v\xE2\x82\xAC")});
  const Bytes pic24 = Cat({Text(3, "image/png"), {0, 3}, B("\xC3\xA9"), {0, 0x89, 'P', 0xFF, 0x00}});
  const Bytes tag24 = Tag(4, Cat({Frame24("TXXX", txxx24), Frame24("APIC", Cat({{0, 0, 0, 12}, Unsync(pic24)}), 0x0003),
                                  Frame24("TDRL", Text(0, "2001"))}));
  TID3v2 t24;
  ASSERT_TRUE(t24.LoadTags(tags::MemorySource(tag24)));
  ASSERT_EQ(t24.OtherFrames.size(), 3u);
  EXPECT_EQ(t24.OtherFrames[0].content,
            Cat({{1}, Utf16LE(u"d\u00E9sc"), {0, 0}, Utf16LE(u"v\u20AC")}));
  EXPECT_EQ(t24.OtherFrames[1].content,
            Cat({{1}, B("image/png"), {0, 3}, Utf16LE(u"\u00E9"), {0, 0, 0x89, 'P', 0xFF, 0x00}}));
  EXPECT_EQ(t24.OtherFrames[1].flags, 0);
  EXPECT_EQ(t24.OtherFrames[2].id, "TDRL");

  // 2.2: PIC gets a MIME type, other frames their 2.3 ids.
  const Bytes tag22 = Tag(2, Cat({Frame22("PIC", Cat({Text(0, "PNG"), {3}, B("d"), {0, 1, 2}})),
                                  Frame22("TP2", Text(0, "Band")), Frame22("ULT", Cat({Text(0, "eng"), {0}, B("la")}))}));
  TID3v2 t22;
  ASSERT_TRUE(t22.LoadTags(tags::MemorySource(tag22)));
  ASSERT_EQ(t22.OtherFrames.size(), 3u);
  EXPECT_EQ(t22.OtherFrames[0].id, "APIC");
  EXPECT_EQ(t22.OtherFrames[0].content, Cat({Text(0, "image/png"), {0, 3}, B("d"), {0, 1, 2}}));
  EXPECT_EQ(t22.OtherFrames[1].id, "TPE2");
  EXPECT_EQ(t22.OtherFrames[2].id, "USLT");

  // 2.3 compressed or encrypted frames stay as they are, flags included.
  const Bytes packed = {0, 0, 0, 100, 0x78, 0x9C, 1, 2};
  TID3v2 t23;
  ASSERT_TRUE(t23.LoadTags(tags::MemorySource(Tag(3, Frame23("TIT2", packed, 0x0080)))));
  EXPECT_EQ(t23.Title, "");
  ASSERT_EQ(t23.OtherFrames.size(), 1u);
  EXPECT_EQ(t23.OtherFrames[0].flags, 0x0080);
  EXPECT_EQ(t23.OtherFrames[0].content, packed);
  // ... and 2.4 ones move to the 2.3 layout: size before compression first.
  TID3v2 c24;
  ASSERT_TRUE(c24.LoadTags(tags::MemorySource(Tag(4, Frame24("APIC", {0, 0, 0, 100, 0x78, 0x9C}, 0x0009)))));
  ASSERT_EQ(c24.OtherFrames.size(), 1u);
  EXPECT_EQ(c24.OtherFrames[0].flags, 0x0080);
  EXPECT_EQ(c24.OtherFrames[0].content, (Bytes{0, 0, 0, 100, 0x78, 0x9C}));
}

struct SizeCase {
  const char* name;
  std::size_t oldTag;       // 0: the file has no tag
  std::size_t pictureSize;  // an APIC frame of about this size among the frames
  std::size_t newTag;
  bool inPlace;
};

TEST(Id3v2Write, InPlaceOrRewrite) {
  const SizeCase cases[] = {
      {"1000-byte tag, 300 needed: in place", 1000, 200, 1000, true},
      {"no tag: new 4096-byte tag", 0, 0, 4096, false},
      {"8000-byte tag, frames fit 4096: rewrite", 8000, 200, 4096, false},
      {"1000-byte tag too small: rewrite", 1000, 2000, 4096, false},
      {"big tag still holds a big picture: in place", 8000, 6000, 8000, true},
      {"big picture without room: no padding", 0, 6000, 0, false},
      {"4096 exactly: in place", 4096, 3000, 4096, true},
  };
  for (const SizeCase& c : cases) {
    SCOPED_TRACE(c.name);
    zovedu_test::ScratchDir dir;
    const fs::path f = dir / "a.mp3";
    const Bytes audio = Audio(10000);
    TID3v2 t;
    t.SetTitle("Title");
    if (c.pictureSize) t.OtherFrames.push_back({"APIC", 0, Bytes(c.pictureSize, 0x55)});
    Bytes old;
    if (c.oldTag) old = Tag(3, Frame23("TIT2", Text(0, "Old")), 0, c.oldTag - 10 - 14);
    ASSERT_EQ(old.size(), c.oldTag);
    WriteAll(f, Cat({old, audio}));
    const ino_t before = Inode(f);

    ASSERT_TRUE(t.SaveTags(f.string()));
    const std::size_t expected = c.newTag ? c.newTag : t.Render(0).size();
    const Bytes file = ReadAll(f);
    EXPECT_EQ(t.Size, expected);
    EXPECT_EQ(file.size(), expected + audio.size());
    EXPECT_EQ(Bytes(file.begin() + std::ptrdiff_t(expected), file.end()), audio);
    EXPECT_EQ(Bytes(file.begin(), file.begin() + std::ptrdiff_t(expected)), t.Render(std::uint32_t(expected)));
    EXPECT_EQ(Inode(f) == before, c.inPlace);
    EXPECT_FALSE(fs::exists(dir / "a.mp3~"));
  }
}

TEST(Id3v2Write, HeaderClaimingMoreThanTheFileKeepsEverything) {
  zovedu_test::ScratchDir dir;
  const fs::path f = dir / "a.mp3";
  Bytes broken = Tag(3, Frame23("TIT2", Text(0, "Old")));
  broken[6] = 0x7F;
  const Bytes original = Cat({broken, Audio(500)});
  WriteAll(f, original);
  TID3v2 t;
  t.SetTitle("New");
  ASSERT_TRUE(t.SaveTags(f.string()));
  const Bytes file = ReadAll(f);
  EXPECT_EQ(Bytes(file.begin() + 4096, file.end()), original);
}

TEST(Id3v2Write, FailureLeavesTheFileAlone) {
  TID3v2 t = AllFields();
  EXPECT_FALSE(t.SaveTags("/nonexistent/dir/a.mp3"));

  const Bytes original = Cat({Tag(3, Frame23("TIT2", Text(0, "Old"))), Audio(300000)});
  const int result = zovedu_test::RunOnFullDisk(
      [&](const fs::path& d) { WriteAll(d / "a.mp3", original); },
      [&](const fs::path& d) {
        TID3v2 full = AllFields();  // needs a rewrite: the old tag is too small
        const bool saved = full.SaveTags((d / "a.mp3").string());
        const bool same = ReadAll(d / "a.mp3") == original && !fs::exists(d / "a.mp3~");
        return !saved && same ? 0 : 1;
      },
      1u << 20);
  if (result != 0 && !zovedu_test::CanMountFullDisk()) GTEST_SKIP() << "needs root for a full disk";
  EXPECT_EQ(result, 0);
}

}  // namespace
