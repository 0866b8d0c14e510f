// WMA attributes read and written through the record, checked against what
// mutagen and ffprobe read from the saved file.
#include "tags/taglib/wma_tags.h"

#include <gtest/gtest.h>

#include "support/scratch_dir.h"
#include "taglib_test_files.h"
#include "tags/toolkit/text.h"

namespace {

using namespace taglib_test;
using Values = std::vector<std::string>;

const std::string kNonLatin = "\xC3\x9Cn\xC3\xAF \xE2\x80\x94 \xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E \xF0\x9F\x8E\xB5";

// A valid WM/Picture value: type, size, MIME type, description, image bytes.
constexpr const char* kAddPicture = R"(
import struct
img = b'\x89PNG\r\n\x1a\n' + bytes(range(256)) * 8
pic = struct.pack('<bI', 3, len(img)) + 'image/png'.encode('utf-16-le') + b'\0\0' + 'cover'.encode('utf-16-le') + b'\0\0' + img
f.tags['WM/Picture'] = [ASFByteArrayAttribute(pic)]
)";

class WmaRecord : public ::testing::Test {
 protected:
  tags::TTagsData Read(const fs::path& file) {
    tags::TTagsData r;
    EXPECT_TRUE(tags::ReadWmaTags(file.string(), r)) << file;
    return r;
  }
  zovedu_test::ScratchDir dir;
};

TEST_F(WmaRecord, ReadsWhatFfmpegWrote) {
  const auto file = MakeWma(dir.path(), "a.wma",
                            {"title=T", "artist=A", "album=Al", "genre=G", "comment=C", "copyright=Cp", "track=3",
                             "composer=Co"});
  const tags::TTagsData r = Read(file);
  EXPECT_EQ(r.Title.str(), "T");
  EXPECT_EQ(r.Artist.str(), "A");
  EXPECT_EQ(r.Album.str(), "Al");
  EXPECT_EQ(r.Genre.str(), "G");
  EXPECT_EQ(r.Description, "C");
  EXPECT_EQ(r.Copyright.str(), "Cp");
  EXPECT_EQ(r.Track.str(), "3");
  EXPECT_EQ(r.Composer.str(), "Co");
  EXPECT_EQ(r.Lyrics, "");
}

TEST_F(WmaRecord, ReadsNamesInAnyCaseNumbersAndFlags) {
  const auto file = MakeWma(dir.path(), "a.wma");
  MutagenEdit(file,
              "f.tags['wm/albumtitle'] = 'Lower'\n"
              "f.tags['WM/GenreID'] = '(17)'\n"
              "f.tags['WM/TrackNumber'] = [ASFDWordAttribute(7)]\n"
              "f.tags['IsVBR'] = [ASFBoolAttribute(True)]\n"
              "f.tags['WMFSDKVersion'] = '12.0.1'\n");
  tags::TTagsData r = Read(file);
  EXPECT_EQ(r.Album.str(), "Lower");
  EXPECT_EQ(r.Genre.str(), "(17)");
  EXPECT_EQ(r.Track.str(), "7");
  EXPECT_EQ(r.SdkVersion.str(), "12.0.1");
  EXPECT_TRUE(r.IsVbr);
  EXPECT_FALSE(r.IsProtected);

  // The attribute is changed under the name the file uses, not added again.
  r.Album.set("Upper");
  ASSERT_TRUE(tags::WriteWmaTags(r));
  EXPECT_EQ(MutagenValues(file, "wm/albumtitle"), Values{"Upper"});
  EXPECT_EQ(MutagenValues(file, "WM/AlbumTitle"), Values{});
  EXPECT_EQ(MutagenValues(file, "WM/TrackNumber"), Values{"7"});
  EXPECT_EQ(MutagenValues(file, "IsVBR"), Values{"True"});
}

