// WMA and MP4 tags through our record types: only what the caller changed is
// written, whole values and everything else in the file survive.
#include <gtest/gtest.h>
#include <taglib/asffile.h>
#include <taglib/mp4file.h>

#include <cstring>
#include <vector>

#include "support/program_run.h"
#include "support/scratch_dir.h"
#include "tags/taglib/mp4tag.h"
#include "tags/taglib/wma_tags.h"

namespace {

namespace fs = std::filesystem;
using TagLib::String;

fs::path Encode(const fs::path& dir, const std::string& name, const std::vector<std::string>& codec) {
  const fs::path out = dir / name;
  std::vector<std::string> args = {"-nostdin", "-v", "error", "-y", "-f", "lavfi", "-i", "sine=duration=1"};
  args.insert(args.end(), codec.begin(), codec.end());
  args.push_back(out.string());
  const auto r = zovedu_test::RunProgram("/usr/bin/ffmpeg", args);
  EXPECT_EQ(r.exitCode, 0) << r.describe();
  return out;
}

const std::string kLongTitle = std::string(299, 'a') + "\xC3\xA9";  // 301 bytes, ends in é

TEST(WmaTags, ChangedValuesOnlyAndEverythingElseKept) {
  zovedu_test::ScratchDir dir;
  const fs::path f = Encode(dir.path(), "a.wma", {"-c:a", "wmav2"});
  {
    TagLib::ASF::File asf(f.c_str());
    ASSERT_TRUE(asf.isValid());
    asf.tag()->setTitle(String(kLongTitle, String::UTF8));
    asf.tag()->setAttribute("WM/Composer", TagLib::ASF::Attribute(String("Composer")));
    asf.tag()->setAttribute("WM/URL", TagLib::ASF::Attribute(String("http://x")));
    asf.tag()->setAttribute("WM/Picture", TagLib::ASF::Attribute(TagLib::ByteVector("\x03image/png\0\0PNGDATA", 20)));
    ASSERT_TRUE(asf.save());
  }
  tags::TTagsData d;
  ASSERT_TRUE(tags::ReadWmaTags(f.string(), d));
  EXPECT_EQ(d.Title.str(), std::string(255, 'a')) << "cut to 255 bytes, not inside the é";
  EXPECT_EQ(d.Composer.str(), "Composer");
  d.Artist.set("Artist \xE2\x82\xAC");
  d.Link.set("");
  d.Description = "A comment";
  ASSERT_TRUE(tags::WriteWmaTags(d));

  TagLib::ASF::File asf(f.c_str());
  ASSERT_TRUE(asf.isValid());
  EXPECT_EQ(asf.tag()->title().to8Bit(true), kLongTitle) << "the whole title stays";
  EXPECT_EQ(asf.tag()->artist().to8Bit(true), "Artist \xE2\x82\xAC");
  EXPECT_EQ(asf.tag()->comment().to8Bit(true), "A comment");
  const auto& attrs = asf.tag()->attributeListMap();
  EXPECT_TRUE(attrs.contains("WM/Composer"));
  EXPECT_TRUE(attrs.contains("WM/Picture"));
  EXPECT_FALSE(attrs.contains("WM/URL")) << "an emptied link is deleted";
  EXPECT_FALSE(attrs.contains("WM/Lyrics")) << "no empty attribute is added";
  EXPECT_FALSE(fs::exists(f.string() + "~"));
}

TEST(WmaTags, RefusesWhatIsNotAsf) {
  zovedu_test::ScratchDir dir;
  const fs::path f = Encode(dir.path(), "a.m4a", {"-c:a", "aac"});
  tags::TTagsData d;
  EXPECT_FALSE(tags::ReadWmaTags(f.string(), d));
  EXPECT_FALSE(tags::ReadWmaTags((dir / "missing.wma").string(), d));
}

std::string Text(const std::vector<std::uint8_t>& r, std::size_t offset, std::size_t size = tags::kMp4TextSize) {
  const auto* p = reinterpret_cast<const char*>(r.data() + offset);
  return std::string(p, strnlen(p, size));
}

void Put(std::vector<std::uint8_t>& r, std::size_t offset, const std::string& text) {
  std::memset(r.data() + offset, 0, tags::kMp4TextSize);
  std::memcpy(r.data() + offset, text.data(), text.size());
}

TEST(Mp4Tags, RecordRoundTripKeepsWholeValuesAndOtherItems) {
  zovedu_test::ScratchDir dir;
  const fs::path f = Encode(dir.path(), "a.m4a", {"-c:a", "aac"});
  {
    TagLib::MP4::File mp4(f.c_str());
    ASSERT_TRUE(mp4.isValid());
    mp4.tag()->setItem("\251nam", TagLib::StringList(String(kLongTitle, String::UTF8)));
    mp4.tag()->setItem("\251wrt", TagLib::StringList(String("Writer")));
    mp4.tag()->setItem("\251gen", TagLib::StringList(String("Rock")));
    mp4.tag()->setItem("trkn", TagLib::MP4::Item(5, 12));
    mp4.tag()->setItem("covr", TagLib::MP4::CoverArtList().append(
                                   TagLib::MP4::CoverArt(TagLib::MP4::CoverArt::PNG, TagLib::ByteVector("PNGDATA"))));
    ASSERT_TRUE(mp4.save());
  }
  ASSERT_NE(tags::OpenMp4(f.c_str()), 0);
  std::vector<std::uint8_t> r(tags::kMp4RecordSize, 0);
  tags::GetFileTags(r.data());
  EXPECT_EQ(Text(r, tags::kMp4TitleOffset), std::string(255, 'a'));
  std::int32_t genre = -1;
  std::memcpy(&genre, r.data() + tags::kMp4GenreOffset, 4);
  EXPECT_EQ(genre, 17) << "Rock in the genre list";
  Put(r, tags::kMp4ArtistOffset, "Someone");
  Put(r, tags::kMp4ToolOffset, "Made by Zovedu");
  genre = 13;  // Pop
  std::memcpy(r.data() + tags::kMp4GenreOffset, &genre, 4);
  tags::SetFileTags(r.data());
  EXPECT_NE(tags::ChangeTags(), 0);
  tags::CloseMp4();
  tags::CloseMp4();  // a second close does no harm

  TagLib::MP4::File mp4(f.c_str());
  ASSERT_TRUE(mp4.isValid());
  const auto text = [&](const char* item) { return mp4.tag()->item(item).toStringList().toString().to8Bit(true); };
  EXPECT_EQ(text("\251nam"), kLongTitle);
  EXPECT_EQ(text("\251ART"), "Someone");
  EXPECT_EQ(text("\251too"), "Made by Zovedu");
  EXPECT_EQ(text("\251gen"), "Pop");
  EXPECT_EQ(text("\251wrt"), "Writer");
  EXPECT_EQ(mp4.tag()->item("trkn").toIntPair().first, 5);
  EXPECT_EQ(mp4.tag()->item("trkn").toIntPair().second, 12);
  EXPECT_EQ(mp4.tag()->item("covr").toCoverArtList().size(), 1u);
  EXPECT_FALSE(fs::exists(f.string() + "~"));
}

TEST(Mp4Tags, RefusesWhatIsNotMp4AndChangesNothingWithoutARecord) {
  zovedu_test::ScratchDir dir;
  EXPECT_EQ(tags::OpenMp4(Encode(dir.path(), "a.wma", {"-c:a", "wmav2"}).c_str()), 0);
  EXPECT_EQ(tags::ChangeTags(), 0);
  const fs::path f = Encode(dir.path(), "b.m4a", {"-c:a", "aac"});
  ASSERT_NE(tags::OpenMp4(f.c_str()), 0);
  EXPECT_EQ(tags::ChangeTags(), 0) << "nothing was set";
  tags::CloseMp4();
}

}  // namespace
