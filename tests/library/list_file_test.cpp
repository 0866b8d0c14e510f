// reclist.txt: splitting lines, which lines survive loading, saving in the
// same format and replacing the file atomically.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <QFile>

#include "library/recording_list.h"
#include "library_test_files.h"
#include "support/file_replacements.h"
#include "support/scratch_dir.h"

namespace {

using library_test::FolderEntries;
using library_test::ReadBytes;
using library_test::WriteBytes;
using Fields = std::vector<std::string>;

bool AnyFileExists(const std::string&) { return true; }

TEST(RecordingListLine, SplitsByTheQuoteRuleAndFallsBackToPlainBars) {
  const struct {
    const char* name;
    std::string line;
    std::optional<Fields> fields;  // nullopt: the line gives no row
  } cases[] = {
      {"plain", "Rec-01.mp3|00:02:10|2 MB|MP3|/home/u/Records/",
       Fields{"Rec-01.mp3", "00:02:10", "2 MB", "MP3", "/home/u/Records/"}},
      {"empty field dropped, four left", "a.wav||1 KB|WAV|/x/", std::nullopt},
      {"empty field dropped, five left", "a.wav|00:00:01||1 KB|WAV|/x/",
       Fields{"a.wav", "00:00:01", "1 KB", "WAV", "/x/"}},
      {"leading and trailing bars", "|a.wav|00:00:01|1 KB|WAV|/x/|", Fields{"a.wav", "00:00:01", "1 KB", "WAV", "/x/"}},
      {"apostrophe retried with plain bars", "Don't.mp3|00:00:05|80 KB|MP3|/x/",
       Fields{"Don't.mp3", "00:00:05", "80 KB", "MP3", "/x/"}},
      {"double quote retried with plain bars", "say \"hi.wav|00:00:05|80 KB|WAV|/x/",
       Fields{"say \"hi.wav", "00:00:05", "80 KB", "WAV", "/x/"}},
      {"quoted bar stays in the name", "'a|b'.wav|00:00:01|1 KB|WAV|/x/",
       Fields{"'a|b'.wav", "00:00:01", "1 KB", "WAV", "/x/"}},
      {"other quote kind inside a run", "\"it's|x\".ogg|00:00:01|1 KB|OGG|/x/",
       Fields{"\"it's|x\".ogg", "00:00:01", "1 KB", "OGG", "/x/"}},
      {"bar in a name without quotes", "a|b.wav|00:00:01|1 KB|WAV|/x/", std::nullopt},
      {"four fields", "a.wav|00:00:01|1 KB|WAV", std::nullopt},
      {"six fields", "a.wav|00:00:01|1 KB|WAV|/x/|more", std::nullopt},
      {"blank line", "", std::nullopt},
      {"blanks kept", " a.wav |00:00:01| 1 KB |WAV|/my folder/",
       Fields{" a.wav ", "00:00:01", " 1 KB ", "WAV", "/my folder/"}},
      {"tab allowed", "a\tb.wav|00:00:01|1 KB|WAV|/x/", Fields{"a\tb.wav", "00:00:01", "1 KB", "WAV", "/x/"}},
      {"non-UTF-8 bytes kept", "caf\xe9.wav|00:00:01|1 KB|WAV|/m\xfcsik/",
       Fields{"caf\xe9.wav", "00:00:01", "1 KB", "WAV", "/m\xfcsik/"}},
      {"NUL byte", std::string("a.wav|00:00:01|1 KB|WAV|/x/\0", 28), std::nullopt},
      {"control byte", "a\x01.wav|00:00:01|1 KB|WAV|/x/", std::nullopt},
      {"stray CR inside", "a.wav|00:00:01\r|1 KB|WAV|/x/", std::nullopt},
      {"longest line kept", std::string(kMaxListLineBytes - 22, 'n') + "|00:00:01|1 KB|WAV|/x/",
       Fields{std::string(kMaxListLineBytes - 22, 'n'), "00:00:01", "1 KB", "WAV", "/x/"}},
      {"one byte too long", std::string(kMaxListLineBytes - 21, 'n') + "|00:00:01|1 KB|WAV|/x/", std::nullopt},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const auto entry = ParseRecordingListLine(c.line);
    ASSERT_EQ(entry.has_value(), c.fields.has_value());
    if (entry) {
      const Fields got{entry->Name, entry->Length, entry->Size, entry->Type, entry->Path};
      EXPECT_EQ(got, *c.fields);
    }
  }
}

TEST(RecordingListLine, TheQuoteRuleAloneSwallowsBarsUntilTheSameQuote) {
  EXPECT_EQ(SplitRecordingListLine("Don't.mp3|a|b|c|d"), Fields{"Don't.mp3|a|b|c|d"});
  EXPECT_EQ(SplitRecordingListLine("it's|x'|y|\"z|'\"|w"), (Fields{"it's|x'", "y", "\"z|'\"", "w"}));
  EXPECT_EQ(SplitRecordingListLine("a||b"), (Fields{"a", "b"}));
  EXPECT_EQ(SplitRecordingListLinePlain("Don't.mp3|a||b"), (Fields{"Don't.mp3", "a", "b"}));
}

TEST(RecordingListText, ReadsBothLineEndsAndSkipsBadLines) {
  const std::string longLine = std::string(kMaxListLineBytes + 10, 'z') + "|00:00:01|1 KB|WAV|/x/";
  const std::string longestName(kMaxListLineBytes - 22, 'n');  // the line is just short enough
  const std::string text = "a.wav|00:00:01|1 KB|WAV|/x/\r\n"           // CR LF
                           "bad line\n" +                                 // too few fields
                           longLine + "\n" +                              // too long
                           std::string("b\0.wav|00:00:01|1 KB|WAV|/x/\n", 29) +  // NUL
                           "\x7f\x45LF\x02\x01\x01|||||\n"                // binary
                           "c.mp3|00:00:02|2 KB|MP3|/y/\n" +
                           longestName + "|00:00:01|1 KB|WAV|/x/\r\n"
                           "\r\n"
                           "d.ogg|00:00:03|3 KB|OGG|/z/";                 // no line end at all
  const RecordingRows rows = ParseRecordingListText(text, AnyFileExists);
  std::vector<std::string> names;
  for (const auto& r : rows) names.push_back(r.fullPath());
  EXPECT_EQ(names, (std::vector<std::string>{"/x/a.wav", "/y/c.mp3", "/x/" + longestName, "/z/d.ogg"}));
  EXPECT_EQ(rows.front().Path, "/x/") << "the CR of CR LF is not part of the last field";
}

TEST(RecordingListText, DropsRowsWhoseFileIsGone) {
  std::vector<std::string> asked;
  const RecordingRows rows = ParseRecordingListText("a.wav|1|1 KB|WAV|/x/\nb.wav|1|1 KB|WAV|/y/\n",
                                                    [&](const std::string& path) {
                                                      asked.push_back(path);
                                                      return path == "/y/b.wav";
                                                    });
  EXPECT_EQ(asked, (std::vector<std::string>{"/x/a.wav", "/y/b.wav"})) << "Path + Name, plainly joined";
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0].Name, "b.wav");
}

