// Every format with tags, from its real encoder, edited through the dialog and
// read back by the programs people use: values there, audio untouched.
#include <QComboBox>
#include <QStringList>

#include "encoded_files.h"
#include "support/program_run.h"
#include "tag_dialog_fixture.h"

namespace {

namespace fs = std::filesystem;
using tag_test::MakeEncodedFile;

const QString kTitle = QString::fromUtf8("Tïtle Ω");  // Ω is not Latin-1
const char* const kTitleUtf8 = "Tïtle Ω";

struct Reader {
  const char* what;
  std::function<std::string(const fs::path&)> read;
  std::vector<std::string> expected;  // every one must be in what it reads
};

struct FormatCase {
  const char* kind;
  const char* type;
  bool id3v1, id3v2, ape;  // the boxes to check
  bool endTags;            // APE or Lyrics3 at the end: compare decoded samples
  std::vector<Reader> readers;
};

std::string Id3v2List(const fs::path& f) { return tag_test::ToolOutput("/usr/bin/id3v2", {"-l"}, f); }
std::string VorbisList(const fs::path& f) { return tag_test::ToolOutput("/usr/bin/vorbiscomment", {"-l"}, f); }
std::string FlacTags(const fs::path& f) {
  return tag_test::ToolOutput("/usr/bin/metaflac", {"--export-tags-to=-"}, f);
}

std::string MutagenAuto(const fs::path& f) { return tag_test::MutagenTags(f, "auto"); }
std::string MutagenApe(const fs::path& f) { return tag_test::MutagenTags(f, "apev2"); }
std::string MutagenId3(const fs::path& f) { return tag_test::MutagenTags(f, "id3"); }

const std::string kTitleLine = std::string("TITLE=") + kTitleUtf8;

std::vector<FormatCase> Cases() {
  const Reader taglib{"TagLib", tag_test::TagLibProperties,
                      {kTitleLine, "ARTIST=Some Artist", "ALBUM=An Album", "DATE=2024", "GENRE=Rock",
                       "COMMENT=line one\r\nline two"}};
  const Reader ffprobe{"ffprobe", tag_test::FfprobeTags, {"Some Artist", "An Album"}};
  return {
      {"mp3", "MP3", true, true, false, true,
       {taglib, ffprobe,
        {"mutagen", MutagenAuto, {std::string("TIT2=") + kTitleUtf8, "TPE1=Some Artist", "TENC=Made by Zovedu"}},
        {"id3v2 -l", Id3v2List, {"Some Artist", "An Album", "Rock", "Made by Zovedu"}}}},
      {"ape", "APE", true, true, true, true,
       {taglib, ffprobe, {"mutagen", MutagenApe, {std::string("Title=") + kTitleUtf8, "Artist=Some Artist"}}}},
      {"mpc", "MPC", true, true, true, true,
       {taglib, ffprobe, {"mutagen", MutagenApe, {std::string("Title=") + kTitleUtf8, "Album=An Album"}}}},
      {"aac", "AAC", true, true, true, true,
       {ffprobe,
        {"mutagen", MutagenId3, {std::string("TIT2=") + kTitleUtf8, "TALB=An Album"}},
        {"mutagen", MutagenApe, {std::string("Title=") + kTitleUtf8, "Album=An Album"}}}},
      {"ogg", "OGG", false, false, false, false,
       {taglib, ffprobe, {"vorbiscomment -l", VorbisList, {kTitleLine, "ARTIST=Some Artist", "GENRE=Rock"}}}},
      {"flac", "FLAC", false, false, false, false,
       {taglib, ffprobe, {"metaflac", FlacTags, {kTitleLine, "ALBUM=An Album", "DATE=2024"}}}},
      {"wma", "WMA", false, false, false, false,
       {taglib, ffprobe, {"mutagen", MutagenAuto, {std::string("Title=") + kTitleUtf8, "WM/EncodedBy=Made by Zovedu"}}}},
      {"m4a", "AAC", false, false, false, false,
       {taglib, ffprobe,
        {"mutagen", MutagenAuto, {std::string("©nam=") + kTitleUtf8, "©too=Made by Zovedu", "©gen=Rock"}}}},
  };
}

class FormatsTest : public TagDialogTest, public ::testing::WithParamInterface<FormatCase> {};

TEST_P(FormatsTest, SavedValuesReadBackEverywhereAndAudioStaysTheSame) {
  const FormatCase& c = GetParam();
  const fs::path file = MakeEncodedFile(dir.path(), c.kind);
  ASSERT_FALSE(file.empty());
  const std::string md5 = tag_test::AudioMd5(file, c.endTags);

  ASSERT_TRUE(Edit(file, QString::fromLatin1(c.type), [&] {
    EXPECT_TRUE(messages.shown.empty()) << messages.texts().join(QLatin1Char('\n')).toStdString();
    for (auto [box, wanted] : {std::pair{dlg->cid3v1, c.id3v1}, {dlg->cid3v2, c.id3v2}, {dlg->capetag, c.ape}})
      if (wanted) {
        EXPECT_TRUE(box->isEnabled()) << box->objectName().toStdString();
        box->setChecked(true);
      }
    dlg->etit->setText(kTitle + QStringLiteral("  "));  // trailing spaces are not stored
    dlg->eart->setText(QStringLiteral("Some Artist"));
    dlg->ealb->setText(QStringLiteral("An Album"));
    dlg->eyear->setText(QStringLiteral("2024"));
    dlg->egen->setCurrentIndex(17);
    dlg->ecom->setPlainText(QStringLiteral("line one\nline two"));
  }));
  EXPECT_TRUE(messages.shown.empty()) << messages.texts().join(QLatin1Char('\n')).toStdString();
  EXPECT_FALSE(fs::exists(file.string() + "~"));
  EXPECT_EQ(tag_test::AudioMd5(file, c.endTags), md5) << "the audio changed";

  for (const Reader& r : c.readers) {
    const std::string got = r.read(file);
    for (const std::string& e : r.expected) EXPECT_NE(got.find(e), std::string::npos) << r.what << " lacks " << e << " in:\n" << got;
  }
  if (std::string(c.kind) == "ogg") {
    int exitCode = -1;
    const std::string info = tag_test::ToolOutput("/usr/bin/ogginfo", {}, file, &exitCode);
    EXPECT_EQ(exitCode, 0) << info;
    EXPECT_EQ(info.find("arning"), std::string::npos) << info;
  }

  // Opened again, the dialog shows what was saved.
  ASSERT_TRUE(Edit(file, QString::fromLatin1(c.type), [] {}, false));
  const Shown s = Fields();
  EXPECT_EQ(s.title, kTitle);
  EXPECT_EQ(s.artist, QStringLiteral("Some Artist"));
  EXPECT_EQ(s.album, QStringLiteral("An Album"));
  EXPECT_EQ(s.year, QStringLiteral("2024"));
  EXPECT_EQ(s.genre, QStringLiteral("Rock"));
  EXPECT_EQ(s.comment, QStringLiteral("line one\nline two"));
}

INSTANTIATE_TEST_SUITE_P(EveryTaggedFormat, FormatsTest, ::testing::ValuesIn(Cases()),
                         [](const auto& info) { return std::string(info.param.kind); });

}  // namespace
