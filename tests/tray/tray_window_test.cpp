// Minimising to the tray and back: which window state and icon each
// combination of option, tray host and activity gives, the animation
// following the recording while the window is in the tray, the ways back
// from the icon, and the icon's pictures.
#include <QImage>
#include <QPixmap>
#include <map>

#include "app/image_list.h"
#include "app/tray/tray_frames.h"
#include "tray_fixture.h"

namespace {
enum class Activity { Idle, Recording, Paused, Playing };

const char* Name(Activity a) {
  switch (a) {
    case Activity::Idle: return "idle";
    case Activity::Recording: return "recording";
    case Activity::Paused: return "paused";
    case Activity::Playing: return "playing";
  }
  return "?";
}
}  // namespace

class TrayMinimiseTest : public TrayWindowTest {
 protected:
  void Begin(Activity activity) {
    Tfrmmain& w = *window;
    if (activity == Activity::Idle) return;
    if (activity == Activity::Playing) options->cplay->setChecked(true);
    w.btnrecClick();
    for (int i = 0; i < 2; ++i) Second();
    if (activity == Activity::Paused) w.btnpauseClick();
    if (activity == Activity::Playing) {
      w.btnstopClick();  // the finished recording plays
      ASSERT_NE(w.FPlayStream, 0u) << messages.texts().join("|").toStdString();
    }
  }
};

TEST_F(TrayMinimiseTest, MinimiseAndShowAgainForEveryOptionTrayAndActivity) {
  // What the window offers after coming back: Record, Pause, Options, and
  // the pause button's hint ("-" where the state leaves it as it was).
  struct Back {
    bool record, pause, options;
    const char* pauseHint;
  };
  const std::map<Activity, Back> back{{Activity::Idle, {true, false, true, "Pause Recording"}},
                                      {Activity::Recording, {false, true, false, "Pause Recording"}},
                                      {Activity::Paused, {false, true, false, "-"}},
                                      {Activity::Playing, {true, true, true, "Pause Playing"}}};
  for (bool toTray : {true, false})
    for (bool host : {true, false})
      for (Activity activity : {Activity::Idle, Activity::Recording, Activity::Paused, Activity::Playing}) {
        SCOPED_TRACE(testing::Message() << "cmintotray " << toTray << ", tray host " << host << ", " << Name(activity));
        trayHost = host;
        Tfrmmain& w = Open();
        options->cmintotray->setChecked(toTray);
        Begin(activity);
        if (HasFatalFailure()) return;

        Minimise();
        if (toTray && host) {
          EXPECT_TRUE(InTray());
          EXPECT_EQ(w.TrayAnimating(), activity == Activity::Recording);
        } else {
          // Kept where minimised windows are, never out of reach.
          EXPECT_TRUE(w.isVisible());
          EXPECT_TRUE(w.isMinimized());
          EXPECT_FALSE(w.TrayIcon1->isVisible());
          EXPECT_FALSE(w.TrayAnimating());
        }

        // Another state meanwhile, so that the way back must set its own.
        w.SetControlState(ControlState::IdleAfterStop);
        w.btnpause->setToolTip(QStringLiteral("-"));
        w.ShowMainFrom1->trigger();
        EXPECT_TRUE(w.isVisible());
        EXPECT_FALSE(w.isMinimized());
        EXPECT_FALSE(w.TrayIcon1->isVisible());
        EXPECT_FALSE(w.TrayAnimating());
        const Back& b = back.at(activity);
        EXPECT_EQ(w.btnrec->isEnabled(), b.record);
        EXPECT_EQ(w.btnpause->isEnabled(), b.pause);
        EXPECT_EQ(w.btnoption->isEnabled(), b.options);
        EXPECT_EQ(w.btnpause->toolTip(), b.pauseHint);
        if (w.FRecordChannel != 0) w.btnstopClick();
        if (w.FPlayStream != 0) w.btnstopClick();
        options.release();
        window.reset();
      }
}

TEST_F(TrayWindowTest, TheIconAnimatesWhileARecordingCapturesInTheTray) {
  Tfrmmain& w = Open();
  Minimise();
  ASSERT_TRUE(InTray());
  EXPECT_FALSE(w.TrayAnimating());
  const qint64 idle = w.TrayIcon1->icon().cacheKey();

  // A start from the tray (a hotkey, a scheduled run) gives the icon its frames.
  w.btnrecClick();
  ASSERT_NE(w.FRecordChannel, 0u);
  EXPECT_TRUE(w.TrayAnimating());
  EXPECT_TRUE(IconCycles());
  w.btnpauseClick();
  EXPECT_FALSE(w.TrayAnimating());
  w.btnpauseClick();
  EXPECT_TRUE(w.TrayAnimating());
  w.btnstopClick();
  EXPECT_FALSE(w.TrayAnimating());
  EXPECT_TRUE(InTray());
  EXPECT_NE(w.TrayIcon1->icon().cacheKey(), idle);  // the idle picture again, drawn anew
  EXPECT_NE(w.TrayIcon1->icon().cacheKey(), w.ImageList5->icon(0).cacheKey());

  // A recording started while the window shows leaves the hidden icon alone.
  w.ShowMainFrom1Click();
  w.btnrecClick();
  EXPECT_FALSE(w.TrayIcon1->isVisible());
  EXPECT_FALSE(w.TrayAnimating());
  w.btnstopClick();
}

TEST_F(TrayWindowTest, TheIconsDoubleClickBringsTheWindowBackItsSingleClickDoesNot) {
  Tfrmmain& w = Open();
  struct Case {
    QSystemTrayIcon::ActivationReason reason;
    bool back;
  } cases[] = {{QSystemTrayIcon::Trigger, false},
               {QSystemTrayIcon::MiddleClick, false},
               {QSystemTrayIcon::Context, false},
               {QSystemTrayIcon::DoubleClick, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.reason);
    Minimise();
    ASSERT_TRUE(InTray());
    emit w.TrayIcon1->activated(c.reason);
    EXPECT_EQ(w.isVisible(), c.back);
    EXPECT_EQ(w.TrayIcon1->isVisible(), !c.back);
    if (!c.back) w.ShowMainFrom1Click();
  }
}

TEST(TrayFrames, TheAnimationFramesDifferFromEachOtherAndFromTheIdleIcon) {
  const QList<QIcon> frames = RecordingTrayFrames();
  ASSERT_EQ(frames.size(), kRecordingFrameCount);
  for (int size : {16, 32}) {
    SCOPED_TRACE(size);
    const auto image = [size](const QIcon& icon) { return icon.pixmap(size, size).toImage(); };
    const QImage idle = image(IdleTrayIcon());
    const auto painted = [](const QImage& i) {
      int n = 0;
      for (int y = 0; y < i.height(); ++y)
        for (int x = 0; x < i.width(); ++x) n += qAlpha(i.pixel(x, y)) > 0;
      return n;
    };
    EXPECT_EQ(idle.size(), QSize(size, size));
    EXPECT_GT(painted(idle), size * size / 8);
    for (int i = 0; i < frames.size(); ++i) {
      const QImage frame = image(frames[i]);
      EXPECT_EQ(frame.size(), QSize(size, size));
      EXPECT_GT(painted(frame), size * size / 8) << i;
      EXPECT_NE(frame, idle) << i;
      EXPECT_NE(frame, image(frames[(i + 1) % frames.size()])) << i;
    }
  }
}
