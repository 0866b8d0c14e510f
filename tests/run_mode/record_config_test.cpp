// The task file: its text and key order, the free name it takes beside
// existing ones, and reading it back key by key.
#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "schedule/record_config.h"
#include "services/app_error.h"

namespace {

QByteArray Read(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void Write(const QString& path, const QByteArray& text) {
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write(text);
}

TEST(RecordConfig, WritesKeysInOrderAndNeverReplacesAnExistingFile) {
  QTemporaryDir dir;
  schedule::RecordConfig c;
  c.outName = dir.filePath("Mañana show.mp3");
  c.outFormat = 1;
  c.source = 2;
  c.volume = 0;
  c.stopTime = 60;
  const QString first = schedule::WriteRecordConfig(c);
  EXPECT_EQ(first, dir.filePath("Record.cfg"));
  EXPECT_EQ(Read(first), ("[Record]\nOutName=" + c.outName + "\nOutFormat=1\nSource=2\nVolume=0\nStoptime=60\n").toUtf8());

  // Record1.cfg is taken by someone else: the next is Record2.cfg, and
  // neither earlier file changes.
  Write(dir.filePath("Record1.cfg"), "theirs");
  c.additionalTask = true;
  c.app = "/usr/bin/x-www-browser";
  c.par = "https://example.org/a b";
  EXPECT_EQ(schedule::WriteRecordConfig(c), dir.filePath("Record2.cfg"));
  EXPECT_TRUE(Read(dir.filePath("Record2.cfg")).endsWith("Stoptime=60\napp=/usr/bin/x-www-browser\npar=https://example.org/a b\n"));
  EXPECT_EQ(Read(dir.filePath("Record1.cfg")), "theirs");
  EXPECT_TRUE(Read(first).startsWith("[Record]\nOutName="));

  c.outName = dir.filePath("missing/x.mp3");
  EXPECT_THROW(schedule::WriteRecordConfig(c), EAppError);
}

TEST(RecordConfig, ReadsEachKeyOnItsOwn) {
  struct Case {
    const char* text;
    int format, source, volume, stop;
    const char* outName;
  };
  const Case cases[] = {
      {"OutName=/m/a.wav\nOutFormat=3\nSource=1\nVolume=0\nStoptime=5\n", 3, 1, 0, 5, "/m/a.wav"},
      {"OutName=/m/a.wav\nOutFormat=x\nSource=1\nVolume=40\n", -1, 1, 40, 0, "/m/a.wav"},
      {"OutFormat=2\nSource=\nVolume=101\nStoptime=-4\n", 2, -1, 101, -4, ""},
      {"Source=0\n", -1, 0, -1, 0, ""},
  };
  QTemporaryDir dir;
  for (const Case& k : cases) {
    const QString path = dir.filePath("t.cfg");
    Write(path, QByteArray("[Record]\n") + k.text);
    bool opened = false;
    const schedule::RecordConfig c = schedule::ReadRecordConfig(path, &opened);
    EXPECT_TRUE(opened);
    EXPECT_EQ(c.outName, k.outName) << k.text;
    EXPECT_EQ(c.outFormat, k.format) << k.text;
    EXPECT_EQ(c.source, k.source) << k.text;
    EXPECT_EQ(c.volume, k.volume) << k.text;
    EXPECT_EQ(c.stopTime, k.stop) << k.text;
  }
  bool opened = true;
  schedule::ReadRecordConfig(dir.filePath("none.cfg"), &opened);
  EXPECT_FALSE(opened);
}

TEST(RecordConfig, ValidValues) {
  EXPECT_EQ(schedule::ValidIndex(0, 11), 0);
  EXPECT_EQ(schedule::ValidIndex(11, 11), std::nullopt);
  EXPECT_EQ(schedule::ValidIndex(-1, 11), std::nullopt);
  EXPECT_EQ(schedule::ValidVolume(0), 0);
  EXPECT_EQ(schedule::ValidVolume(100), 100);
  EXPECT_EQ(schedule::ValidVolume(101), std::nullopt);
  EXPECT_EQ(schedule::ValidStopTime(0), std::nullopt);
  EXPECT_EQ(schedule::ValidStopTime(1), 1);
}

}  // namespace
