// Every caption of every window shows whole at the program's font and at a
// font a quarter larger: the windows are rebuilt at each font, since their
// geometry follows the font they are built with.
#include <gtest/gtest.h>

#include "support/program_font.h"
#include "caption_fit/windows_fixture.h"
#include "support/caption_fit.h"
#include "recording/recording_formats.h"

namespace {

using zovedu_test::ClippedCaptions;
using zovedu_test::Joined;

class CaptionFitTest : public WindowsFixture, public ::testing::WithParamInterface<int> {
 protected:
  void SetUp() override {
    font_ = std::make_unique<zovedu_test::ScopedProgramFont>(GetParam());
    WindowsFixture::SetUp();
  }
  void TearDown() override {
    WindowsFixture::TearDown();
    font_.reset();
  }

  static void ExpectAllFit(QWidget* window) {
    window->show();
    const auto clipped = ClippedCaptions(window);
    EXPECT_TRUE(clipped.empty()) << window->objectName().toStdString() << " at " << GetParam() << " px:\n"
                                 << Joined(clipped);
  }

 private:
  std::unique_ptr<zovedu_test::ScopedProgramFont> font_;
};

TEST_P(CaptionFitTest, AboutBox) { ExpectAllFit(About().get()); }

TEST_P(CaptionFitTest, TagEditor) {
  Tfrmtag dlg(&tagLink, tagReaders, nullptr);
  ExpectAllFit(&dlg);
}

TEST_P(CaptionFitTest, RecordingWizardInEveryMode) {
  Open();
  for (int mode = 0; mode < 4; ++mode) {
    SCOPED_TRACE(mode);
    NewWizard();
    Tfrmwiz& wiz = Start(mode);
    ExpectAllFit(&wiz);
  }
}

TEST_P(CaptionFitTest, NewTaskWizard) {
  TNewTaskWizard wiz(*scheduler, WizardSources());
  ExpectAllFit(&wiz);
}

TEST_P(CaptionFitTest, TaskPropertiesDialog) {
  TTaskItem* task = Task();
  ASSERT_NE(task, nullptr);
  TPropsDlg dlg(*scheduler);
  dlg.LoadFromTask(task);
  ExpectAllFit(&dlg);
}

TEST_P(CaptionFitTest, PropertySheet) {
  TTaskItem* task = Task();
  ASSERT_NE(task, nullptr);
  PropertySheetOptions options;
  options.pages = {TPageType::ptTask, TPageType::ptSchedule, TPageType::ptSettings};
  options.caption = QStringLiteral("Morning Radio Show");
  TaskPropertySheet sheet(*task, options);
  ExpectAllFit(&sheet);
}

TEST_P(CaptionFitTest, OptionsDialog) {
  Open();
  ExpectAllFit(options.get());
}

// Every status line the program shows: the recording's, with each silence
// action and split mode the options allow, and the others.
QStringList StatusTexts() {
  QStringList texts = {QStringLiteral("Idle..."), QStringLiteral("Recording Paused"), QStringLiteral("Playing..."),
                       QStringLiteral("Playing Paused"), QStringLiteral("Waiting for sound...")};
  for (int action = -1; action < 3; ++action)
    for (int split = -1; split <= 1; ++split) {
      StatusChoices c;
      c.dar = action >= 0;
      c.pauseAction = action == 0;
      c.stopAction = action == 1;
      c.newFileAction = action == 2;
      c.splitMode = split;
      texts << RecordingStatusText(c);
    }
  return texts;
}

// The main window with the recordings list and the task list open in turn,
// and every status line.
void ExpectMainWindowFits(Tfrmmain& w) {
  const auto check = [&w](const char* state) {
    const auto clipped = ClippedCaptions(&w);
    EXPECT_TRUE(clipped.empty()) << state << ":\n" << Joined(clipped);
  };
  std::vector<std::string> status;
  for (const QString& text : StatusTexts()) {
    w.lrstatus->setText(text);
    zovedu_test::CheckCaption(w.lrstatus, status);
  }
  EXPECT_TRUE(status.empty()) << "status lines:\n" << Joined(status);
  check("collapsed");
  w.btnreclistClick();
  check("recordings list");
  w.btnscheduleClick();
  EXPECT_GT(w.tasklist->topLevelItemCount(), 0) << "a task to show";
  check("task list");
}

class MainWindowCaptionsTest : public WindowsFixture {};

TEST_F(MainWindowCaptionsTest, ProgramFont) {
  zovedu_test::ScopedProgramFont font(zovedu_test::kBasePixels);
  ExpectMainWindowFits(Open());
}

TEST_F(MainWindowCaptionsTest, QuarterLarger) {
  zovedu_test::ScopedProgramFont font(zovedu_test::kLargePixels);
  ExpectMainWindowFits(Open());
}

INSTANTIATE_TEST_SUITE_P(Fonts, CaptionFitTest,
                         ::testing::Values(zovedu_test::kBasePixels, zovedu_test::kLargePixels),
                         [](const ::testing::TestParamInfo<int>& info) {
                           return info.param == zovedu_test::kBasePixels ? std::string("ProgramFont")
                                                                         : std::string("QuarterLarger");
                         });

}  // namespace
