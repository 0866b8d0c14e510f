// The stay-on-top style set on the existing window: before it exists and
// after, toggled without re-creating it, and dropped for the overwrite
// question whatever the answer, then back.
#include <QFile>
#include <QWindow>

#include "probing_messages.h"
#include "tray_fixture.h"

namespace {
bool NativeOnTop(const Tfrmmain& w) {
  return w.windowHandle() && w.windowHandle()->flags().testFlag(Qt::WindowStaysOnTopHint);
}
}  // namespace

TEST_F(TrayWindowTest, StayOnTopFromTheSettingsAndTogglingKeepTheSameWindow) {
  Tfrmmain& w = Open(QStringLiteral("[Misc]\nStayonTop=1\n"));
  ASSERT_TRUE(options->csot->isChecked());
  EXPECT_TRUE(w.IsStayOnTop());
  EXPECT_TRUE(NativeOnTop(w));  // set before the window existed, created with it

  QWindow* const native = w.windowHandle();
  const WId id = w.winId();
  const QPoint at = w.pos();
  for (int i = 0; i < 5; ++i) {
    SCOPED_TRACE(i);
    for (bool on : {false, true}) {
      w.SetStayOnTop(on);
      EXPECT_EQ(w.IsStayOnTop(), on);
      EXPECT_EQ(NativeOnTop(w), on);
      EXPECT_EQ(w.windowHandle(), native);
      EXPECT_EQ(w.winId(), id);
      EXPECT_TRUE(w.isVisible());
      EXPECT_EQ(w.pos(), at);
    }
  }
}

TEST_F(TrayWindowTest, TheOverwriteQuestionOpensWithoutStayOnTopWhichComesBackWhateverTheAnswer) {
  struct Case {
    MsgAnswer answer;
    bool records;
  } cases[] = {{MsgAnswer::Yes, true}, {MsgAnswer::No, true}, {MsgAnswer::Cancel, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.answer));
    tray_test::ProbingMessages questions;
    Tfrmmain& w = Open(QStringLiteral("[Misc]\nStayonTop=1\n"));
    QFile existing(OutFile("Rectest-01.wav"));
    ASSERT_TRUE(existing.open(QIODevice::WriteOnly));
    existing.close();
    bool onTopWhileAsked = true;
    questions.probe = [&](const QString&) { onTopWhileAsked = w.IsStayOnTop() || NativeOnTop(w); };
    questions.answers = {c.answer};
    w.btnrecClick();
    ASSERT_EQ(questions.texts, QStringList{"Rectest-01.wav have existed. overwrite it?"});
    EXPECT_FALSE(onTopWhileAsked);
    EXPECT_EQ(w.FRecordChannel != 0, c.records);
    EXPECT_TRUE(w.IsStayOnTop());
    EXPECT_TRUE(NativeOnTop(w));
    if (w.FRecordChannel != 0) w.btnstopClick();
    options.release();
    window.reset();
  }
}

TEST_F(TrayWindowTest, TheOptionsDialogOpensWithoutStayOnTopAndLeavesItAsChosen) {
  // Closing with the box unchanged restores the style; a change decides it.
  struct Case {
    bool before;
    int change;  // 0 none, 1 ticked, 2 cleared
    bool after;
  } cases[] = {{true, 0, true}, {true, 2, false}, {false, 1, true}, {false, 0, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.change);
    Tfrmmain& w = Open(c.before ? QStringLiteral("[Misc]\nStayonTop=1\n") : QString());
    ASSERT_EQ(w.IsStayOnTop(), c.before);
    bool onTopWhileOpen = true;
    QTimer::singleShot(0, options.get(), [&] {
      onTopWhileOpen = w.IsStayOnTop() || NativeOnTop(w);
      if (c.change) options->csot->setChecked(c.change == 1);
      options->accept();
    });
    options->ShowModalFromMain();
    EXPECT_FALSE(onTopWhileOpen);
    EXPECT_EQ(w.IsStayOnTop(), c.after);
    EXPECT_EQ(NativeOnTop(w), c.after);
    options.release();
    window.reset();
  }
}
