// The main window's hotkeys with real X keys on the virtual audio backend:
// start, pause and stop; "Enable Hot Key" off; refusals at the first showing
// and after a change in the options; and hotkeys waiting for a modal window
// or an action still running.
#include <X11/keysym.h>
#include <xcb/xcb.h>

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QMessageBox>
#include <functional>

#include "recording_window_fixture.h"
#include "x_test_tools.h"

using namespace zovedu_test;

namespace {

class MainWindowHotkeysTest : public RecordingWindowTest {
 protected:
  bool Recording() const { return window->FRecordChannel != 0; }
  bool PressAndWait(const QString& keys, const std::function<bool()>& condition) {
    return Key(keys) && RunEventsUntil(condition);
  }
  static std::vector<std::uint16_t> AltVariants() {
    const std::uint16_t alt = AltMask(), num = NumLockMask();
    return {alt, std::uint16_t(alt | num), std::uint16_t(alt | XCB_MOD_MASK_LOCK),
            std::uint16_t(alt | num | XCB_MOD_MASK_LOCK)};
  }
};

// A message service whose question stays open while a further hotkey is
// pressed, as a real box's nested event loop would.
class QuestionDuringWhichAKeyIsPressed final : public MessageService {
 public:
  QuestionDuringWhichAKeyIsPressed(Tfrmmain& w, QString keys)
      : window_(w), keys_(std::move(keys)), previous_(&Messages()) {
    SetMessageService(this);
  }
  ~QuestionDuringWhichAKeyIsPressed() override { SetMessageService(previous_); }
  MsgAnswer show(MsgKind, const QString& text, MsgButtons, const QString&) override {
    texts << text;
    waitedInside = Key(keys_) && RunEventsUntil([this] { return window_.PendingHotkeyCount() == 1; });
    recordingWhileAsked = window_.FRecordChannel != 0;
    return MsgAnswer::Yes;
  }
  [[noreturn]] void endProgram(MsgKind, const QString& text) override { throw ProgramEnded(text); }

  QStringList texts;
  bool waitedInside = false;
  bool recordingWhileAsked = true;

