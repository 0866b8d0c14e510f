// The one-read snapshot must answer exactly as IniFile's reads do, whatever
// the file looks like, and must not carry a file's content over to a later
// snapshot.
#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "settings/ini_file.h"
#include "settings/ini_snapshot.h"

namespace {

void WriteBytes(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
  ASSERT_EQ(file.write(bytes), bytes.size());
}

struct Lookup {
  const char* section;
  const char* key;
};

// Files where the first-occurrence, case and damage rules decide the answer.
const char* const kFiles[] = {
    "[Main]\nVolume=20\nFormat=3\n",
    "[main]\nvolume = 7 \n[MAIN]\nVolume=9\nExtra=1\n",
    "[Main]\nVolume=1\nVolume=2\n[Other]\nVolume=3\n",
    "\xEF\xBB\xBF[Main]\r\nVolume=5\r\nName=\"  quoted  \"\r\n",
    "[Main\nVolume=4\n[Main]\nVolume=6\n",
    "Volume=1\n[ Main ]\n; Volume=2\n  Volume  =  0x10\n\n[Empty]\n[Tail]\nLast=end",
    "[Stra\xC3\x9F" "e]\nKey=umlaut\n[Main]\n=novalue\nVolume=\nName=abc\n",
    "[Main]\nVolume=20\n" "[Other]\nJunk\xFF\xFE=1\nKey=2\n",
    "",
};

const Lookup kLookups[] = {
    {"Main", "Volume"}, {"MAIN", "volume"}, {"Main", "Format"}, {"Main", "Extra"},  {"Main", "Name"},
    {"Other", "Volume"}, {"Other", "Key"},  {"Empty", "Any"},   {"Tail", "Last"},   {"STRASSE", "Key"},
    {"Stra\u00DFe", "key"}, {"Main", ""},   {"Missing", "Volume"},
};

TEST(IniSnapshot, AnswersAsIniFileDoes) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const QString path = dir.filePath(QStringLiteral("ridi.ini"));
  for (const char* text : kFiles) {
    SCOPED_TRACE(text);
    ASSERT_NO_FATAL_FAILURE(WriteBytes(path, QByteArray(text)));
    const IniFile file(path);
    const IniSnapshot snapshot(path);
    for (const Lookup& l : kLookups) {
      const QString section = QString::fromUtf8(l.section), key = QString::fromUtf8(l.key);
      SCOPED_TRACE(std::string(l.section) + "/" + l.key);
      EXPECT_EQ(snapshot.HasKey(section, key), file.HasKey(section, key));
      EXPECT_EQ(snapshot.ReadString(section, key, QStringLiteral("def")),
                file.ReadString(section, key, QStringLiteral("def")));
      EXPECT_EQ(snapshot.ReadInteger(section, key, -77), file.ReadInteger(section, key, -77));
      EXPECT_EQ(snapshot.ReadBool(section, key, true), file.ReadBool(section, key, true));
    }
  }
}

TEST(IniSnapshot, HoldsTheFileAsItWasAndANewOneSeesChanges) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const QString path = dir.filePath(QStringLiteral("ridi.ini"));
  const IniSnapshot missing(path);
  EXPECT_EQ(missing.ReadInteger(QStringLiteral("Main"), QStringLiteral("Volume"), 20), 20);

  ASSERT_NO_FATAL_FAILURE(WriteBytes(path, "[Main]\nVolume=5\n"));
  const IniSnapshot before(path);
  IniFile(path).WriteInteger(QStringLiteral("Main"), QStringLiteral("Volume"), 9);
  EXPECT_EQ(before.ReadInteger(QStringLiteral("Main"), QStringLiteral("Volume"), 0), 5);
  EXPECT_EQ(IniSnapshot(path).ReadInteger(QStringLiteral("Main"), QStringLiteral("Volume"), 0), 9);
}

}  // namespace
