// Saving many values as one change: the same bytes as single writes, one
// replacement of the file, and nothing changed when the replacement fails.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <functional>

#include "services/app_error.h"
#include "settings/ini_edit_session.h"
#include "settings/ini_file.h"
#include "support/file_replacements.h"

namespace {

class IniEditSessionTest : public ::testing::Test {
 protected:
  QString PathOf(const QString& name) const { return dir_.filePath(name); }

  static void WriteRaw(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    ASSERT_EQ(f.write(bytes), bytes.size());
  }
  static QByteArray ReadRaw(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
  }
  QStringList Entries() const {
    return QDir(dir_.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
  }

  QTemporaryDir dir_;
};

// One value to write, applied through either writer.
struct Write {
  const char* section;
  const char* key;
  QString value;
};

// Covers an existing key with odd spacing, a duplicate section and key (the
// first counts), new keys in sections with trailing blank lines or an
// unfinished last line, a new section that later writes add to, and a key
// written twice.
const Write kWrites[] = {
    {"DAR", "db", "-55"},         {"DAR", "New", "1"},
    {"main", "FORMAT", "8"},      {"Main", "Vis", "0"},
    {"OutPut", "PresetStr", "  padded  "},
    {"Compressor", "Gain", "6"},  {"Compressor", "Enable", "1"},
    {"OutPut", "Folder", "/home/ü/Musik/"},
    {"DAR", "db", "-60"},
};

const QByteArray kHandWritten =
    "; edited by hand\n"
    "  [ DAR ]   ; silence\n"
    "db  =  -40   \n"
    "unknownKey = keep me\n"
    "\n"
    "\n"
    "[main]\n"
    "FORMAT=1\n"
    "format=2\n"
    "[MAIN]\n"
    "format=3\n"
    "[OutPut]\n"
    "Folder=/music/\n"
    "Preset=1";

TEST_F(IniEditSessionTest, GivesTheBytesOfSingleWritesInOneReplacement) {
  for (const QByteArray& original : {kHandWritten, QByteArray(kHandWritten).replace("\n", "\r\n"),
                                     QByteArray()}) {
    SCOPED_TRACE(original.left(40).toStdString());
    const QString single = PathOf("single.ini"), session = PathOf("session.ini");
    for (const QString& path : {single, session}) {
      QFile::remove(path);
      if (!original.isEmpty()) WriteRaw(path, original);
    }

    FileReplacements singleReplacements(single);
    IniFile each(single);
    for (const Write& w : kWrites) each.WriteString(w.section, w.key, w.value);
    EXPECT_EQ(singleReplacements.count(), int(std::size(kWrites)));

    FileReplacements sessionReplacements(session);
    IniEditSession edit(session);
    for (const Write& w : kWrites) edit.WriteString(w.section, w.key, w.value);
    EXPECT_EQ(ReadRaw(session), original) << "nothing reaches the file before the commit";
    EXPECT_EQ(sessionReplacements.count(), 0);
    edit.Commit();
    EXPECT_EQ(sessionReplacements.count(), 1);

    EXPECT_EQ(ReadRaw(session), ReadRaw(single));
  }
  EXPECT_EQ(Entries(), (QStringList{"session.ini", "single.ini"}));
}

TEST_F(IniEditSessionTest, IntegersAndBoolsAreStoredAsSingleWritesStoreThem) {
  IniEditSession edit(PathOf("ridi.ini"));
  edit.WriteInteger("OGG", "Quality", -200);
  edit.WriteInteger("OGG", "Max", INT_MIN);
  edit.WriteBool("OGG", "VBR", true);
  edit.WriteBool("OGG", "ABR", false);
  edit.Commit();
  EXPECT_EQ(ReadRaw(PathOf("ridi.ini")), "[OGG]\nQuality=-200\nMax=-2147483648\nVBR=1\nABR=0\n");
}

TEST_F(IniEditSessionTest, CommitWithoutWritesLeavesTheFolderAlone) {
  FileReplacements replacements(PathOf("ridi.ini"));
  IniEditSession(PathOf("ridi.ini")).Commit();
  EXPECT_TRUE(Entries().isEmpty()) << "no file is created";

  WriteRaw(PathOf("ridi.ini"), "[Main]\nVis=1\n");
  IniEditSession edit(PathOf("ridi.ini"));
  edit.WriteInteger("Main", "Vis", 2);
  edit.Commit();
  edit.Commit();  // nothing new to write
  EXPECT_EQ(replacements.count(), 2);  // the raw write above and one commit
  EXPECT_EQ(ReadRaw(PathOf("ridi.ini")), "[Main]\nVis=2\n");
}

// Caps the size of files this process writes for as long as it lives; writing
// past the cap fails (the signal it would raise is ignored meanwhile).
class FileSizeCap {
 public:
  explicit FileSizeCap(rlim_t bytes) {
    getrlimit(RLIMIT_FSIZE, &old_);
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    sigaction(SIGXFSZ, &ignore, &oldAction_);
    rlimit capped = old_;
    capped.rlim_cur = bytes;
    ok_ = setrlimit(RLIMIT_FSIZE, &capped) == 0;
  }
  ~FileSizeCap() {
    setrlimit(RLIMIT_FSIZE, &old_);
    sigaction(SIGXFSZ, &oldAction_, nullptr);
  }
  bool ok() const { return ok_; }

 private:
  rlimit old_{};
  struct sigaction oldAction_ {};
  bool ok_ = false;
};

TEST_F(IniEditSessionTest, FailedCommitThrowsAndKeepsTheOldFile) {
  const QString path = PathOf("ridi.ini");
  const QByteArray original = "[Main]\nVis=1\n; keep\n";
  WriteRaw(path, original);
  IniEditSession edit(path);
  edit.WriteInteger("Main", "Vis", 2);
  edit.WriteString("OutPut", "Folder", QString(8000, u'x'));
  QString error = "no error";
  {
    // The new text no longer fits: writing it fails part of the way, after
    // the first 4096 bytes. Nothing is checked (or printed) under the cap.
    FileSizeCap cap(4096);
    ASSERT_TRUE(cap.ok());
    try {
      edit.Commit();
    } catch (const EAppError& e) {
      error = e.text();
    }
  }
  EXPECT_EQ(error, "Unable to write to " + path);
  EXPECT_EQ(ReadRaw(path), original);
  EXPECT_EQ(Entries(), QStringList{"ridi.ini"}) << "no temporary file is left";

  // The edits are still there: a commit that can write succeeds.
  edit.Commit();
  EXPECT_EQ(IniFile(path).ReadInteger("Main", "Vis", 0), 2);
}

TEST_F(IniEditSessionTest, FileThatCannotBeReadIsNeverReplaced) {
  // A folder where the file should be: it exists but cannot be read.
  ASSERT_TRUE(QDir(dir_.path()).mkdir("ridi.ini"));
  try {
    IniEditSession edit(PathOf("ridi.ini"));
    ADD_FAILURE() << "no error";
  } catch (const EAppError& e) {
    EXPECT_EQ(e.text(), "Unable to write to " + PathOf("ridi.ini"));
  }
  EXPECT_TRUE(QFileInfo(PathOf("ridi.ini")).isDir());
}

TEST_F(IniEditSessionTest, MissingFolderFailsAtCommitAndIsNotCreated) {
  const QString path = PathOf("missing/ridi.ini");
  IniEditSession edit(path);
  edit.WriteInteger("Main", "Vis", 1);
  EXPECT_THROW(edit.Commit(), EAppError);
  EXPECT_FALSE(QFileInfo::exists(PathOf("missing")));
}

}  // namespace
