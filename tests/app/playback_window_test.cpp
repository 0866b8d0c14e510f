// The recordings list and playback in the window, on the virtual backend:
// the list file, a finished recording's row, the list's controls, and a
// recording played with its waveform, pause, seek and end.
#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QFile>
#include <QPushButton>
#include <QTreeWidget>

#include "app/scan_thread.h"
#include "dialogs/tfrmtag.h"
#include "support/program_run.h"
#include "tags/id3v2.h"
#include "library/recording_list.h"
#include "services/platform_info.h"
#include "recording_window_fixture.h"

class PlaybackWindowTest : public RecordingWindowTest {
 protected:
  // The list file the next window reads, in the work folder it will use.
  void WriteListFile(const QByteArray& text) {
    const QString work = Tfrmmain().FWorkFolder;
    QFile f(RecordingListPath(work));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(text);
  }
  QStringList Names() const {
    QStringList names;
    for (int i = 0; i < window->Reclist->topLevelItemCount(); ++i) names << window->Reclist->topLevelItem(i)->text(0);
    return names;
  }
  void Select(std::initializer_list<int> rows) {
    window->Reclist->clearSelection();
    for (int r : rows) window->Reclist->topLevelItem(r)->setSelected(true);
  }
  // Runs the window's queued calls (the end of a playback comes that way).
  bool WaitForIdle() {
    return zovedu_test::WaitUntil([&] {
      backend->pump(4410, 441);
      Deliver();
      return window->FPlayStream == 0;
    });
  }
};

TEST_F(PlaybackWindowTest, ListFileRowsAreSortedCheckedAndSavedBack) {
  const QString folder = out.path() + "/";
  for (const char* name : {"b.wav", "a.mp3", "Don't.mp3"}) {
    QFile f(folder + name);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  }
  WriteListFile(("b.wav|00:00:03|516 KB|WAV|" + folder + "\r\n" +      // CR LF
                 "gone.wav|00:00:01|1 KB|WAV|" + folder + "\n" +       // no such file
                 "a.mp3||10 KB|MP3|" + folder + "\n" +                 // an empty field
                 "a.mp3|00:00:01|10 KB|MP3|" + folder + "\n" +
                 "Don't.mp3|00:00:02|20 KB|MP3|" + folder + "\n")      // the quote rule fails: split plainly
                    .toUtf8());
  Tfrmmain& w = Open();
  // By Name, ASCII letters folded.
  EXPECT_EQ(Names(), (QStringList{"a.mp3", "b.wav", "Don't.mp3"}));

  Select({1, 2});
  w.ReclistClick();
  EXPECT_FALSE(w.btnplay->isEnabled());
  EXPECT_FALSE(w.btngoto->isEnabled());
  EXPECT_TRUE(w.btndel->isEnabled() && w.menucopy->isEnabled() && w.menuclear->isEnabled());
  EXPECT_EQ(w.menumail->isVisible(), !w.FVistaOrLater);
  Select({0});
  w.ReclistClick();
  EXPECT_TRUE(w.btnplay->isEnabled() && w.btngoto->isEnabled());
  EXPECT_TRUE(w.btntagedit->isEnabled());  // MP3 has tags
  Select({1});
  w.ReclistClick();
  EXPECT_FALSE(w.btntagedit->isEnabled());  // WAV has none

  // Sorting by Type, then deleting: the list file follows at once.
  w.ReclistColumnClick(3);
  EXPECT_EQ(Names(), (QStringList{"a.mp3", "Don't.mp3", "b.wav"}));
  Select({1});
  w.menudelClick();
  EXPECT_EQ(Names(), (QStringList{"a.mp3", "b.wav"}));
  QFile saved(RecordingListPath(w.FWorkFolder));
  ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
  EXPECT_EQ(saved.readAll(), ("a.mp3|00:00:01|10 KB|MP3|" + folder + "\r\nb.wav|00:00:03|516 KB|WAV|" + folder + "\r\n").toUtf8());

  // Mail is offered only with the older device model.
  EXPECT_FALSE(w.menumail->isVisible());
  PlatformInfo::setVersionForTesting({5, 1});
  Tfrmmain& older = Open();
  Select({0});
  older.ReclistClick();
  EXPECT_TRUE(older.menumail->isVisible() && older.menumail->isEnabled());

  messages.answer(MsgAnswer::Yes);
  older.menuclearClick();
  EXPECT_EQ(messages.texts().last(), "Are you sure clear record file list?");
  EXPECT_EQ(older.Reclist->topLevelItemCount(), 0);
}