TEST(RecordingListText, WritesOneLinePerRowInTheGivenOrder) {
  const RecordingRows rows = {{"z.mp3", "00:02:10", "2 MB", "MP3", "/r/"}, {"a.wav", "00:00:01", "1 KB", "WAV", "/s/"}};
  EXPECT_EQ(RecordingListText(rows), "z.mp3|00:02:10|2 MB|MP3|/r/\r\na.wav|00:00:01|1 KB|WAV|/s/\r\n");
  EXPECT_EQ(RecordingListText({}), "");
}

class ListFileTest : public ::testing::Test {
 protected:
  std::string Folder() const { return dir_.path().string() + "/"; }
  QString ListPath() const { return QFile::decodeName(QByteArray::fromStdString(Folder() + "reclist.txt")); }
  std::string ListBytes() const { return ReadBytes(Folder() + "reclist.txt"); }

  zovedu_test::ScratchDir dir_;
};

TEST_F(ListFileTest, NonUtf8NamesSurviveLoadAndSaveByteForByte) {
  // A file name and a folder that are not UTF-8 (Latin-1 bytes).
  const std::string folder = Folder() + "m\xfcsik/";
  ASSERT_EQ(::mkdir(folder.c_str(), 0755), 0);
  WriteBytes(folder + "caf\xe9 'live'.wav", "RIFF");
  WriteBytes(Folder() + "plain.mp3", "ID3");
  const std::string text = "caf\xe9 'live'.wav|00:00:01|4 Bytes|WAV|" + folder + "\r\n" +
                           "gone.wav|00:00:01|4 Bytes|WAV|" + Folder() + "\n" +
                           "plain.mp3|00:00:02|3 Bytes|MP3|" + Folder() + "\n";
  WriteBytes(Folder() + "reclist.txt", text);

  const RecordingListLoad load = LoadRecordingList(ListPath());
  ASSERT_TRUE(load.found);
  EXPECT_TRUE(load.error.isEmpty());
  ASSERT_EQ(load.rows.size(), 2u);
  EXPECT_EQ(load.rows[0].fullPath(), folder + "caf\xe9 'live'.wav");
  EXPECT_EQ(FindListedFile(load.rows, folder + "caf\xe9 'live'.wav"), 0);

  ASSERT_TRUE(SaveRecordingList(ListPath(), load.rows).ok);
  EXPECT_EQ(ListBytes(), "caf\xe9 'live'.wav|00:00:01|4 Bytes|WAV|" + folder + "\r\n" +
                             "plain.mp3|00:00:02|3 Bytes|MP3|" + Folder() + "\r\n");
  EXPECT_EQ(LoadRecordingList(ListPath()).rows, load.rows);
}