TEST_F(WmaRecord, WritesChangedFieldsAndKeepsEverythingElse) {
  const auto file =
      MakeWma(dir.path(), "a.wma", {"title=Old title", "artist=Old artist", "album=Old album", "comment=Old"});
  MutagenEdit(file, std::string(kAddPicture) + "f.tags['WM/Composer'] = 'Keep me'\nf.tags['WM/Mood'] = 'calm'\n");
  const auto before = MutagenTags(file);
  const std::string audio = AudioMd5(file);

  tags::TTagsData r = Read(file);
  r.Title.set(kNonLatin);
  r.Artist.set("New artist");
  r.Album.set("New album");
  r.Year.set("2024");
  r.Genre.set("Jazz");
  r.Description = "Line one\r\nLine two";
  ASSERT_TRUE(tags::WriteWmaTags(r));

  const tags::TTagsData back = Read(file);
  EXPECT_EQ(back.Title.str(), kNonLatin);
  EXPECT_EQ(back.Artist.str(), "New artist");
  EXPECT_EQ(back.Album.str(), "New album");
  EXPECT_EQ(back.Year.str(), "2024");
  EXPECT_EQ(back.Genre.str(), "Jazz");
  EXPECT_EQ(back.Description, "Line one\r\nLine two");

  const auto after = MutagenTags(file);
  EXPECT_EQ(MutagenValues(file, "Title"), Values{kNonLatin});
  // ffmpeg repeats the artist as an attribute; both copies follow.
  for (const auto& v : MutagenValues(file, "Author")) EXPECT_EQ(v, "New artist");
  EXPECT_EQ(MutagenValues(file, "WM/AlbumTitle"), Values{"New album"});
  EXPECT_EQ(MutagenValues(file, "WM/Year"), Values{"2024"});
  const auto valuesIn = [](const std::multimap<std::string, std::string>& tags, const std::string& name) {
    Values v;
    for (auto [it, end] = tags.equal_range(name); it != end; ++it) v.push_back(it->second);
    return v;
  };
  for (const char* kept : {"WM/Picture", "WM/Composer", "WM/Mood", "WM/EncodingSettings"}) {
    EXPECT_FALSE(valuesIn(before, kept).empty()) << kept;
    EXPECT_EQ(valuesIn(after, kept), valuesIn(before, kept)) << kept;
  }

  const auto probe = FfprobeTags(file);
  EXPECT_EQ(probe.at("title"), kNonLatin);
  EXPECT_EQ(probe.at("artist"), "New artist");
  EXPECT_EQ(probe.at("album"), "New album");
  EXPECT_EQ(probe.at("genre"), "Jazz");
  EXPECT_EQ(AudioMd5(file), audio);
  EXPECT_FALSE(fs::exists(file.string() + "~"));
}

TEST_F(WmaRecord, ModifiesDeletesAndAddsAsTheValuesSay) {
  const auto file = MakeWma(dir.path(), "a.wma", {"title=T"});
  MutagenEdit(file, "f.tags['WM/URL'] = 'http://old'\nf.tags['WM/Composer'] = 'Old'\n");
  tags::TTagsData r = Read(file);
  r.Link.set("");             // found, empty: deleted
  r.Composer.set("New");      // found, a value: modified
  r.Track.set("5");           // missing, a value: added
  r.Lyrics = "";              // missing, empty: nothing
  r.EncodedBy.set("Made by Zovedu");
  ASSERT_TRUE(tags::WriteWmaTags(r));

  const auto tags = MutagenTags(file);
  EXPECT_EQ(tags.count("WM/URL"), 0u);
  EXPECT_EQ(MutagenValues(file, "WM/Composer"), Values{"New"});
  EXPECT_EQ(MutagenValues(file, "WM/TrackNumber"), Values{"5"});
  EXPECT_EQ(tags.count("WM/Lyrics"), 0u);
  EXPECT_EQ(MutagenValues(file, "WM/EncodedBy"), Values{"Made by Zovedu"});
}

TEST_F(WmaRecord, LongValueIsCutOnACharacterAndWrittenBackWholeWhenUnchanged) {
  const auto file = MakeWma(dir.path(), "a.wma");
  std::string whole;
  for (int i = 0; i < 150; ++i) whole += "\xC3\xA9";  // 300 bytes
  MutagenEdit(file, "f.tags['Title'] = '\\u00e9' * 150\nf.tags['WM/Lyrics'] = 'x' * 5000\n");

  tags::TTagsData r = Read(file);
  EXPECT_EQ(r.Title.str(), whole.substr(0, 254));
  EXPECT_TRUE(tags::IsValidUtf8(r.Title.str()));
  EXPECT_EQ(r.Lyrics, std::string(5000, 'x'));
  r.Album.set("Only this changes");
  ASSERT_TRUE(tags::WriteWmaTags(r));
  EXPECT_EQ(MutagenValues(file, "Title"), Values{whole});

  // Once the caller changes it, the record's value is what the file gets.
  r.Title.set("Short");
  ASSERT_TRUE(tags::WriteWmaTags(r));
  EXPECT_EQ(MutagenValues(file, "Title"), Values{"Short"});
}

TEST_F(WmaRecord, AnUnchangedRecordLeavesTheFileAlone) {
  const auto file = MakeWma(dir.path(), "a.wma", {"title=T"});
  const Bytes original = ReadAll(file);
  const tags::TTagsData r = Read(file);
  ASSERT_TRUE(tags::WriteWmaTags(r));
  EXPECT_EQ(ReadAll(file), original);
}

TEST_F(WmaRecord, RefusesWhatIsNotAsf) {
  const auto m4a = MakeM4a(dir.path(), "a.m4a", {"title=T"});
  const auto wma = MakeWma(dir.path(), "a.wma", {"title=T"});
  Bytes cut = ReadAll(wma);
  cut.resize(100);  // header object announced, but not in the file
  WriteAll(dir / "cut.wma", cut);
  for (const fs::path& p : {m4a, dir / "cut.wma", dir / "missing.wma"}) {
    tags::TTagsData r;
    EXPECT_FALSE(tags::ReadWmaTags(p.string(), r)) << p;
  }
}

}  // namespace
