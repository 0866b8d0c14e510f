// The main window as a screen reader and a keyboard reach it: the level
// display and the spectrum say in words what they show while recording, the
// lists open their context menus from the keyboard at the current row, and
// the link labels take Enter and Space.
#include <QAccessible>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QRegularExpression>

#include "recording_window_fixture.h"

namespace {

QString Described(QWidget* w) { return QAccessible::queryAccessibleInterface(w)->text(QAccessible::Description); }

}  // namespace

TEST_F(RecordingWindowTest, PicturesSayWhatTheyShowWhileRecording) {
  Tfrmmain& w = Open();
  EXPECT_EQ(Described(w.PB), "Idle");
  w.btnrecClick();
  ASSERT_NE(w.FRecordChannel, 0u);
  backend->pump(44100, 441);
  w.FFTTimerTimer();
  Second();
  // A 1000 Hz tone at half of full scale in both channels.
  EXPECT_EQ(Described(w.PB), "Left -6 dB, right -6 dB");
  const QRegularExpressionMatch m =
      QRegularExpression(QStringLiteral("^Loudest near (\\d+) Hz$")).match(Described(w.PaintFrame));
  ASSERT_TRUE(m.hasMatch()) << Described(w.PaintFrame).toStdString();
  EXPECT_NEAR(m.captured(1).toInt(), 1000, 100);

  w.btnstopClick();
  EXPECT_EQ(Described(w.PB), "Idle");
}

TEST_F(RecordingWindowTest, ListMenusOpenFromTheKeyboardAtTheCurrentRow) {
  Tfrmmain& w = Open();
  w.btnrecClick();
  Second();
  w.btnstopClick();
  w.btnreclistClick();
  ASSERT_GT(w.Reclist->topLevelItemCount(), 0);
  w.Reclist->setCurrentItem(w.Reclist->topLevelItem(0));
  const QRect row = w.Reclist->visualItemRect(w.Reclist->topLevelItem(0));
  QPoint asked(-1, -1);  // where the menu was asked for, in the list's viewport
  QObject::connect(w.Reclist, &QWidget::customContextMenuRequested, w.Reclist, [&asked](QPoint at) { asked = at; });

  QKeyEvent shiftF10(QEvent::KeyPress, Qt::Key_F10, Qt::ShiftModifier);
  // The menu key: Qt sends the focused list a context menu event where the
  // list's text cursor would be.
  const QPoint cursor = w.Reclist->inputMethodQuery(Qt::ImCursorRectangle).toRect().center();
  QContextMenuEvent menuKey(QContextMenuEvent::Keyboard, cursor, w.Reclist->mapToGlobal(cursor));
  for (QEvent* press : std::initializer_list<QEvent*>{&shiftF10, &menuKey}) {
    SCOPED_TRACE(press->type());
    w.PopupMenu1->hide();
    asked = QPoint(-1, -1);
    QCoreApplication::sendEvent(w.Reclist, press);
    EXPECT_TRUE(w.PopupMenu1->isVisible());
    EXPECT_TRUE(row.contains(asked)) << asked.x() << "," << asked.y();
    EXPECT_TRUE(w.menuplay->isEnabled()) << "the menu acts on the current row";
  }
  w.PopupMenu1->hide();
}

TEST_F(RecordingWindowTest, LinkLabelsTakeTheFocusAndEnterOrSpace) {
  Tfrmmain& w = Open();
  ASSERT_EQ(w.outlabel->focusPolicy(), Qt::TabFocus);
  for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Space}) {
    SCOPED_TRACE(key);
    desktop.browseTitles.clear();
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QCoreApplication::sendEvent(w.outlabel, &press);
    EXPECT_EQ(desktop.browseTitles.size(), 1) << "the output folder is asked for";
  }
  QKeyEvent letter(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, QStringLiteral("a"));
  desktop.browseTitles.clear();
  QCoreApplication::sendEvent(w.outlabel, &letter);
  EXPECT_TRUE(desktop.browseTitles.isEmpty());
}
