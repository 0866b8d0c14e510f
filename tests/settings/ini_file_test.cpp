// The settings file: reading, writing, preserving hand-edited content, and
// surviving damaged files.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include "services/app_error.h"
#include "settings/ini_file.h"

namespace {

class IniFileTest : public ::testing::Test {
 protected:
  QString PathOf(const QString& name) const { return dir_.filePath(name); }
  QString Path() const { return PathOf("ridi.ini"); }

  void WriteRaw(const QByteArray& bytes) const {
    QFile f(Path());
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    ASSERT_EQ(f.write(bytes), bytes.size());
  }
  QByteArray ReadRaw() const {
    QFile f(Path());
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
  }

  QTemporaryDir dir_;
  IniFile ini_{Path()};
};

TEST_F(IniFileTest, FirstWritesCreateTheFileWithOneSectionEach) {
  EXPECT_EQ(SettingsFilePath("/home/u/Documents/ridi/"), "/home/u/Documents/ridi/ridi.ini");
  EXPECT_FALSE(QFile::exists(Path()));
  ini_.WriteInteger("DAR", "db", -50);
  ini_.WriteBool("DAR", "Pause", true);
  ini_.WriteString("OutPut", "PresetStr", "Rectest");
  ini_.WriteBool("OutPut", "Datatime", false);
  EXPECT_EQ(ReadRaw(), "[DAR]\ndb=-50\nPause=1\n\n[OutPut]\nPresetStr=Rectest\nDatatime=0\n");

  EXPECT_EQ(ini_.ReadInteger("DAR", "db", 0), -50);
  EXPECT_TRUE(ini_.ReadBool("DAR", "Pause", false));
  EXPECT_EQ(ini_.ReadString("OutPut", "PresetStr", "x"), "Rectest");
  EXPECT_FALSE(ini_.ReadBool("OutPut", "Datatime", true));
  EXPECT_TRUE(ini_.HasKey("dar", "DB"));

  ini_.WriteInteger("DAR", "db", 7);  // changes the value in place
  EXPECT_EQ(ReadRaw(), "[DAR]\ndb=7\nPause=1\n\n[OutPut]\nPresetStr=Rectest\nDatatime=0\n");
}

TEST_F(IniFileTest, AbsentFileSectionOrKeyGivesTheDefault) {
  for (int round = 0; round < 2; ++round) {
    EXPECT_EQ(ini_.ReadString("OutPut", "Folder", "/music/My Recordings/"),
              "/music/My Recordings/");
    EXPECT_EQ(ini_.ReadInteger("Compressor", "Threshold", -10), -10);
    EXPECT_TRUE(ini_.ReadBool("Misc", "MintoTray", true));
    EXPECT_FALSE(ini_.ReadBool("Misc", "Run", false));
    EXPECT_FALSE(ini_.HasKey("keystop", "keyctrl"));
    WriteRaw("[keystop]\nhotkey=38\n[Other]\nkeyctrl=1\n");  // second round: file exists
  }
}

TEST_F(IniFileTest, EveryCallReadsTheFileAgain) {
  WriteRaw("[Main]\nFormat=1\n");
  EXPECT_EQ(ini_.ReadInteger("Main", "Format", 0), 1);
  WriteRaw("[Main]\nFormat=4\n");
  EXPECT_EQ(ini_.ReadInteger("Main", "Format", 0), 4);
  IniFile other(Path());
  other.WriteInteger("Main", "Format", 9);
  EXPECT_EQ(ini_.ReadInteger("Main", "Format", 0), 9);
}

TEST_F(IniFileTest, IntegerAndBoolParsing) {
  struct Case {
    const char* stored;
    int asInteger;  // read with default 77
    bool isInteger;
  };
  const Case cases[] = {
      {"42", 42, true},          {"-5", -5, true},
      {"+7", 7, true},           {"  12  ", 12, true},
      {"\"12\"", 12, true},      {"0x1F", 31, true},
      {"0X10", 16, true},        {"0xffffffff", -1, true},
      {"0", 0, true},            {"-2147483648", INT_MIN, true},
      {"2147483647", INT_MAX, true},
      {"2147483648", 77, false}, {"0x100000000", 77, false},
      {"12abc", 77, false},      {"1.5", 77, false},
      {"abc", 77, false},        {"", 77, false},
      {"0x", 77, false},         {"0xg1", 77, false},
      {"-", 77, false},          {"- 3", 77, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.stored);
    WriteRaw(QByteArray("[S]\nk=") + c.stored + "\n");
    EXPECT_EQ(ini_.ReadInteger("S", "k", 77), c.asInteger);
    if (c.isInteger) {
      EXPECT_EQ(ini_.ReadBool("S", "k", false), c.asInteger != 0);
      EXPECT_EQ(ini_.ReadBool("S", "k", true), c.asInteger != 0);
    } else {
      EXPECT_FALSE(ini_.ReadBool("S", "k", false));
      EXPECT_TRUE(ini_.ReadBool("S", "k", true));
    }
  }
}

TEST_F(IniFileTest, IntegerExtremesRoundTrip) {
  for (int v : {0, 1, -1, INT_MAX, INT_MIN, 275, -100}) {
    ini_.WriteInteger("OGG", "Quality", v);
    EXPECT_EQ(ini_.ReadInteger("OGG", "Quality", 12345), v);
  }
}

TEST_F(IniFileTest, TextsReadBackAsWritten) {
  const QString texts[] = {
      "",
      "Rectest",
      "/home/ü/Musik/My Recordings/",
      "  padded  ",
      "\"quoted\"",
      "\"",
      "a = b ; not a comment",
      "[not a section]",
      "日本語 🎵",
  };
  for (const QString& text : texts) {
    SCOPED_TRACE(text.toStdString());
    ini_.WriteString("OutPut", "PresetStr", text);
    EXPECT_EQ(ini_.ReadString("OutPut", "PresetStr", "default"), text);
  }
  // A line break would split the entry (and could forge other keys).
  ini_.WriteString("OutPut", "PresetStr", "a\n[Main]\r\nFormat=3");
  EXPECT_EQ(ini_.ReadString("OutPut", "PresetStr", ""), "a [Main]  Format=3");
  EXPECT_FALSE(ini_.HasKey("Main", "Format"));
}

TEST_F(IniFileTest, ReadStripsBlanksAndOnePairOfDoubleQuotes) {
  WriteRaw("[S]\n a = \" x y \" \nb=\"\"\"\"\nc=\"open\nd='single'\n\te\t=\tt\t\n");
  EXPECT_EQ(ini_.ReadString("S", "a", "-"), " x y ");
  EXPECT_EQ(ini_.ReadString("S", "b", "-"), "\"\"");
  EXPECT_EQ(ini_.ReadString("S", "c", "-"), "\"open");
  EXPECT_EQ(ini_.ReadString("S", "d", "-"), "'single'");
  EXPECT_EQ(ini_.ReadString("S", "e", "-"), "t");
}

TEST_F(IniFileTest, TextsAreCutAt2047Characters) {
  const QString ascii(3000, u'a');
  ini_.WriteString("S", "k", ascii);
  EXPECT_EQ(ini_.ReadString("S", "k", ""), ascii.left(2047));

  const QString exact(2047, u'é');
  ini_.WriteString("S", "k", exact);
  EXPECT_EQ(ini_.ReadString("S", "k", ""), exact);

  // A character outside the basic plane is never cut in half.
  const QString tail = QString(2046, u'a') + QString::fromUtf8("🎵") + "b";
  ini_.WriteString("S", "k", tail);
  EXPECT_EQ(ini_.ReadString("S", "k", ""), QString(2046, u'a'));
}

TEST_F(IniFileTest, NamesAreCaseInsensitiveAndTheFirstOccurrenceWins) {
  WriteRaw("[main]\nFORMAT=1\nformat=2\n[MAIN]\nformat=3\nvis=4\n[Ä]\nÖ=5\n");
  EXPECT_EQ(ini_.ReadInteger("Main", "Format", 0), 1);
  // Only the first section of a name counts, also for keys it lacks.
  EXPECT_FALSE(ini_.HasKey("Main", "Vis"));
  EXPECT_EQ(ini_.ReadInteger("ä", "ö", 0), 5);

  ini_.WriteInteger("Main", "Format", 8);
  ini_.WriteInteger("Main", "Vis", 0);
  EXPECT_EQ(ReadRaw(), "[main]\nFORMAT=8\nformat=2\nVis=0\n[MAIN]\nformat=3\nvis=4\n[Ä]\nÖ=5\n");
  EXPECT_EQ(ini_.ReadInteger("main", "vis", 9), 0);
}

TEST_F(IniFileTest, WritesKeepEveryOtherLineOfAHandWrittenFile) {
  const QByteArray original =
      "; Zovedu settings, edited by hand\n"
      "orphan=before any section\n"
      "\n"
      "  [ DAR ]   ; silence\n"
      "db  =  -40   \n"
      "; a comment inside\n"
      "unknownKey = keep me\n"
      "no equals sign here\n"
      "\n"
      "\n"
      "[Plugins]\n"
      "Path=\"C:\\old\\path\"\n"
      "\t\n"
      "[OutPut]\n"
      "Folder=/music/\n"
      "Preset=1";  // no line break at the end
  WriteRaw(original);

  ini_.WriteInteger("DAR", "db", -55);        // existing key, odd spacing
  ini_.WriteBool("DAR", "New", true);         // new key, section with trailing blanks
  ini_.WriteString("OutPut", "PresetStr", "Take");  // new key after an unfinished last line
  ini_.WriteInteger("Main", "Format", 3);     // new section

  const QByteArray expected =
      "; Zovedu settings, edited by hand\n"
      "orphan=before any section\n"
      "\n"
      "  [ DAR ]   ; silence\n"
      "db  =  -55   \n"
      "; a comment inside\n"
      "unknownKey = keep me\n"
      "no equals sign here\n"
      "New=1\n"
      "\n"
      "\n"
      "[Plugins]\n"
      "Path=\"C:\\old\\path\"\n"
      "\t\n"
      "[OutPut]\n"
      "Folder=/music/\n"
      "Preset=1\n"
      "PresetStr=Take\n"
      "\n"
      "[Main]\n"
      "Format=3\n";
  EXPECT_EQ(ReadRaw(), expected);
  EXPECT_EQ(ini_.ReadInteger("DAR", "db", 0), -55);
  EXPECT_EQ(ini_.ReadString("DAR", "unknownKey", ""), "keep me");
  EXPECT_FALSE(ini_.HasKey("DAR", "orphan"));
  EXPECT_FALSE(ini_.HasKey("DAR", "; a comment inside"));
  EXPECT_EQ(ini_.ReadString("Plugins", "Path", ""), "C:\\old\\path");
}

TEST_F(IniFileTest, NewLinesFollowTheFilesLineBreaks) {
  WriteRaw("\xEF\xBB\xBF[DAR]\r\ndb=-50\r\n");
  EXPECT_EQ(ini_.ReadInteger("DAR", "db", 0), -50);  // the byte order mark is no part of the name
  ini_.WriteInteger("DAR", "db", -20);
  ini_.WriteInteger("DAR", "Slient", 3);
  ini_.WriteBool("Misc", "Run", false);
  EXPECT_EQ(ReadRaw(), "\xEF\xBB\xBF[DAR]\r\ndb=-20\r\nSlient=3\r\n\r\n[Misc]\r\nRun=0\r\n");
}

TEST_F(IniFileTest, HeaderWithoutClosingBracketIsNoHeader) {
  WriteRaw("[DAR]\ndb=-10\n[Main\nFormat=3\n");
  // "[Main" opens nothing: the key after it still belongs to "DAR".
  EXPECT_FALSE(ini_.HasKey("Main", "Format"));
  EXPECT_FALSE(ini_.HasKey("[Main", "Format"));
  EXPECT_EQ(ini_.ReadInteger("DAR", "Format", 0), 3);

  ini_.WriteInteger("Main", "Format", 5);
  EXPECT_EQ(ReadRaw(), "[DAR]\ndb=-10\n[Main\nFormat=3\n\n[Main]\nFormat=5\n");
  EXPECT_EQ(ini_.ReadInteger("Main", "Format", 0), 5);
}

TEST_F(IniFileTest, BinaryGarbageYieldsDefaultsAndSurvivesWrites) {
  QByteArray garbage(64 * 1024, '\0');
  QRandomGenerator rng(20240609);
  for (char& c : garbage) c = char(rng.bounded(256));
  garbage[100] = '\0';
  const QByteArray damagedValue("\0\x01\x02", 3);
  const QByteArray original =
      garbage + "\n[Main]\nFormat=" + damagedValue + "\nVis=2\n" + garbage;
  WriteRaw(original);

  EXPECT_EQ(ini_.ReadInteger("Main", "Format", 6), 6);
  EXPECT_EQ(ini_.ReadInteger("Main", "Vis", 0), 2);
  EXPECT_EQ(ini_.ReadString("Main", "List", "none"), "none");

  ini_.WriteInteger("Main", "Vis", 1);
  QByteArray expected = original;
  expected.replace("Vis=2", "Vis=1");
  EXPECT_EQ(ReadRaw(), expected);
}

TEST_F(IniFileTest, TenMegabyteLinesAreReadWithoutStalling) {
  const QByteArray huge(10 * 1024 * 1024, 'x');
  const QByteArray original = "[" + huge + "\n[Main]\n" + huge + "\nlong=" + huge +
                              "\nFormat=3\n[" + huge + "]\n" + huge + "=1\n";
  WriteRaw(original);

  for (int i = 0; i < 5; ++i) EXPECT_EQ(ini_.ReadInteger("Main", "Format", 0), 3);
  EXPECT_EQ(ini_.ReadString("Main", "long", ""), QString(2047, u'x'));
  EXPECT_FALSE(ini_.HasKey("Main", "Vis"));
  EXPECT_EQ(ini_.ReadInteger("Main", QString(huge), 7), 7);

  ini_.WriteInteger("Main", "Vis", 2);
  EXPECT_EQ(ini_.ReadInteger("Main", "Vis", 0), 2);
  QByteArray expected = original;
  expected.replace("Format=3\n", "Format=3\nVis=2\n");
  EXPECT_TRUE(ReadRaw() == expected);
}

TEST_F(IniFileTest, FailedWriteNamesTheFile) {
  // A regular file where the folder should be: fails even for root.
  QFile blocker(PathOf("blocker"));
  ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
  blocker.close();
  const QString insideFile = PathOf("blocker/ridi.ini");
  const QString missingFolder = PathOf("missing/ridi.ini");
  for (const QString& path : {insideFile, missingFolder}) {
    IniFile ini(path);
    try {
      ini.WriteInteger("Main", "Format", 1);
      ADD_FAILURE() << "no error for " << path.toStdString();
    } catch (const EAppError& e) {
      EXPECT_EQ(e.text(), "Unable to write to " + path);
    }
  }
  EXPECT_FALSE(QFileInfo::exists(PathOf("missing")));  // the folder is not created
}

TEST_F(IniFileTest, WritesReplaceTheFileWholeAndLeaveNoTemporaryFiles) {
  WriteRaw("[Main]\nFormat=1\n");
  QFile before(Path());
  ASSERT_TRUE(before.open(QIODevice::ReadOnly));

  for (int i = 0; i < 20; ++i) ini_.WriteInteger("Main", "Vis", i);

  // A reader that opened the old file still sees all of it: the new content
  // came in by rename, not by rewriting the old file in place.
  EXPECT_EQ(before.readAll(), "[Main]\nFormat=1\n");
  EXPECT_EQ(ReadRaw(), "[Main]\nFormat=1\nVis=19\n");
  EXPECT_EQ(QDir(dir_.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
            QStringList{"ridi.ini"});
}

}  // namespace