TEST_F(PlaybackWindowTest, AStoppedRecordingIsListedAndPlayed) {
  Tfrmmain& w = Open();
  options->cplay->setChecked(true);
  EXPECT_FALSE(w.greclist->isVisible());
  w.btnrecClick();
  for (int i = 0; i < 3; ++i) Second();
  w.btnstopClick();

  ASSERT_EQ(Names(), QStringList{"Rectest-01.wav"});
  const QTreeWidgetItem* row = w.Reclist->topLevelItem(0);
  EXPECT_EQ(row->text(1), "00:00:03");
  EXPECT_EQ(row->text(3), "WAV");
  EXPECT_EQ(row->text(4), out.path() + "/");
  EXPECT_TRUE(row->isSelected());
  EXPECT_TRUE(w.greclist->isVisible());  // a finished recording opens the list

  // Played at once: a 3 s file gets 20 ms per column, 150 columns.
  ASSERT_NE(w.FPlayStream, 0u) << messages.texts().join("|").toStdString();
  EXPECT_EQ(w.lformatinfo->text(), "WAV freq:44100 Hz Channel:2");
  EXPECT_EQ(w.lrname->text(), "Rectest-01.wav");
  EXPECT_EQ(w.FBytesPerPixel, 882u * 4);
  EXPECT_TRUE(w.PaintFrame->isVisible());
  ASSERT_TRUE(zovedu_test::WaitUntil([&] { return w.FScan && w.FScan->finished(); }));
  int columns = 0;
  for (int i = 0; i < w.FScan->levels().columns(); ++i) columns += w.FScan->levels().left(i) != 0;
  EXPECT_NEAR(columns, 149, 1);  // column 0 stays empty

  // The marker's time sits right of it, and left of it near the bar's end.
  struct {
    int column;
    const char* time;
    int textFrom, textTo;
  } markers[] = {{100, "00:00:02", 102, 160}, {280, "00:00:05", 222, 278}};
  for (const auto& m : markers) {
    w.DrawWaveform();
    w.DrawPlayPosition(0, Qt::white, static_cast<zaudio::QWORD>(m.column) * w.FBytesPerPixel);
    EXPECT_EQ(w.FPlayedPixel, m.column);
    EXPECT_EQ(w.lrlength->text(), m.time);
    int inside = 0, outside = 0;
    for (int x = 0; x < w.PB->width(); ++x)
      for (int y = 0; y < 12; ++y)
        if (x != m.column && w.FWaveBitmap.pixelColor(x, y) == QColor(Qt::white)) {
          if (x >= m.textFrom && x <= m.textTo) ++inside;
          if (x < m.textFrom) ++outside;  // the text never starts before its place
        }
    EXPECT_GT(inside, 10) << m.column;
    EXPECT_EQ(outside, 0) << m.column;
  }

  w.btnpauseClick();
  EXPECT_EQ(w.lrstatus->text(), "Playing Paused");
  EXPECT_EQ(w.btnpause->toolTip(), "Resume Playing");
  w.btnpauseClick();
  EXPECT_EQ(w.lrstatus->text(), "Playing...");
  EXPECT_EQ(w.btnpause->toolTip(), "Pasue Playing");

  // Recording asks first; No keeps playing.
  messages.answer(MsgAnswer::No);
  w.btnrecClick();
  EXPECT_EQ(messages.texts().last(), "Now Playing,Stop playing to record?");
  EXPECT_NE(w.FPlayStream, 0u);
  EXPECT_EQ(w.FRecordChannel, 0u);

  ASSERT_TRUE(WaitForIdle());
  EXPECT_EQ(w.lrstatus->text(), "Idle...");
  EXPECT_FALSE(w.PaintFrame->isVisible());
}

