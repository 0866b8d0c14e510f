// Pictures of every window and page at the program's font, saved as PNG into
// the folder ZOVEDU_SCREENSHOTS names (skipped when it is not set):
// main window idle and recording with its lists, about box, tag editor, the
// options dialog's pages, the recording wizard's pages, the new-task
// wizard's pages, the task dialogs.
#include <gtest/gtest.h>

#include <QDir>
#include <QPixmap>
#include <QStackedWidget>

#include "support/program_font.h"
#include "caption_fit/windows_fixture.h"

namespace {

class ScreenshotsTest : public WindowsFixture {
 protected:
  void SetUp() override {
    folder_ = qEnvironmentVariable("ZOVEDU_SCREENSHOTS");
    if (folder_.isEmpty()) GTEST_SKIP() << "set ZOVEDU_SCREENSHOTS to a folder to save the windows' pictures";
    ASSERT_TRUE(QDir().mkpath(folder_));
    font_ = std::make_unique<zovedu_test::ScopedProgramFont>(zovedu_test::kBasePixels);
    WindowsFixture::SetUp();
  }
  void TearDown() override {
    if (!font_) return;
    WindowsFixture::TearDown();
    font_.reset();
  }

  void Save(QWidget* w, const QString& name) {
    w->show();
    QCoreApplication::processEvents();
    const QString path = QDir(folder_).filePath(name + QStringLiteral(".png"));
    const QPixmap picture = w->grab();
    ASSERT_FALSE(picture.isNull()) << name.toStdString();
    EXPECT_TRUE(picture.save(path)) << path.toStdString();
  }

  // Each page of the stack in turn, named base-1, base-2, ...
  void SavePages(QWidget* w, QStackedWidget* pages, const QString& base) {
    for (int i = 0; i < pages->count(); ++i) {
      pages->setCurrentIndex(i);
      Save(w, base + QStringLiteral("-%1").arg(i + 1));
    }
  }

  // A second of the default microphone's tone, then the window's timers.
  void RecordSecond() {
    backend->pump(48000, 480);
    window->RectimerTimer();
    for (int i = 0; i < 5; ++i) window->FFTTimerTimer();
  }

 private:
  QString folder_;
  std::unique_ptr<zovedu_test::ScopedProgramFont> font_;
};

TEST_F(ScreenshotsTest, MainWindow) {
  Tfrmmain& w = Open();
  Save(&w, QStringLiteral("main-window-idle"));
  w.btnrecClick();
  for (int i = 0; i < 3; ++i) RecordSecond();
  Save(&w, QStringLiteral("main-window-recording"));
  w.btnreclistClick();
  RecordSecond();
  Save(&w, QStringLiteral("main-window-recording-list"));
  w.btnscheduleClick();
  Save(&w, QStringLiteral("main-window-scheduler"));
  w.btnstopClick();
}

TEST_F(ScreenshotsTest, Dialogs) {
  Save(About().get(), QStringLiteral("about"));
  Tfrmtag tag(&tagLink, tagReaders, nullptr);
  Save(&tag, QStringLiteral("tag-editor"));
}

TEST_F(ScreenshotsTest, OptionsDialog) {
  Open();
  for (int page = 0; page < 15; ++page) {
    options->ShowPage(page);
    Save(options.get(), QStringLiteral("options-%1").arg(page + 1, 2, 10, QLatin1Char('0')));
  }
}

TEST_F(ScreenshotsTest, RecordingWizard) {
  Open();
  Tfrmwiz& wiz = Start(2);
  Save(&wiz, QStringLiteral("recording-wizard-1"));
  for (int page = 2; page <= 4; ++page) {
    wiz.NextPage();
    Save(&wiz, QStringLiteral("recording-wizard-%1").arg(page));
  }
}

TEST_F(ScreenshotsTest, TaskDialogs) {
  TNewTaskWizard wiz(*scheduler, WizardSources());
  auto* pages = wiz.findChild<QStackedWidget*>();
  ASSERT_NE(pages, nullptr);
  SavePages(&wiz, pages, QStringLiteral("new-task-wizard"));
  TTaskItem* task = Task();
  ASSERT_NE(task, nullptr);
  TPropsDlg props(*scheduler);
  props.LoadFromTask(task);
  for (int i = 0; i < props.PageControl1->count(); ++i) {
    props.PageControl1->setCurrentIndex(i);
    Save(&props, QStringLiteral("task-properties-%1").arg(i + 1));
  }
}

}  // namespace
