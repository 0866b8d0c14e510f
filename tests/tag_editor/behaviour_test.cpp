// What the dialog does around the writers: which boxes a file offers, what it
// shows, what Cancel and the typing limits do, and messages on failure.
#include <fstream>
#include <iterator>

#include "encoded_files.h"
#include "support/full_disk.h"
#include "support/program_run.h"
#include "tag_dialog_fixture.h"

namespace {

namespace fs = std::filesystem;
using tag_test::MakeEncodedFile;

std::string Bytes(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void Tag(const fs::path& f, const std::vector<std::string>& idArgs) {
  std::vector<std::string> args = idArgs;
  args.push_back(f.string());
  const auto r = zovedu_test::RunProgram("/usr/bin/id3v2", args);
  ASSERT_EQ(r.exitCode, 0) << r.describe();
}

// OK with neither box checked says so and keeps the dialog open with what
// was typed; checking a box then saves it.
TEST_F(TagDialogTest, Mp3WithoutTagsOffersBothBoxesAndOkWithNoneKeepsTheDialogOpen) {
  const fs::path f = MakeEncodedFile(dir.path(), "mp3");
  const std::string before = Bytes(f);
  dlg->etit->setText(QStringLiteral("left from the last file"));
  ASSERT_TRUE(Edit(f, QStringLiteral("MP3"), [&] {
    EXPECT_TRUE(dlg->cid3v1->isEnabled() && dlg->cid3v2->isEnabled());
    EXPECT_FALSE(dlg->cid3v1->isChecked() || dlg->cid3v2->isChecked() || dlg->capetag->isEnabled());
    EXPECT_EQ(dlg->etit->text(), QString());
    EXPECT_EQ(dlg->FSaveKind, TagSaveKind::Mp3);
    EXPECT_EQ(dlg->windowTitle(), QStringLiteral("Tag Editor tone.mp3"));
    dlg->etit->setText(QStringLiteral("Typed"));
    dlg->btntag->click();
    EXPECT_EQ(messages.texts(), QStringList{"No tag format is chosen: check ID3V1 or ID3V2 to save the tags."});
    EXPECT_EQ(dlg->result(), 0) << "closed as if saved";
    EXPECT_EQ(dlg->etit->text(), QStringLiteral("Typed"));
    EXPECT_EQ(Bytes(f), before);
    dlg->cid3v1->setChecked(true);
  }));
  EXPECT_EQ(dlg->result(), QDialog::Accepted);
  EXPECT_NE(tag_test::ToolOutput("/usr/bin/id3v2", {"-l"}, f).find("Typed"), std::string::npos);
}

TEST_F(TagDialogTest, Mp3ShowsId3v2AndAnId3v1OnlySaveLeavesId3v2Alone) {
  const fs::path f = MakeEncodedFile(dir.path(), "mp3");
  Tag(f, {"-1", "-t", "Old One", "-a", "V1 Artist"});
  Tag(f, {"-2", "-t", "Version Two", "-a", "V2 Artist", "-T", "5/12"});
  const std::string before = Bytes(f);
  ASSERT_EQ(before.substr(0, 3), "ID3");
  const auto b = [&](int i) { return std::size_t(std::uint8_t(before[std::size_t(i)])); };
  const std::size_t id3v2Size = 10 + (b(6) << 21 | b(7) << 14 | b(8) << 7 | b(9));
  ASSERT_TRUE(Edit(f, QStringLiteral("MP3"), [&] {
    EXPECT_TRUE(dlg->cid3v1->isChecked() && dlg->cid3v2->isChecked());
    EXPECT_EQ(dlg->etit->text(), QStringLiteral("Version Two"));
    dlg->cid3v2->setChecked(false);
    dlg->etit->setText(QStringLiteral("New One"));
  }));
  EXPECT_EQ(Bytes(f).substr(0, id3v2Size), before.substr(0, id3v2Size)) << "the ID3v2 tag changed";
  EXPECT_NE(tag_test::ToolOutput("/usr/bin/id3v2", {"-l"}, f).find("New One"), std::string::npos);
  // A track "5/12" survives an ID3v2 save.
  ASSERT_TRUE(Edit(f, QStringLiteral("MP3"), [&] { dlg->cid3v1->setChecked(false); }));
  EXPECT_NE(tag_test::TagLibProperties(f).find("TRACKNUMBER=5/12"), std::string::npos) << tag_test::TagLibProperties(f);
}

TEST_F(TagDialogTest, CancelWritesNothing) {
  for (const char* kind : {"mp3", "m4a"}) {
    const fs::path f = MakeEncodedFile(dir.path(), kind);
    const std::string before = Bytes(f);
    ASSERT_TRUE(Edit(f, QString::fromLatin1(kind == std::string("mp3") ? "MP3" : "AAC"), [&] {
      dlg->cid3v1->setChecked(true);
      dlg->etit->setText(QStringLiteral("Not saved"));
    }, false)) << kind;
    EXPECT_EQ(Bytes(f), before) << kind;
  }
}

TEST_F(TagDialogTest, M4aOfTypeAacOpensThroughMp4WithApeBoxEnabledUnchecked) {
  const fs::path f = MakeEncodedFile(dir.path(), "m4a");
  ASSERT_TRUE(Edit(f, QStringLiteral("AAC"), [&] {
    EXPECT_EQ(dlg->FSaveKind, TagSaveKind::Mp4);
    EXPECT_TRUE(dlg->capetag->isEnabled());
    EXPECT_FALSE(dlg->capetag->isChecked() || dlg->cid3v1->isEnabled() || dlg->cid3v2->isEnabled());
    dlg->capetag->setChecked(true);
    dlg->etit->setText(QStringLiteral("Only MP4"));
  }));
  EXPECT_EQ(Bytes(f).find("APETAGEX"), std::string::npos) << "no APE tag goes into an MP4 file";
  EXPECT_NE(tag_test::TagLibProperties(f).find("TITLE=Only MP4"), std::string::npos);
}

TEST_F(TagDialogTest, GenresMissingFromTheListAreAppendedOnce) {
  const fs::path wma = MakeEncodedFile(dir.path(), "wma");
  const int before = dlg->egen->count();
  ASSERT_TRUE(Edit(wma, QStringLiteral("WMA"), [&] { dlg->egen->setCurrentIndex(-1); }));  // no genre: ""
  EXPECT_EQ(dlg->egen->count(), before + 1);
  ASSERT_TRUE(Edit(wma, QStringLiteral("WMA"), [&] {
    EXPECT_EQ(dlg->egen->currentText(), QString());
    EXPECT_EQ(dlg->egen->count(), before + 1);
  }, false));
  EXPECT_EQ(dlg->GenreIndex(QStringLiteral("Rock")), 17);
  EXPECT_EQ(dlg->GenreIndex(QStringLiteral("rock")), before + 1) << "the comparison is case-sensitive";
}

TEST_F(TagDialogTest, LongValuesAreShownWholeAndTypingIsLimited) {
  const fs::path f = MakeEncodedFile(dir.path(), "ogg");
  const std::string longTitle(300, 'x');
  const auto r = zovedu_test::RunProgram("/usr/bin/vorbiscomment", {"-w", "-t", "TITLE=" + longTitle, f.string()});
  ASSERT_EQ(r.exitCode, 0) << r.describe();
  ASSERT_TRUE(Edit(f, QStringLiteral("OGG"), [&] {
    EXPECT_EQ(dlg->etit->text().size(), 300);
    // Typed one character at a time, as the keyboard does.
    for (int i = 0; i < 40; ++i) dlg->eart->insert(QStringLiteral("a"));
    EXPECT_EQ(dlg->eart->text().size(), 30);
    for (QChar ch : QStringLiteral("202456")) dlg->eyear->insert(QString(ch));
    EXPECT_EQ(dlg->eyear->text(), QStringLiteral("2024"));
    for (int i = 0; i < 90; ++i) dlg->ecom->insertPlainText(QStringLiteral("c"));
    EXPECT_EQ(dlg->ecom->toPlainText().size(), 80);
    dlg->etit->end(false);
    dlg->etit->backspace();  // a long value can still be shortened
    EXPECT_EQ(dlg->etit->text().size(), 299);
    dlg->etit->insert(QStringLiteral("x"));
    EXPECT_EQ(dlg->etit->text().size(), 299) << "but not lengthened";
    dlg->etit->setText(QString::fromStdString(longTitle));
  }));
  EXPECT_NE(tag_test::ToolOutput("/usr/bin/vorbiscomment", {"-l"}, f).find("TITLE=" + longTitle), std::string::npos);
}

TEST_F(TagDialogTest, StayOnTopIsLiftedWhileOpenAndRestoredAfter) {
  const fs::path f = MakeEncodedFile(dir.path(), "mp3");
  link.stayOnTop = true;
  ASSERT_TRUE(Edit(f, QStringLiteral("MP3"), [&] { EXPECT_FALSE(link.stayOnTop); }, false));
  EXPECT_TRUE(link.stayOnTop);
  link.stayOnTop = true;
  EXPECT_FALSE(Edit(dir / "missing.mp3", QStringLiteral("MP3"), [] {}));
  EXPECT_TRUE(link.stayOnTop) << "restored also when nothing is shown";
  EXPECT_FALSE(Edit(MakeEncodedFile(dir.path(), "ogg"), QStringLiteral("MP3"), [] {})) << "not MPEG audio";
}

// A full disk: the save fails with the format's message and the file stays
// byte for byte as it was.
TEST(TagEditorFullDisk, FailedSavesLeaveFilesAsTheyWere) {
  if (!zovedu_test::CanMountFullDisk()) GTEST_SKIP() << "needs root for a private tmpfs";
  zovedu_test::ScratchDir made;
  const struct {
    const char* kind;
    const char* type;
    const char* message;
  } cases[] = {
      {"mp3", "MP3", "Can not save ID3V2 tag to: "}, {"ape", "APE", "Can not save APE tag to: "},
      {"ogg", "OGG", "Can not save Ogg tag to: "},   {"wma", "WMA", "Could not save WMA Tag to "},
      {"m4a", "AAC", "Can not save MP4 tag to: "},   {"mpc", "MPC", "Can not save APE tag to: "},
  };
  for (const auto& c : cases) {
    const fs::path source = MakeEncodedFile(made.path(), c.kind);
    const std::string original = Bytes(source);
    const int result = zovedu_test::RunOnFullDisk(
        [&](const fs::path& d) { fs::copy_file(source, d / source.filename()); },
        [&](const fs::path& d) {
          const std::string path = (d / source.filename()).string();
          TagReaders readers;
          OpenedTags opened = ReadTagsForEditing(readers, path, c.type);
          if (!opened.show && std::string(c.type) == "AAC") opened = ReadMp4TagsForEditing(readers, path);
          if (!opened.show) return 2;
          // Longer than a page, so no writer fits its change into the slack
          // of the file's last page.
          TagSaveRequest request{opened.kind, {std::string(5000, 't'), "artist", "album", "2024", "Rock", "c"},
                                 true, true, true, 17};
          const auto failures = SaveEditedTags(readers, path, request);
          tags::CloseMp4();
          const bool said = !failures.empty() && failures.back() == c.message + path;
          const bool same = Bytes(path) == original;
          const bool noTemp = !fs::exists(path + "~");
          if (!said || !same || !noTemp)
            std::fprintf(stderr, "%s: said %d (%s) same %d no temp %d\n", c.kind, said,
                         failures.empty() ? "nothing" : failures.back().c_str(), same, noTemp);
          return said && same && noTemp ? 0 : 1;
        });
    EXPECT_EQ(result, 0) << c.kind;
  }
}

}  // namespace