TEST_F(PlaybackWindowTest, AMissingOrBrokenFileSaysSoAndPlaysNothing) {
  const QString folder = out.path() + "/";
  QFile broken(folder + "broken.mp3");
  ASSERT_TRUE(broken.open(QIODevice::WriteOnly));
  broken.write(QByteArray(4096, 'x'));
  broken.close();
  WriteListFile(("broken.mp3|00:00:01|4 KB|MP3|" + folder + "\n").toUtf8());
  Tfrmmain& w = Open();
  Select({0});
  w.ReclistDblClick();
  EXPECT_EQ(messages.texts(), QStringList{"Error creating stream!"});
  EXPECT_EQ(w.FPlayStream, 0u);
  QFile::remove(folder + "broken.mp3");
  w.ReclistDblClick();
  EXPECT_EQ(messages.texts().last(), "Not Find " + folder + "broken.mp3");
}

TEST_F(PlaybackWindowTest, AStopForTerminationListsTheFileButPlaysNothing) {
  Tfrmmain& w = Open();
  options->cplay->setChecked(true);
  w.btnrecClick();
  Second();
  w.CloseWithoutAsking();
  EXPECT_EQ(w.FRecordChannel, 0u);
  EXPECT_EQ(w.FPlayStream, 0u);
  EXPECT_FALSE(w.lformatinfo->text().contains("freq:")) << "the file was opened for playing";
  QFile saved(RecordingListPath(w.FWorkFolder));
  ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
  EXPECT_TRUE(saved.readAll().startsWith("Rectest-01.wav|00:00:01|"));
}

// Edit Tag opens the tag editor on the selected entry's file, and is off for
// the file being recorded.
TEST_F(PlaybackWindowTest, EditTagOpensTheEditorButNotForTheFileBeingRecorded) {
  const QString folder = out.path() + "/";
  const auto lame = zovedu_test::RunProgram(
      "/usr/bin/sox", {"-n", "-r", "44100", "-c", "1", (folder + "t.wav").toStdString(), "synth", "1", "sine", "440"});
  ASSERT_EQ(lame.exitCode, 0) << lame.describe();
  const auto mp3 = zovedu_test::RunProgram(
      "/usr/bin/lame", {"--quiet", (folder + "t.wav").toStdString(), (folder + "song.mp3").toStdString()});
  ASSERT_EQ(mp3.exitCode, 0) << mp3.describe();
  // The file the next recording overwrites is listed too (as MP3, whose
  // Edit Tag is otherwise on).
  QFile listed(folder + "Rectest-01.wav");
  ASSERT_TRUE(listed.open(QIODevice::WriteOnly));
  listed.close();
  WriteListFile(("song.mp3|00:00:01|16 KB|MP3|" + folder + "\n" + "Rectest-01.wav|00:00:01|1 KB|MP3|" + folder + "\n")
                    .toUtf8());
  Tfrmmain& w = Open();
  ASSERT_EQ(Names(), (QStringList{"Rectest-01.wav", "song.mp3"}));

  Select({1});
  w.ReclistClick();
  ASSERT_TRUE(w.btntagedit->isEnabled());
  QString caption;
  w.TagDialog()->showModal = [&] {
    caption = w.TagDialog()->windowTitle();
    w.TagDialog()->cid3v2->setChecked(true);
    w.TagDialog()->etit->setText("From the list");
    w.TagDialog()->btntag->click();
    return int(QDialog::Accepted);
  };
  w.btntagedit->click();
  EXPECT_EQ(caption, "Tag Editor song.mp3");
  tags::TID3v2 id3;
  ASSERT_TRUE(id3.LoadTags((folder + "song.mp3").toStdString()));
  EXPECT_EQ(id3.Title, "From the list");

  Select({0});
  w.ReclistClick();
  EXPECT_TRUE(w.btntagedit->isEnabled());
  messages.answer(MsgAnswer::Yes);  // overwrite it
  w.btnrecClick();
  Second();
  ASSERT_NE(w.FRecordChannel, 0u);
  EXPECT_FALSE(w.btntagedit->isEnabled());
  EXPECT_FALSE(w.menutag->isEnabled());
  caption.clear();
  w.menutag->trigger();  // even when reached some other way
  EXPECT_TRUE(caption.isEmpty());
  w.btnstopClick();
  Select({0});
  w.ReclistClick();
  EXPECT_TRUE(w.btntagedit->isEnabled());
}