TEST_F(ListFileTest, MissingFileLeavesTheListAloneAndAnUnreadableOneSaysWhy) {
  const RecordingListLoad missing = LoadRecordingList(ListPath());
  EXPECT_FALSE(missing.found);
  EXPECT_TRUE(missing.error.isEmpty());

  ASSERT_EQ(::mkdir((Folder() + "reclist.txt").c_str(), 0755), 0);
  const RecordingListLoad unreadable = LoadRecordingList(ListPath());
  EXPECT_TRUE(unreadable.found);
  EXPECT_FALSE(unreadable.error.isEmpty());
  EXPECT_TRUE(unreadable.rows.empty());
}

TEST_F(ListFileTest, ALongBinaryFileIsReadInPiecesAndItsGoodLinesKept) {
  WriteBytes(Folder() + "k.wav", "x");
  // Far more than one read, with the good line straddling a read boundary.
  std::string text(200 * 1024, '\x01');
  text += "\n";
  text.append(64 * 1024 - 10, 'q');
  text += "\nk.wav|00:00:01|1 Bytes|WAV|" + Folder() + "\n";
  text.append(300 * 1024, 'y');
  WriteBytes(Folder() + "reclist.txt", text);
  const RecordingListLoad load = LoadRecordingList(ListPath());
  ASSERT_EQ(load.rows.size(), 1u);
  EXPECT_EQ(load.rows[0].Name, "k.wav");
}

TEST_F(ListFileTest, SavingReplacesTheFileAsAWhole) {
  WriteBytes(Folder() + "reclist.txt", "old|00:00:01|1 KB|WAV|/x/\n");
  FileReplacements replacements(ListPath());
  const RecordingRows rows = {{"n.wav", "00:00:03", "3 KB", "WAV", "/y/"}};
  const RecordingListSave save = SaveRecordingList(ListPath(), rows);
  EXPECT_TRUE(save.ok);
  EXPECT_TRUE(save.message.isEmpty());
  EXPECT_EQ(ListBytes(), "n.wav|00:00:03|3 KB|WAV|/y/\r\n");
  EXPECT_EQ(replacements.count(), 1) << "written beside and renamed, not rewritten in place";
  EXPECT_EQ(FolderEntries(Folder()), std::vector<std::string>{"reclist.txt"});

  ASSERT_TRUE(SaveRecordingList(ListPath(), {}).ok);
  EXPECT_EQ(ListBytes(), "");
  EXPECT_TRUE(QFile::exists(ListPath())) << "an empty list still writes its file";
}

TEST_F(ListFileTest, AFailedSaveKeepsTheOldFileAndNamesThePath) {
  const std::string old = "old.wav|00:00:01|1 KB|WAV|/x/\n";
  WriteBytes(Folder() + "reclist.txt", old);
  RecordingRows many(200, RecordingListEntry{"new.wav", "00:00:01", "1 KB", "WAV", "/y/"});

  // The disk "fills" part way: writes beyond 1 KiB fail.
  struct sigaction ignore {}, before {};
  ignore.sa_handler = SIG_IGN;
  ASSERT_EQ(::sigaction(SIGXFSZ, &ignore, &before), 0);
  rlimit limit{}, saved{};
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
  limit = saved;
  limit.rlim_cur = 1024;
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limit), 0);
  const RecordingListSave save = SaveRecordingList(ListPath(), many);
  ::setrlimit(RLIMIT_FSIZE, &saved);
  ::sigaction(SIGXFSZ, &before, nullptr);

  EXPECT_FALSE(save.ok);
  EXPECT_EQ(save.message, "Unable to write to " + ListPath());
  EXPECT_FALSE(save.reason.isEmpty());
  EXPECT_EQ(ListBytes(), old);
  EXPECT_EQ(FolderEntries(Folder()), std::vector<std::string>{"reclist.txt"}) << "no temporary file left";
}

TEST_F(ListFileTest, SavingIntoAMissingFolderOrOverAFolderFails) {
  const QString inMissing = ListPath().replace("reclist.txt", "gone/reclist.txt");
  const RecordingListSave missing = SaveRecordingList(inMissing, {});
  EXPECT_FALSE(missing.ok);
  EXPECT_EQ(missing.message, "Unable to write to " + inMissing);

  ASSERT_EQ(::mkdir((Folder() + "reclist.txt").c_str(), 0755), 0);
  EXPECT_FALSE(SaveRecordingList(ListPath(), {{"a.wav", "1", "1 KB", "WAV", "/x/"}}).ok);
  EXPECT_EQ(FolderEntries(Folder()), std::vector<std::string>{"reclist.txt"});
}

}  // namespace
