// The tray on a real X server with icewm: the window manager's minimise
// hides the window to an XEmbed icon in icewm's tray, which animates while
// recording and brings the window back where it was on a double click; the
// tray menu's Exit asks while recording; the stay-on-top style is asked of
// the window manager on the same window, dropped while the options dialog or
// the overwrite question is open, and toggling it never moves the window;
// the balloon goes to the session bus's notification service.
#include <QApplication>
#include <QDBusConnection>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QMenu>
#include <QScreen>
#include <QTimer>
#include <QWindow>
#include <cstdlib>

#include "fake_notifications.h"
#include "probing_messages.h"
#include "tray_fixture.h"
#include "wm_requests.h"
#include "x_desktop.h"

using tray_test::WaitFor;
using namespace tray_x11;

namespace {
constexpr int kNear = 4;  // pixels a window may differ by after coming back

bool Above(WId window) { return NetWmState(window).contains(QStringLiteral("_NET_WM_STATE_ABOVE")); }

bool Near(const QRect& a, const QRect& b) {
  return std::abs(a.x() - b.x()) <= kNear && std::abs(a.y() - b.y()) <= kNear && a.size() == b.size();
}

std::string Text(const QRect& r) {
  return QStringLiteral("%1,%2 %3x%4").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height()).toStdString();
}
}  // namespace

class TrayOnX11Test : public TrayWindowTest {
 protected:
  void SetUp() override {
    TrayWindowTest::SetUp();
    SetTrayHostCheck({});  // the real tray host
  }

  // Opens the window and waits until the window manager shows it.
  Tfrmmain& Shown(const QString& ini = QString()) {
    Tfrmmain& w = Open(ini);
    EXPECT_TRUE(WaitFor([&] { return Viewable(w.winId()) && Reparented(w.winId()); })) << "not mapped";
    return w;
  }
  // xdotool's minimise, as the title bar's button does, then in the tray.
  QWidget* MinimiseToTrayIcon(Tfrmmain& w) {
    Tool("xdotool", {"windowminimize", std::to_string(w.winId())});
    EXPECT_TRUE(WaitFor([&] { return InTray(); })) << "not in the tray";
    QWidget* icon = nullptr;
    EXPECT_TRUE(WaitFor([&] {
      icon = TrayIconWindow();
      return icon && Reparented(icon->winId()) && Viewable(icon->winId());
    })) << "no icon in the tray";
    return icon;
  }
  // What the screen shows of a window.
  static QImage Grab(QWidget* w) {
    const QRect r = ScreenGeometry(w->winId());
    return QGuiApplication::primaryScreen()->grabWindow(0, r.x(), r.y(), r.width(), r.height()).toImage();
  }
};

TEST_F(TrayOnX11Test, MinimisedToTheTrayItAnimatesAndADoubleClickBringsItBackInPlace) {
  Tfrmmain& w = Shown();
  const QRect before = ScreenGeometry(w.winId());
  ASSERT_FALSE(before.isNull());
  w.btnrecClick();
  ASSERT_NE(w.FRecordChannel, 0u);

  QWidget* icon = MinimiseToTrayIcon(w);
  ASSERT_NE(icon, nullptr);
  EXPECT_FALSE(Viewable(w.winId()));
  EXPECT_TRUE(w.TrayAnimating());
  // The frames reach the screen: the icon's pixels change.
  const QImage first = Grab(icon);
  EXPECT_TRUE(WaitFor([&] { return Grab(icon) != first; })) << "the tray icon stands still";

  const std::string id = std::to_string(icon->winId());
  Tool("xdotool", {"mousemove", "--window", id, "6", "6", "click", "--repeat", "2", "--delay", "60", "1"});
  ASSERT_TRUE(WaitFor([&] { return w.isVisible() && Viewable(w.winId()); })) << "not back";
  EXPECT_FALSE(w.TrayIcon1->isVisible());
  EXPECT_FALSE(w.TrayAnimating());
  EXPECT_FALSE(w.isMinimized());
  QRect after;
  EXPECT_TRUE(WaitFor([&] { return Near(after = ScreenGeometry(w.winId()), before); }))
      << "before " << Text(before) << ", after " << Text(after);
  w.btnstopClick();
}

TEST_F(TrayOnX11Test, TheTrayMenusExitAnsweredNoKeepsRecordingAndYesEnds) {
  Tfrmmain& w = Shown();
  w.btnrecClick();
  ASSERT_NE(w.FRecordChannel, 0u);
  QWidget* icon = MinimiseToTrayIcon(w);
  ASSERT_NE(icon, nullptr);
  int closed = 0;
  QObject::connect(&w, &Tfrmmain::Closed, [&closed] { ++closed; });

  for (MsgAnswer answer : {MsgAnswer::No, MsgAnswer::Yes}) {
    SCOPED_TRACE(static_cast<int>(answer));
    messages.answer(answer);
    const size_t asked = messages.shown.size();
    // The icon's menu from a right click, and its Exit clicked.
    Tool("xdotool", {"mousemove", "--window", std::to_string(icon->winId()), "6", "6", "click", "3"});
    ASSERT_TRUE(WaitFor([&] { return w.PopupMenu3->isVisible() && Viewable(w.PopupMenu3->winId()); }));
    const QPoint exit = w.PopupMenu3->mapToGlobal(w.PopupMenu3->actionGeometry(w.Exit1).center());
    Tool("xdotool", {"mousemove", std::to_string(exit.x()), std::to_string(exit.y()), "click", "1"});
    ASSERT_TRUE(WaitFor([&] { return messages.shown.size() > asked; }));
    EXPECT_EQ(messages.shown.back().text, "Now Recording,be sure Close Program?");
    if (answer == MsgAnswer::No) {
      EXPECT_NE(w.FRecordChannel, 0u);
      EXPECT_TRUE(InTray());
      EXPECT_EQ(closed, 0);
    }
  }
  EXPECT_EQ(w.FRecordChannel, 0u);
  EXPECT_FALSE(w.isVisible());
  EXPECT_FALSE(w.TrayIcon1->isVisible());
  EXPECT_EQ(closed, 1);
}