// Playing shows the output's volume on the slider; the capture device keeps
// its own level, on the device and in the server.
TEST_F(PlaybackWindowTest, PlayingNeverChangesTheCaptureLevel) {
  Tfrmmain& w = Open();
  options->cplay->setChecked(true);
  w.Cvolume->setValue(100);
  ASSERT_TRUE(zaudio::SetVolume(0.4f));
  float before = -1;
  zaudio::RecordGetInput(0, &before);
  ASSERT_FLOAT_EQ(before, 1.0f);
  w.btnrecClick();
  Second();
  w.btnstopClick();
  ASSERT_NE(w.FPlayStream, 0u) << messages.texts().join("|").toStdString();
  EXPECT_EQ(w.Cvolume->value(), 40);
  EXPECT_EQ(w.lvol->text(), "Vol:40");
  float after = -1;
  zaudio::RecordGetInput(0, &after);
  EXPECT_FLOAT_EQ(after, 1.0f);
  EXPECT_FLOAT_EQ(backend->captureDeviceState()[0].inputs[0].volume, 1.0f);
  EXPECT_NEAR(zaudio::GetVolume(), 0.4f, 0.001f);
  ASSERT_TRUE(WaitForIdle());
}

// A recording that ends while the window is hidden in the tray leaves the
// open recordings list open, and so does the next start.
TEST_F(PlaybackWindowTest, AStopWhileHiddenKeepsTheOpenList) {
  Tfrmmain& w = Open();
  w.btnreclistClick();
  ASSERT_EQ(w.OpenListPanel(), 1);
  w.hide();
  w.btnrecClick();
  Second();
  w.btnstopClick();
  EXPECT_EQ(w.OpenListPanel(), 1);
  EXPECT_TRUE(w.greclist->isVisibleTo(&w));
  w.SaveMainSettings();
  EXPECT_EQ(IniFile(SettingsFilePath(w.FWorkFolder)).ReadInteger("Main", "List", -1), 1);
}

// A list file that cannot be read is said at the start and never replaced
// by this session's list; once it can be read again, the session's
// recordings are added to what it holds.
TEST_F(PlaybackWindowTest, AListFileThatCannotBeReadIsNeverReplaced) {
  const QString work = Tfrmmain().FWorkFolder;
  const QString list = RecordingListPath(work);
  ASSERT_TRUE(QFile::link(list, list));  // a link to itself: opening fails
  Tfrmmain& w = Open();
  ASSERT_EQ(messages.texts().size(), 1);
  EXPECT_TRUE(messages.texts()[0].startsWith("The recordings list " + list + " cannot be read"))
      << messages.texts()[0].toStdString();
  w.btnrecClick();
  Second();
  w.btnstopClick();
  ASSERT_EQ(Names(), QStringList{"Rectest-01.wav"});
  EXPECT_TRUE(QFileInfo(list).isSymLink()) << "the unreadable list was replaced";

  // Readable again, with an earlier entry: both are kept.
  QFile::remove(list);
  QFile earlier(out.path() + "/earlier.wav");
  ASSERT_TRUE(earlier.open(QIODevice::WriteOnly));
  earlier.close();
  QFile readable(list);
  ASSERT_TRUE(readable.open(QIODevice::WriteOnly));
  readable.write(("earlier.wav|00:00:05|1 KB|WAV|" + out.path() + "/\r\n").toUtf8());
  readable.close();
  w.close();
  QFile saved(list);
  ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
  const QByteArray text = saved.readAll();
  EXPECT_TRUE(text.startsWith("Rectest-01.wav|") || text.startsWith("earlier.wav|")) << text.toStdString();
  EXPECT_TRUE(text.contains("earlier.wav|00:00:05|1 KB|WAV|")) << text.toStdString();
  EXPECT_TRUE(text.contains("Rectest-01.wav|00:00:01|")) << text.toStdString();
  EXPECT_EQ(text.count("\r\n"), 2) << "lines end with CR LF";
}