 private:
  Tfrmmain& window_;
  QString keys_;
  MessageService* previous_;
};

TEST_F(MainWindowHotkeysTest, StartPauseAndStopLikeTheirButtons) {
  Tfrmmain& w = Open();
  ASSERT_TRUE(PressAndWait("alt+F1", [&] { return Recording(); }));
  EXPECT_EQ(w.lrname->text(), "Rectest-01.wav");
  Second();
  ASSERT_TRUE(PressAndWait("alt+F2", [&] { return w.lrstatus->text() == "Recording Paused"; }));
  // Start while recording does nothing; the pause after it shows it was handled.
  ASSERT_TRUE(Key("alt+F1"));
  ASSERT_TRUE(PressAndWait("alt+F2", [&] { return w.btnpause->toolTip() == "Pause Recording"; }));
  EXPECT_EQ(w.lrname->text(), "Rectest-01.wav");
  EXPECT_EQ(w.FRecordCounter, 1);
  Second();
  ASSERT_TRUE(PressAndWait("alt+F3", [&] { return !Recording(); }));
  auto wav = Wav("Rectest-01.wav");
  ASSERT_TRUE(wav);
  EXPECT_EQ(wav->data.size(), 2u * 44100 * 4);
  // Pause and stop without a recording or a playback do nothing; start still works.
  ASSERT_TRUE(Key("alt+F2"));
  ASSERT_TRUE(Key("alt+F3"));
  ASSERT_TRUE(PressAndWait("alt+F1", [&] { return Recording(); }));
  EXPECT_EQ(w.lrname->text(), "Rectest-02.wav");
  Second();
  EXPECT_EQ(w.lrstatus->text(), "Recording...");
  EXPECT_TRUE(messages.shown.empty()) << messages.texts().join('|').toStdString();
}

TEST_F(MainWindowHotkeysTest, DisabledHotkeysGrabNothing) {
  Open("[Hotkey]\nEnabled=0\n");
  ASSERT_FALSE(options->chotkey->isChecked());
  for (const std::uint32_t key : {XK_F1, XK_F2, XK_F3})
    EXPECT_EQ(GrabHolder(key, AltVariants()).answer(), "grabbed") << key;
  QCoreApplication::processEvents();
  EXPECT_TRUE(messages.shown.empty()) << messages.texts().join('|').toStdString();
}

TEST_F(MainWindowHotkeysTest, RefusalsGoToStderrAtStartAndToTheUserAfterAChange) {
  GrabHolder holder(XK_F1, AltVariants());
  ASSERT_EQ(holder.answer(), "grabbed");
  ::testing::internal::CaptureStderr();
  Tfrmmain& w = Open();
  QCoreApplication::processEvents();  // the report is queued behind the install
  const std::string err = ::testing::internal::GetCapturedStderr();
  EXPECT_NE(err.find("The hotkey Alt+F1 is used by another program."), std::string::npos) << err;
  EXPECT_TRUE(messages.shown.empty()) << messages.texts().join('|').toStdString();

  // The user turns hotkeys off and on: told once.
  options->chotkey->click();
  options->chotkey->click();
  ASSERT_TRUE(RunEventsUntil([&] { return !messages.shown.empty(); }));
  EXPECT_EQ(messages.texts(), QStringList{"The hotkey Alt+F1 is used by another program."});
  EXPECT_EQ(messages.shown[0].kind, MsgKind::Warning);

  // Shift+Alt+F1 is free: it is grabbed at once and nothing more is said.
  // (Ctrl+Alt+F1 would switch the server's virtual terminal.)
  options->LoadStartHotkey();
  options->keyshift->click();
  ASSERT_TRUE(PressAndWait("shift+alt+F1", [&] { return Recording(); }));
  EXPECT_EQ(messages.shown.size(), 1u);
  // The refusal was about start only: stop works.
  ASSERT_TRUE(PressAndWait("alt+F3", [&] { return !Recording(); }));
  EXPECT_EQ(w.FRecordCounter, 1);
}

TEST_F(MainWindowHotkeysTest, HotkeyWaitsWhileAModalWindowIsOpen) {
  Tfrmmain& w = Open();
  QMessageBox box(QMessageBox::Information, "Modal", "A modal window");
  box.setWindowModality(Qt::ApplicationModal);
  box.show();
  ASSERT_TRUE(RunEventsUntil([&] { return QApplication::activeModalWidget() == &box; }));
  ASSERT_TRUE(PressAndWait("alt+F1", [&] { return w.PendingHotkeyCount() == 1; }));
  EXPECT_FALSE(Recording());
  box.hide();
  ASSERT_TRUE(RunEventsUntil([&] { return Recording(); }));
  EXPECT_EQ(w.PendingHotkeyCount(), 0);
  ASSERT_TRUE(PressAndWait("alt+F3", [&] { return !Recording(); }));
}

TEST_F(MainWindowHotkeysTest, StopPressedDuringTheOverwriteQuestionRunsAfterTheStart) {
  Tfrmmain& w = Open();
  QFile existing(OutFile("Rectest-01.wav"));
  ASSERT_TRUE(existing.open(QIODevice::WriteOnly));
  existing.write("old");
  existing.close();
  QuestionDuringWhichAKeyIsPressed question(w, "alt+F3");
  ASSERT_TRUE(Key("alt+F1"));
  ASSERT_TRUE(RunEventsUntil([&] { return !question.texts.isEmpty(); }));
  EXPECT_EQ(question.texts, QStringList{"Rectest-01.wav have existed. overwrite it?"});
  EXPECT_TRUE(question.waitedInside);
  EXPECT_FALSE(question.recordingWhileAsked);
  // The start completes, then the waiting stop ends the recording.
  ASSERT_TRUE(RunEventsUntil([&] { return w.PendingHotkeyCount() == 0 && !Recording(); }));
  EXPECT_EQ(w.FRecordCounter, 1);
  // Replaced by the recording, whose header the stop completed.
  EXPECT_TRUE(Wav("Rectest-01.wav"));
  EXPECT_EQ(w.FLastRecordedFile, OutFile("Rectest-01.wav"));
}

}  // namespace