// Qt writes _NET_WM_STATE_ABOVE when it maps the window; later changes are
// requests to the window manager, watched as they reach the root window
// (icewm 3.3 does not keep its _NET_WM_STATE in step with them reliably).
TEST_F(TrayOnX11Test, StayOnTopIsAskedForOnTheSameWindowWhichNeverMoves) {
  WmRequests requests;
  ASSERT_TRUE(requests.connected());
  Tfrmmain& w = Shown(QStringLiteral("[Misc]\nStayonTop=1\n"));
  const WId id = w.winId();
  ASSERT_TRUE(WaitFor([&] { return Above(id); })) << NetWmState(id).toStdString();
  const QRect at = ScreenGeometry(id);
  for (int i = 0; i < 5; ++i) {
    SCOPED_TRACE(i);
    for (bool on : {false, true}) {
      w.SetStayOnTop(on);
      EXPECT_TRUE(WaitFor([&] { return requests.LastAbove(id) == on; }));
    }
  }
  EXPECT_EQ(w.winId(), id);
  QRect now;
  EXPECT_TRUE(WaitFor([&] { return (now = ScreenGeometry(id)) == at; })) << Text(at) << " became " << Text(now);
  EXPECT_TRUE(Viewable(id));
}

TEST_F(TrayOnX11Test, StayOnTopIsDroppedWhileTheOptionsDialogOrTheOverwriteQuestionIsOpen) {
  WmRequests requests;
  ASSERT_TRUE(requests.connected());
  Tfrmmain& w = Shown(QStringLiteral("[Misc]\nStayonTop=1\n"));
  const WId id = w.winId();
  ASSERT_TRUE(WaitFor([&] { return Above(id); }));

  bool droppedForDialog = false;
  QTimer::singleShot(0, options.get(), [&] {
    droppedForDialog = WaitFor([&] { return requests.LastAbove(id) == false; });
    options->reject();
  });
  options->ShowModalFromMain();
  EXPECT_TRUE(droppedForDialog);
  EXPECT_TRUE(WaitFor([&] { return requests.LastAbove(id) == true; })) << "not on top after the dialog";

  QFile existing(OutFile("Rectest-01.wav"));
  ASSERT_TRUE(existing.open(QIODevice::WriteOnly));
  existing.close();
  for (MsgAnswer answer : {MsgAnswer::Cancel, MsgAnswer::No}) {
    SCOPED_TRACE(static_cast<int>(answer));
    tray_test::ProbingMessages questions;
    bool droppedForQuestion = false;
    questions.probe = [&](const QString&) {
      droppedForQuestion = WaitFor([&] { return requests.LastAbove(id) == false; });
    };
    questions.answers = {answer};
    w.btnrecClick();
    EXPECT_EQ(questions.texts.size(), 1);
    EXPECT_TRUE(droppedForQuestion);
    EXPECT_TRUE(WaitFor([&] { return requests.LastAbove(id) == true; })) << "not on top after the question";
    if (w.FRecordChannel != 0) w.btnstopClick();
  }
}

// The session bus here is the desktop's private one: the balloon reaches a
// notification service there without any seam.
TEST_F(TrayOnX11Test, SixtyTicksInTheTrayShowTheLengthThroughTheSessionBus) {
  QDBusConnection bus = QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("service"));
  tray_test::FakeNotifications service;
  ASSERT_TRUE(service.Register(bus));
  Tfrmmain& w = Shown();
  w.btnrecClick();
  w.Rectimer->stop();  // the test ticks
  ASSERT_NE(MinimiseToTrayIcon(w), nullptr);
  for (int i = 0; i < 59; ++i) Second(4410);
  EXPECT_FALSE(WaitFor([&] { return !service.calls.empty(); }, 1));
  Second(4410);
  ASSERT_TRUE(WaitFor([&] { return service.calls.size() == 1; }));
  EXPECT_EQ(service.calls[0].appName, "Zovedu");
  EXPECT_EQ(service.calls[0].body, "Recording length:00:00:59");
  EXPECT_EQ(service.calls[0].timeout, 1000);
  EXPECT_TRUE(trayBalloons.empty());
  w.btnstopClick();
  bus.unregisterService(QStringLiteral("org.freedesktop.Notifications"));
}
