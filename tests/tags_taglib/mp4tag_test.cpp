// MP4 metadata through the fixed-layout record and the five calls, checked
// against what mutagen and ffprobe read from the saved file.
#include "tags/taglib/mp4tag.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>

#include "support/scratch_dir.h"
#include "taglib_test_files.h"
#include "tags/genres.h"
#include "tags/toolkit/text.h"

namespace {

using namespace taglib_test;
using Values = std::vector<std::string>;
using Record = std::array<std::uint8_t, tags::kMp4RecordSize>;

const std::string kNonLatin = "\xC3\x9Cn\xC3\xAF \xE2\x80\x94 \xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E \xF0\x9F\x8E\xB5";

std::string Text(const Record& r, std::size_t offset, std::size_t size = tags::kMp4TextSize) {
  const auto* p = reinterpret_cast<const char*>(r.data() + offset);
  return std::string(p, strnlen(p, size));
}

void Put(Record& r, std::size_t offset, const std::string& text, std::size_t size = tags::kMp4TextSize) {
  std::memset(r.data() + offset, 0, size);
  std::memcpy(r.data() + offset, text.data(), text.size());
}

std::int32_t Genre(const Record& r) {
  std::int32_t g;
  std::memcpy(&g, r.data() + tags::kMp4GenreOffset, sizeof g);
  return g;
}

void PutGenre(Record& r, std::int32_t g) { std::memcpy(r.data() + tags::kMp4GenreOffset, &g, sizeof g); }

class Mp4Record : public ::testing::Test {
 protected:
  void SetUp() override { tags::SetMp4GenreMapping({}, {}); }
  void TearDown() override {
    tags::CloseMp4();
    tags::SetMp4GenreMapping({}, {});
  }
  // Opens the file and returns the record as GetFileTags fills it.
  Record Open(const fs::path& file) {
    Record r{};
    EXPECT_NE(tags::OpenMp4(file.c_str()), 0) << file;
    tags::GetFileTags(r.data());
    return r;
  }
  bool Save(const Record& r) {
    tags::SetFileTags(r.data());
    return tags::ChangeTags() != 0;
  }
  zovedu_test::ScratchDir dir;
};

TEST_F(Mp4Record, ReadsAndWritesTheFieldsAndKeepsOtherItems) {
  const auto file = MakeM4a(dir.path(), "a.m4a",
                            {"title=T", "artist=A", "album=Al", "date=2001", "comment=C", "genre=Rock",
                             "composer=Writer", "track=5/12"});
  MutagenEdit(file, "f.tags['covr'] = [MP4Cover(b'\\x89PNG\\r\\n\\x1a\\n' + bytes(range(256)) * 8)]");
  const auto before = MutagenTags(file);
  const std::string audio = AudioMd5(file);

  Record r = Open(file);
  EXPECT_EQ(Text(r, tags::kMp4TitleOffset), "T");
  EXPECT_EQ(Text(r, tags::kMp4ArtistOffset), "A");
  EXPECT_EQ(Text(r, tags::kMp4AlbumOffset), "Al");
  EXPECT_EQ(Text(r, tags::kMp4YearOffset, tags::kMp4YearSize), "2001");
  EXPECT_EQ(Text(r, tags::kMp4CommentOffset), "C");
  EXPECT_EQ(Text(r, tags::kMp4ToolOffset).rfind("Lavf", 0), 0u);
  EXPECT_EQ(Genre(r), tags::GenreIndexOf("Rock"));

  Put(r, tags::kMp4TitleOffset, kNonLatin);
  Put(r, tags::kMp4ArtistOffset, "New artist");
  Put(r, tags::kMp4AlbumOffset, "New album");
  Put(r, tags::kMp4YearOffset, "2024", tags::kMp4YearSize);
  Put(r, tags::kMp4CommentOffset, "New comment");
  Put(r, tags::kMp4ToolOffset, "Made by Zovedu");
  PutGenre(r, tags::GenreIndexOf("Jazz"));
  ASSERT_TRUE(Save(r));
  tags::CloseMp4();

  const Record back = Open(file);
  EXPECT_EQ(Text(back, tags::kMp4TitleOffset), kNonLatin);
  EXPECT_EQ(Text(back, tags::kMp4ArtistOffset), "New artist");
  EXPECT_EQ(Text(back, tags::kMp4AlbumOffset), "New album");
  EXPECT_EQ(Text(back, tags::kMp4YearOffset, tags::kMp4YearSize), "2024");
  EXPECT_EQ(Text(back, tags::kMp4CommentOffset), "New comment");
  EXPECT_EQ(Text(back, tags::kMp4ToolOffset), "Made by Zovedu");
  EXPECT_EQ(Genre(back), tags::GenreIndexOf("Jazz"));

  const auto after = MutagenTags(file);
  EXPECT_EQ(MutagenValues(file, Mp4Key("nam")), Values{kNonLatin});
  EXPECT_EQ(MutagenValues(file, Mp4Key("gen")), Values{"Jazz"});
  for (const std::string& kept : {Mp4Key("wrt"), std::string("covr"), std::string("trkn")}) {
    ASSERT_EQ(after.count(kept), 1u) << kept;
    EXPECT_EQ(after.find(kept)->second, before.find(kept)->second) << kept;
  }
  EXPECT_EQ(after.find("trkn")->second, "5/12");

  const auto probe = FfprobeTags(file);
  EXPECT_EQ(probe.at("title"), kNonLatin);
  EXPECT_EQ(probe.at("artist"), "New artist");
  EXPECT_EQ(probe.at("album"), "New album");
  EXPECT_EQ(probe.at("date"), "2024");
  EXPECT_EQ(probe.at("comment"), "New comment");
  EXPECT_EQ(probe.at("genre"), "Jazz");
  EXPECT_EQ(probe.at("encoder"), "Made by Zovedu");
  EXPECT_EQ(AudioMd5(file), audio);
  EXPECT_FALSE(fs::exists(file.string() + "~"));
}

TEST_F(Mp4Record, UnchangedFieldsKeepTheFilesWholeValue) {
  const auto file = MakeM4a(dir.path(), "a.m4a");
  std::string title;
  for (int i = 0; i < 150; ++i) title += "\xC3\xA9";  // 300 bytes
  MutagenEdit(file,
              "f.tags['\\u00a9nam'] = ['\\u00e9' * 150]\n"
              "f.tags['\\u00a9day'] = ['2024-05-01T10:00:00Z']\n"
              "f.tags['\\u00a9gen'] = ['Chiptune']\n");

  Record r = Open(file);
  EXPECT_EQ(Text(r, tags::kMp4TitleOffset), title.substr(0, 254));  // cut on a character
  EXPECT_TRUE(tags::IsValidUtf8(Text(r, tags::kMp4TitleOffset)));
  EXPECT_EQ(Text(r, tags::kMp4YearOffset, tags::kMp4YearSize), "2024-05");
  EXPECT_EQ(Genre(r), -1);  // not in the list

  Put(r, tags::kMp4ArtistOffset, "Only this changes");
  ASSERT_TRUE(Save(r));
  EXPECT_EQ(MutagenValues(file, Mp4Key("nam")), Values{title});
  EXPECT_EQ(MutagenValues(file, Mp4Key("day")), Values{"2024-05-01T10:00:00Z"});
  EXPECT_EQ(MutagenValues(file, Mp4Key("gen")), Values{"Chiptune"});
  EXPECT_EQ(MutagenValues(file, Mp4Key("ART")), Values{"Only this changes"});

  // Changed by the caller, the fields take the record's values; -1 and empty
  // texts remove the items.
  Put(r, tags::kMp4TitleOffset, "Short");
  PutGenre(r, tags::GenreIndexOf("Pop"));
  ASSERT_TRUE(Save(r));
  EXPECT_EQ(MutagenValues(file, Mp4Key("nam")), Values{"Short"});
  EXPECT_EQ(MutagenValues(file, Mp4Key("gen")), Values{"Pop"});
  PutGenre(r, -1);
  Put(r, tags::kMp4YearOffset, "", tags::kMp4YearSize);
  ASSERT_TRUE(Save(r));
  const auto tags = MutagenTags(file);
  EXPECT_EQ(tags.count(Mp4Key("gen")), 0u);
  EXPECT_EQ(tags.count(Mp4Key("day")), 0u);
  EXPECT_EQ(tags.count(Mp4Key("nam")), 1u);
}

TEST_F(Mp4Record, GenreFollowsTheEditorsList) {
  const auto file = MakeM4a(dir.path(), "a.m4a", {"genre=Chiptune"});
  tags::SetMp4GenreMapping([](const std::string& name) { return name == "Chiptune" ? 3 : -1; },
                           [](std::int32_t i) { return i == 3 ? "Chiptune" : i == 4 ? "Synth wave" : ""; });
  Record r = Open(file);
  EXPECT_EQ(Genre(r), 3);
  PutGenre(r, 4);
  ASSERT_TRUE(Save(r));
  EXPECT_EQ(MutagenValues(file, Mp4Key("gen")), Values{"Synth wave"});
  PutGenre(r, 9);  // no name there: no genre
  ASSERT_TRUE(Save(r));
  EXPECT_EQ(MutagenValues(file, Mp4Key("gen")), Values{});
}

TEST_F(Mp4Record, AfterCloseTheCallsDoNothing) {
  const auto file = MakeM4a(dir.path(), "a.m4a", {"title=T"});
  Record r = Open(file);
  tags::CloseMp4();
  tags::CloseMp4();  // a second close does no harm
  const Bytes original = ReadAll(file);

  Record untouched{};
  tags::GetFileTags(untouched.data());
  EXPECT_EQ(untouched, Record{});
  Put(r, tags::kMp4TitleOffset, "Not written");
  EXPECT_FALSE(Save(r));
  EXPECT_EQ(ReadAll(file), original);
}

TEST_F(Mp4Record, RefusesWhatIsNotMp4AndAFailedOpenClosesTheFileBefore) {
  const auto m4a = MakeM4a(dir.path(), "a.m4a", {"title=T"});
  const auto wma = MakeWma(dir.path(), "a.wma", {"title=T"});
  WriteAll(dir / "text.m4a", Bytes(2000, 'x'));
  Bytes cut = ReadAll(m4a);
  cut.resize(1000);  // ffmpeg puts the movie box last: it is gone
  WriteAll(dir / "cut.m4a", cut);
  for (const fs::path& p : {wma, dir / "text.m4a", dir / "cut.m4a", dir / "missing.m4a"})
    EXPECT_EQ(tags::OpenMp4(p.c_str()), 0) << p;
  EXPECT_EQ(tags::OpenMp4(nullptr), 0);

  Record r = Open(m4a);
  EXPECT_EQ(tags::OpenMp4(wma.c_str()), 0);
  Put(r, tags::kMp4TitleOffset, "Not written");
  EXPECT_FALSE(Save(r));
  EXPECT_EQ(MutagenValues(m4a, Mp4Key("nam")), Values{"T"});
}

}  // namespace
