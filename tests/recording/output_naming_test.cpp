// Output file names: joining prefix, date/time part and number, the date
// folders, the extensions, and folder creation.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include "recording/output_naming.h"
#include "services/app_error.h"

namespace {

// 9 December 2024, 14:05:07: day, month, hour and minute all differ, and the
// hour shows the 24-hour clock.
const QDateTime kNow(QDate(2024, 12, 9), QTime(14, 5, 7));

OutputNameRule Rule(bool usePrefix, const char* prefix, bool useDateTime, int style,
                    bool autoNumber) {
  OutputNameRule rule;
  rule.folder = "/nonexistent/out/";
  rule.usePrefix = usePrefix;
  rule.prefix = prefix;
  rule.useDateTime = useDateTime;
  rule.dateTimeIndex = style;
  rule.autoNumber = autoNumber;
  return rule;
}

TEST(OutputNaming, NamesWithoutFolders) {
  struct Case {
    OutputNameRule rule;
    int number;
    const char* expected;
  };
  const Case cases[] = {
      {Rule(true, "Rectest", false, 0, true), 1, "Rectest-01.wav"},
      {Rule(true, "Rectest", false, 0, true), 9, "Rectest-09.wav"},
      {Rule(true, "Rectest", false, 0, true), 10, "Rectest-10.wav"},
      {Rule(true, "Rectest", false, 0, true), 100, "Rectest-100.wav"},
      {Rule(true, "", false, 0, true), 1, "01.wav"},
      {Rule(false, "Rectest", false, 0, false), 1, "SingleName.wav"},
      {Rule(true, "", false, 0, false), 1, "SingleName.wav"},
      {Rule(true, "Take", false, 0, false), 5, "Take.wav"},
      {Rule(false, "Rectest", true, 0, false), 1, "14-05.wav"},
      {Rule(false, "Rectest", true, 0, true), 3, "14-05-03.wav"},
      {Rule(true, "Rectest", true, 0, false), 1, "Rectest-14-05.wav"},
      // the seven date/time styles
      {Rule(true, "Rectest", true, 0, true), 1, "Rectest-14-05-01.wav"},
      {Rule(true, "Rectest", true, 1, true), 1, "Rectest-09-14-05-01.wav"},
      {Rule(true, "Rectest", true, 2, true), 1, "Rectest-12-09-14-01.wav"},
      {Rule(true, "Rectest", true, 3, true), 1, "Rectest-2024-12-09-01.wav"},
      {Rule(true, "Rectest", true, 4, true), 1, "09/Rectest-14-05-01.wav"},
      {Rule(true, "Rectest", true, 5, true), 1, "12/Rectest-09-14-01.wav"},
      {Rule(true, "Rectest", true, 6, true), 1, "2024/Rectest-12-09-01.wav"},
      {Rule(false, "Rectest", true, 6, false), 1, "2024/12-09.wav"},
      // a style that is not chosen, or not in the list, adds nothing
      {Rule(true, "Rectest", false, 6, true), 1, "Rectest-01.wav"},
      {Rule(true, "Rectest", true, -1, true), 1, "Rectest-01.wav"},
      {Rule(true, "Rectest", true, 7, true), 1, "Rectest-01.wav"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.expected);
    EXPECT_EQ(BuildOutputName(c.rule, false, c.number, kNow), c.expected);
  }
  EXPECT_FALSE(QFileInfo::exists("/nonexistent"));  // nothing was created
}

TEST(OutputNaming, NumbersHaveAtLeastTwoDigits) {
  EXPECT_EQ(FormatNumber(0), "00");
  EXPECT_EQ(FormatNumber(1), "01");
  EXPECT_EQ(FormatNumber(99), "99");
  EXPECT_EQ(FormatNumber(123), "123");
}

TEST(OutputNaming, ExtensionsByFormatAndFileType) {
  const char* plain[] = {".wav", ".mp3", ".wma", ".ogg", ".ape", ".flac",
                         ".tta", ".wv",  nullptr, nullptr, ".spx"};
  for (int format = 0; format <= 10; ++format) {
    if (!plain[format]) continue;
    EXPECT_EQ(OutputExtension(format, 2, 2), plain[format]) << format;
  }

  EXPECT_EQ(OutputExtension(8, 0, 2), ".aac");
  EXPECT_EQ(OutputExtension(8, 1, 2), ".mp4");
  EXPECT_EQ(OutputExtension(8, 2, 0), ".m4a");
  EXPECT_EQ(OutputExtension(8, -1, 0), ".aac");  // no valid selection: first type
  EXPECT_EQ(OutputExtension(9, 2, 0), ".mpc");
  EXPECT_EQ(OutputExtension(9, 0, 1), ".mp+");
  EXPECT_EQ(OutputExtension(9, 0, 2), ".mpp");
  EXPECT_EQ(OutputExtension(9, 0, 3), ".mpc");
  EXPECT_EQ(OutputExtension(11, 0, 0), "");

  OutputNameRule rule = Rule(true, "Rectest", false, 0, true);
  rule.format = 8;
  rule.aacFileType = 2;
  EXPECT_EQ(BuildOutputName(rule, false, 4, kNow), "Rectest-04.m4a");
}

class OutputFoldersTest : public ::testing::Test {
 protected:
  QString Path(const QString& relative) const { return dir_.filePath(relative); }
  void MakeFile(const QString& relative) const {
    QFile f(Path(relative));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  }
  QTemporaryDir dir_;
};

TEST_F(OutputFoldersTest, CreatesTheOutputFolderThenTheDateFolder) {
  for (int style = 0; style <= 6; ++style) {
    SCOPED_TRACE(style);
    OutputNameRule rule = Rule(true, "Rectest", true, style, true);
    rule.folder = Path(QString("style%1/deeper/").arg(style));
    const QString relative = BuildOutputName(rule, false, 2, kNow);
    const QString full = BuildOutputName(rule, true, 2, kNow);
    EXPECT_EQ(full, rule.folder + relative);
    EXPECT_TRUE(QFileInfo(full).dir().exists());
    EXPECT_FALSE(QFileInfo::exists(full));  // only folders are made, never the file
    // A second recording finds the folders in place.
    EXPECT_EQ(BuildOutputName(rule, true, 3, kNow),
              rule.folder + BuildOutputName(rule, false, 3, kNow));
  }
  // The rule is left as it was: a later recording's date folder goes below the
  // chosen output folder again, not below the previous date folder.
  OutputNameRule rule = Rule(true, "Rectest", true, 6, true);
  rule.folder = Path("out/");
  EXPECT_EQ(BuildOutputName(rule, true, 1, kNow), Path("out/2024/Rectest-12-09-01.wav"));
  EXPECT_EQ(rule.folder, Path("out/"));
  EXPECT_EQ(BuildOutputName(rule, true, 2, kNow), Path("out/2024/Rectest-12-09-02.wav"));
}

TEST_F(OutputFoldersTest, FolderWithoutTrailingSeparatorStillHoldsTheFile) {
  OutputNameRule rule = Rule(true, "Rectest", true, 5, true);
  rule.folder = Path("plain");
  EXPECT_EQ(BuildOutputName(rule, true, 1, kNow), Path("plain/12/Rectest-09-14-01.wav"));
  EXPECT_TRUE(QFileInfo(Path("plain/12")).isDir());
}

// A relative folder, or one starting with "-", is taken from the working
// folder: every path handed on is absolute, and none reads as an option.
TEST_F(OutputFoldersTest, RelativeFoldersBecomeAbsolute) {
  const QString saved = QDir::currentPath();
  ASSERT_TRUE(QDir::setCurrent(dir_.path()));
  for (const char* folder : {"rel/out/", "-rf", "./-x/"}) {
    SCOPED_TRACE(folder);
    OutputNameRule rule = Rule(true, "Rectest", false, 0, true);
    rule.folder = folder;
    const QString full = BuildOutputName(rule, true, 1, kNow);
    EXPECT_TRUE(full.startsWith(dir_.path() + "/")) << full.toStdString();
    EXPECT_TRUE(QFileInfo(full).dir().exists());
  }
  QDir::setCurrent(saved);
}

TEST_F(OutputFoldersTest, FolderThatCannotBeCreatedIsReported) {
  MakeFile("afile");
  ASSERT_TRUE(QDir(dir_.path()).mkdir("out"));
  MakeFile("out/2024");  // a file where the date folder should go
  struct Case {
    QString folder;
    int style;
    QString message;
  };
  const Case cases[] = {
      {Path("afile/sub/"), 0, "Cannot create " + Path("afile/sub/")},
      {Path("afile/sub/"), 6, "Cannot create " + Path("afile/sub/")},
      {Path("out/"), 6, "Cannot create " + Path("out/2024")},
      {"", 0, "Cannot create "},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.message.toStdString());
    OutputNameRule rule = Rule(true, "Rectest", true, c.style, true);
    rule.folder = c.folder;
    try {
      BuildOutputName(rule, true, 1, kNow);
      ADD_FAILURE() << "no error";
    } catch (const EAppError& e) {
      EXPECT_EQ(e.text(), c.message);
    }
  }
}

TEST_F(OutputFoldersTest, PrefixCannotLeadOutOfTheOutputFolder) {
  const char* prefixes[] = {"../../x", "../x", "sub/x", "/tmp/x", "x/"};
  for (const char* prefix : prefixes) {
    SCOPED_TRACE(prefix);
    for (int style : {0, 6}) {
      OutputNameRule rule = Rule(true, prefix, true, style, true);
      rule.folder = Path("a/b/");
      // The preview only shows the name; it never throws.
      EXPECT_NO_THROW(BuildOutputName(rule, false, 1, kNow));
      try {
        const QString path = BuildOutputName(rule, true, 1, kNow);
        ADD_FAILURE() << "accepted " << path.toStdString();
      } catch (const EAppError& e) {
        EXPECT_FALSE(e.text().isEmpty());
      }
    }
  }
  // Refused before anything was made: no output folder, nothing beside it.
  EXPECT_FALSE(QFileInfo::exists(Path("a")));
  EXPECT_EQ(QDir(dir_.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList());
}

}  // namespace
