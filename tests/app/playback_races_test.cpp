// Playback against its own threads: many plays in quick succession, and a
// close while a long file is still being scanned. Also built with the
// address sanitizer (tests/app_races).
#include <gtest/gtest.h>

#include <QFile>
#include <QTreeWidget>
#include <cstdint>

#include "app/scan_thread.h"
#include "library/recording_list.h"
#include "recording_window_fixture.h"

namespace {

// A WAV file of `seconds` of a quiet square wave, 8000 Hz mono 16-bit.
void WriteLongWav(const QString& path, int seconds) {
  const std::uint32_t frames = 8000u * static_cast<std::uint32_t>(seconds), data = frames * 2;
  QByteArray bytes;
  auto put = [&bytes](std::uint32_t v, int n) {
    for (int i = 0; i < n; ++i) bytes.append(static_cast<char>(v >> (8 * i)));
  };
  bytes.append("RIFF");
  put(36 + data, 4);
  bytes.append("WAVEfmt ");
  put(16, 4), put(1, 2), put(1, 2), put(8000, 4), put(16000, 4), put(2, 2), put(16, 2);
  bytes.append("data");
  put(data, 4);
  for (std::uint32_t i = 0; i < frames; ++i) put((i / 40) % 2 ? 2000u : static_cast<std::uint16_t>(-2000), 2);
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write(bytes);
}

}  // namespace

class PlaybackRaces : public RecordingWindowTest {
 protected:
  void ListFile(const QString& name, const char* length) {
    const QString work = Tfrmmain().FWorkFolder;
    QFile f(RecordingListPath(work));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write((name + "|" + length + "|1 MB|WAV|" + out.path() + "/\n").toUtf8());
  }
};

TEST_F(PlaybackRaces, TwentyQuickPlaysEachStartAfresh) {
  ASSERT_NO_FATAL_FAILURE(WriteLongWav(out.filePath("take.wav"), 30));
  ASSERT_NO_FATAL_FAILURE(ListFile("take.wav", "00:00:30"));
  Tfrmmain& w = Open();
  ASSERT_EQ(w.Reclist->topLevelItemCount(), 1);
  w.Reclist->topLevelItem(0)->setSelected(true);
  for (int i = 0; i < 20; ++i) {
    w.ReclistDblClick();
    ASSERT_NE(w.FPlayStream, 0u) << i << messages.texts().join("|").toStdString();
    backend->pump(static_cast<size_t>(441 * (i % 4)), 441);
    w.FFTTimerTimer();
    Deliver();
  }
  EXPECT_TRUE(messages.shown.empty()) << messages.texts().join("|").toStdString();
  // The last scan draws its own file: the tone fills the bar's columns.
  ASSERT_TRUE(zovedu_test::WaitUntil([&] { return w.FScan && w.FScan->finished(); }));
  EXPECT_GT(w.FScan->levels().left(w.PB->width() - 1), 0);
  w.btnstopClick();
  EXPECT_EQ(w.FPlayStream, 0u);
}

TEST_F(PlaybackRaces, ClosingDuringALongScanEndsIt) {
  ASSERT_NO_FATAL_FAILURE(WriteLongWav(out.filePath("long.wav"), 1200));
  ASSERT_NO_FATAL_FAILURE(ListFile("long.wav", "00:20:00"));
  Tfrmmain& w = Open();
  w.Reclist->topLevelItem(0)->setSelected(true);
  w.ReclistDblClick();
  ASSERT_NE(w.FPlayStream, 0u);
  EXPECT_TRUE(w.close());
  EXPECT_EQ(w.FPlayStream, 0u);
  EXPECT_FALSE(w.FScan);
}
