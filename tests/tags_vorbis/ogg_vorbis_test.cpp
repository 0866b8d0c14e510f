#include "tags/ogg_vorbis.h"

#include <gtest/gtest.h>

#include "support/scratch_dir.h"
#include "tags/ogg_pages.h"
#include "vorbis_test_files.h"

namespace {

using namespace vorbis_test;

std::vector<tags::OggPage> Pages(const fs::path& file, std::uint64_t start = 0) {
  const Bytes bytes = ReadAll(file);
  const tags::MemorySource source(bytes);
  std::vector<tags::OggPage> pages;
  for (tags::OggPage p; start < bytes.size() && tags::ReadOggPage(source, start, p); start += p.totalSize())
    pages.push_back(p);
  return pages;
}

// Checks the file with the reference tools against the audio checksum before
// the save.
void ExpectSound(const fs::path& file, const std::string& md5) {
  std::string report;
  EXPECT_TRUE(OggInfoClean(file, &report)) << report;
  EXPECT_EQ(AudioMd5(file), md5);
  EXPECT_FALSE(fs::exists(file.string() + "~"));
}

TEST(OggVorbis, LoadsStreamInfoAndFields) {
  zovedu_test::ScratchDir dir;
  const fs::path f = MakeOgg(dir.path(), "a.ogg",
                             {"PERFORMER=Perf", "DESCRIPTION=Desc", "TRACKNUMBER=5/12", "TITLE=  T  ",
                              "DATE=2020", "GENRE=Noise", "ALBUM=Alb"});
  tags::TOggVorbis ogg;
  ASSERT_TRUE(ogg.LoadFile(f.string()));
  EXPECT_TRUE(ogg.Valid());
  EXPECT_EQ(ogg.Channels(), 2);
  EXPECT_EQ(ogg.SampleRate(), 44100);
  EXPECT_EQ(ogg.Samples(), 4u * 44100);
  EXPECT_NEAR(ogg.Duration(), 4.0, 1e-9);
  EXPECT_GT(ogg.BitRateNominal(), 32);
  EXPECT_EQ(ogg.FileSize(), fs::file_size(f));
  EXPECT_EQ(ogg.ID3v2Size(), 0u);
  EXPECT_EQ(ogg.Title, "T");
  EXPECT_EQ(ogg.Artist, "Perf");
  EXPECT_EQ(ogg.Comment, "Desc");
  EXPECT_EQ(ogg.Track, 5);
  EXPECT_EQ(ogg.Album, "Alb");
  EXPECT_EQ(ogg.Date, "2020");
  EXPECT_EQ(ogg.Genre, "Noise");
  EXPECT_NE(ogg.Vendor.find("Xiph"), std::string::npos);
}

// Small edits, a comment growing over many pages and shrinking back: every
// other item stays in order, the tools read the file, the audio is untouched.
TEST(OggVorbis, SaveKeepsItemsAndAudioWhileHeaderPagesChange) {
  zovedu_test::ScratchDir dir;
  const fs::path f = MakeOgg(dir.path(), "a.ogg",
                             {"ARTIST=x", "ARTIST=second", "REPLAYGAIN_TRACK_GAIN=-3.10 dB",
                              "TRACKNUMBER=5/12", "TITLE=old", "CUSTOM=keep"});
  const std::string md5 = AudioMd5(f);
  const std::size_t pagesBefore = Pages(f).size();

  tags::TOggVorbis ogg;
  ASSERT_TRUE(ogg.LoadFile(f.string()));
  ogg.Title = "  Ünïcødé ✓ ";
  ogg.Album = "Album";
  ogg.Genre = "Genre";
  ASSERT_TRUE(ogg.SaveTags(f.string()));
  EXPECT_EQ(OggComments(f),
            (std::vector<std::string>{"ARTIST=x", "ARTIST=second", "REPLAYGAIN_TRACK_GAIN=-3.10 dB",
                                      "TRACKNUMBER=5/12", "TITLE=Ünïcødé ✓", "CUSTOM=keep", "ALBUM=Album",
                                      "GENRE=Genre"}));
  EXPECT_EQ(Pages(f).size(), pagesBefore);
  ExpectSound(f, md5);

  // 200 KB of comment: three more header pages, every audio page renumbered.
  ASSERT_TRUE(ogg.LoadFile(f.string()));
  EXPECT_EQ(ogg.Title, "Ünïcødé ✓");
  ogg.Comment = std::string(200000, 'c');
  ogg.Track = 6;
  ASSERT_TRUE(ogg.SaveTags(f.string()));
  EXPECT_EQ(Pages(f).size(), pagesBefore + 3);
  const std::vector<std::string> grown = OggComments(f);
  ASSERT_EQ(grown.size(), 9u);
  EXPECT_EQ(grown[3], "TRACKNUMBER=6");
  EXPECT_EQ(grown[8], "COMMENT=" + ogg.Comment);
  ExpectSound(f, md5);

  ASSERT_TRUE(ogg.LoadFile(f.string()));
  EXPECT_EQ(ogg.Comment.size(), 200000u);
  EXPECT_EQ(ogg.Samples(), 4u * 44100);
  ogg.Comment = "";
  ogg.Title = "";
  ASSERT_TRUE(ogg.SaveTags(f.string()));
  EXPECT_EQ(Pages(f).size(), pagesBefore);
  EXPECT_EQ(OggComments(f),
            (std::vector<std::string>{"ARTIST=x", "ARTIST=second", "REPLAYGAIN_TRACK_GAIN=-3.10 dB",
                                      "TRACKNUMBER=6", "CUSTOM=keep", "ALBUM=Album", "GENRE=Genre"}));
  ExpectSound(f, md5);
}

// A comment packet of 301 bytes (framing byte included) starts its page with
// the lacing values 255, 46, followed by the setup header's values.
TEST(OggVorbis, CommentPageLacingForA301BytePacket) {
  zovedu_test::ScratchDir dir;
  const fs::path f = MakeOgg(dir.path(), "a.ogg", {"ARTIST=x"});
  const std::string md5 = AudioMd5(f);
  // Old comment packet and setup header sizes from oggenc's second page.
  const std::vector<tags::OggPage> before = Pages(f);
  const std::vector<std::uint8_t>& lacing = before[1].lacing;
  std::size_t i = 0, commentSize = 0, setupSize = 0;
  for (; lacing[i] == 255; ++i) commentSize += 255;
  commentSize += lacing[i++];
  for (; i < lacing.size(); ++i) setupSize += lacing[i];
  ASSERT_LT(commentSize, 200u);

  tags::TOggVorbis ogg;
  ASSERT_TRUE(ogg.LoadFile(f.string()));
  // TITLE=... adds 4 + 6 + n bytes.
  ogg.Title = std::string(200 - commentSize - 10, 't');
  ASSERT_TRUE(ogg.SaveTags(f.string()));
  EXPECT_EQ(Pages(f)[1].lacing[0], 200);
  ogg.Title = std::string(301 - commentSize - 10, 't');
  ASSERT_TRUE(ogg.SaveTags(f.string()));

  const std::vector<tags::OggPage> after = Pages(f);
  ASSERT_EQ(after.size(), before.size());
  std::vector<std::uint8_t> expected = {255, 46};
  for (; setupSize >= 255; setupSize -= 255) expected.push_back(255);
  expected.push_back(std::uint8_t(setupSize));
  EXPECT_EQ(after[1].lacing, expected);
  EXPECT_EQ(after[1].granule, 0u);
  EXPECT_EQ(after[1].flags, 0);
  const Bytes bytes = ReadAll(f);
  EXPECT_TRUE(tags::OggPageCrcValid(Bytes(bytes.begin() + std::ptrdiff_t(after[1].offset),
                                          bytes.begin() + std::ptrdiff_t(after[2].offset))));
  ExpectSound(f, md5);
}

std::string Base64(const Bytes& data) {
  static const char* digits = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  for (std::size_t i = 0; i < data.size(); i += 3) {
    const std::uint32_t v = std::uint32_t(data[i]) << 16 | (i + 1 < data.size() ? data[i + 1] << 8 : 0) |
                            (i + 2 < data.size() ? data[i + 2] : 0);
    const std::size_t present = std::min<std::size_t>(3, data.size() - i);
    for (std::size_t k = 0; k < 4; ++k) out += k <= present ? digits[v >> (18 - 6 * k) & 63] : '=';
  }
  return out;
}

// A picture block: front cover, PNG, no description, 68 KB of image data.
std::string PictureItem() {
  Bytes block;
  const auto be32 = [&](std::uint32_t v) {
    for (int s = 24; s >= 0; s -= 8) block.push_back(std::uint8_t(v >> s));
  };
  const std::string mime = "image/png";
  be32(3);
  be32(std::uint32_t(mime.size()));
  block.insert(block.end(), mime.begin(), mime.end());
  be32(0);
  for (int i = 0; i < 4; ++i) be32(i < 2 ? 16 : 0);
  be32(68000);
  for (int i = 0; i < 68000; ++i) block.push_back(std::uint8_t(i * 13 + i / 256));
  return Base64(block);
}

// A picture of 90 KB makes oggenc spread the comment over two pages; a save
// lays it out anew and keeps the picture item byte for byte.
TEST(OggVorbis, CommentSpanningPagesKeepsPicture) {
  zovedu_test::ScratchDir dir;
  const std::string picture = PictureItem();
  const fs::path f = MakeOgg(dir.path(), "a.ogg", {"ARTIST=x", "METADATA_BLOCK_PICTURE=" + picture});
  ASSERT_GE(Pages(f)[2].flags & tags::kOggContinued, 1);
  const std::string md5 = AudioMd5(f);

  tags::TOggVorbis ogg;
  ASSERT_TRUE(ogg.LoadFile(f.string()));
  ogg.Artist = "y";
  ASSERT_TRUE(ogg.SaveTags(f.string()));
  EXPECT_EQ(OggComments(f), (std::vector<std::string>{"ARTIST=y", "METADATA_BLOCK_PICTURE=" + picture}));
  const std::vector<tags::OggPage> pages = Pages(f);
  EXPECT_EQ(pages[1].lacing.size(), 255u);
  EXPECT_EQ(pages[1].granule, tags::kOggNoGranule);  // no packet ends there
  EXPECT_TRUE(pages[2].flags & tags::kOggContinued);
  EXPECT_EQ(pages[2].granule, 0u);
  ExpectSound(f, md5);
}

TEST(OggVorbis, Id3v2TagInFrontStays) {
  zovedu_test::ScratchDir dir;
  const fs::path f = MakeOgg(dir.path(), "a.ogg", {"ARTIST=x"});
  const std::string md5 = AudioMd5(f);
  const Bytes tag = Id3v2Tag();
  PrependTag(f, tag);

  for (const std::size_t commentSize : {10u, 100000u}) {  // same pages, then more pages
    tags::TOggVorbis ogg;
    ASSERT_TRUE(ogg.LoadFile(f.string()));
    EXPECT_EQ(ogg.ID3v2Size(), tag.size());
    EXPECT_TRUE(ogg.Valid());
    ogg.Comment = std::string(commentSize, 'c');
    ASSERT_TRUE(ogg.SaveTags(f.string()));
    const Bytes after = ReadAll(f);
    EXPECT_EQ(Bytes(after.begin(), after.begin() + std::ptrdiff_t(tag.size())), tag);
    const fs::path plain = StripFront(f, tag.size());
    EXPECT_EQ(OggComments(plain), (std::vector<std::string>{"ARTIST=x", "COMMENT=" + ogg.Comment}));
    ExpectSound(plain, md5);
  }
}

// A second link after the first: only the first link's pages are renumbered.
TEST(OggVorbis, ChainedFileKeepsLaterLink) {
  zovedu_test::ScratchDir dir;
  const Bytes first = ReadAll(MakeOgg(dir.path(), "a.ogg", {"ARTIST=a"}, 1));
  const Bytes second = ReadAll(MakeOgg(dir.path(), "b.ogg", {"ARTIST=b"}, 2));
  const fs::path f = dir / "chain.ogg";
  Bytes chain = first;
  chain.insert(chain.end(), second.begin(), second.end());
  WriteAll(f, chain);

  tags::TOggVorbis ogg;
  ASSERT_TRUE(ogg.LoadFile(f.string()));
  EXPECT_EQ(ogg.Samples(), 4u * 44100);
  ogg.Comment = std::string(100000, 'c');
  ASSERT_TRUE(ogg.SaveTags(f.string()));
  const Bytes after = ReadAll(f);
  ASSERT_GT(after.size(), second.size());
  EXPECT_EQ(Bytes(after.end() - std::ptrdiff_t(second.size()), after.end()), second);
  std::string report;
  EXPECT_TRUE(OggInfoClean(f, &report)) << report;
}

// Files a save must refuse: the file stays byte-identical and no "~" is left.
TEST(OggVorbis, RefusesWhatItCannotRewrite) {
  zovedu_test::ScratchDir dir;
  const Bytes a = ReadAll(MakeOgg(dir.path(), "a.ogg", {"ARTIST=a"}, 1));
  const Bytes b = ReadAll(MakeOgg(dir.path(), "b.ogg", {"ARTIST=b"}, 2));
  const tags::MemorySource sa(a), sb(b);
  tags::OggPage a1, b1;
  ASSERT_TRUE(tags::ReadOggPage(sa, 0, a1));
  ASSERT_TRUE(tags::ReadOggPage(sb, 0, b1));
  const auto part = [](const Bytes& x, std::uint64_t from, std::uint64_t to) {
    return Bytes(x.begin() + std::ptrdiff_t(from), x.begin() + std::ptrdiff_t(to));
  };
  // Two streams started together, as a multiplexed file does.
  Bytes muxed = part(a, 0, a1.totalSize());
  for (const Bytes& piece :
       {part(b, 0, b1.totalSize()), part(a, a1.totalSize(), a.size()), part(b, b1.totalSize(), b.size())})
    muxed.insert(muxed.end(), piece.begin(), piece.end());
  Bytes noComment = a;
  noComment[a1.totalSize() + 28] = 4;  // the comment packet's type byte
  Bytes cutHeaders = part(a, 0, a1.totalSize() + 100);
  const std::vector<std::pair<const char*, Bytes>> cases = {{"multiplexed", muxed},
                                                            {"no comment header", noComment},
                                                            {"headers cut", cutHeaders},
                                                            {"not Ogg", Bytes(5000, 'x')}};
  for (const auto& [name, bytes] : cases) {
    SCOPED_TRACE(name);
    const fs::path f = dir / "refused.ogg";
    WriteAll(f, bytes);
    tags::TOggVorbis ogg;
    EXPECT_FALSE(ogg.LoadFile(f.string()));
    ogg.Title = "x";
    EXPECT_FALSE(ogg.SaveTags(f.string()));
    EXPECT_EQ(ReadAll(f), bytes);
    EXPECT_FALSE(fs::exists(f.string() + "~"));
  }
}

}  // namespace
