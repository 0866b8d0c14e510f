// The recording's length every 60 monitor ticks in the tray: through the
// notification service on a private bus, each balloon replacing the one
// before, or the tray icon's own balloon where the service is missing or
// refuses. And on a StatusNotifier host the icon's activation is the way back.
#include "app/tray/desktop_notification.h"
#include "fake_notifications.h"
#include "private_bus.h"
#include "tray_fixture.h"

class TrayBalloonTest : public TrayWindowTest {
 protected:
  void SetUp() override {
    TrayWindowTest::SetUp();
    std::string whyNot;
    bus = tray_test::PrivateBus::Start(whyNot);
    ASSERT_TRUE(bus) << whyNot;
    SetTrayBus([this] { return bus->Connect(QStringLiteral("tray-window")); });
  }
  void TearDown() override {
    TrayWindowTest::TearDown();  // the window and its bus client first
    bus.reset();
  }

  // A recording minimised to the tray.
  Tfrmmain& RecordingInTray(const QString& ini = QString()) {
    Tfrmmain& w = Open(ini);
    w.btnrecClick();
    EXPECT_NE(w.FRecordChannel, 0u);
    w.Rectimer->stop();  // the test ticks
    Minimise();
    EXPECT_TRUE(InTray());
    return w;
  }
  void Seconds(int n) {
    for (int i = 0; i < n; ++i) Second(4410);
  }

  std::unique_ptr<tray_test::PrivateBus> bus;
  tray_test::FakeNotifications service;
};

TEST_F(TrayBalloonTest, EverySixtyTicksANotificationReplacesThePreviousOne) {
  ASSERT_TRUE(service.Register(bus->Connect(QStringLiteral("service"))));
  Tfrmmain& w = RecordingInTray();
  Seconds(59);
  EXPECT_FALSE(tray_test::WaitFor([&] { return !service.calls.empty(); }, 1));
  Seconds(1);
  ASSERT_TRUE(tray_test::WaitFor([&] { return service.calls.size() == 1; }));
  const tray_test::NotifyCall first = service.calls[0];
  EXPECT_EQ(first.appName, "Zovedu");
  EXPECT_EQ(first.summary, "Zovedu");
  EXPECT_EQ(first.body, "Recording length:00:00:59");
  EXPECT_EQ(first.replacesId, 0u);
  EXPECT_EQ(first.timeout, 1000);
  auto* client = w.findChild<DesktopNotification*>();
  ASSERT_NE(client, nullptr);
  ASSERT_TRUE(tray_test::WaitFor([&] { return client->LastId() == first.answeredId; }));

  Seconds(60);
  ASSERT_TRUE(tray_test::WaitFor([&] { return service.calls.size() == 2; }));
  EXPECT_EQ(service.calls[1].replacesId, first.answeredId);
  EXPECT_EQ(service.calls[1].body, "Recording length:00:01:59");
  EXPECT_TRUE(trayBalloons.empty());

  // Back in the window: no more balloons.
  w.ShowMainFrom1Click();
  Seconds(61);
  EXPECT_FALSE(tray_test::WaitFor([&] { return service.calls.size() > 2; }, 1));
  w.btnstopClick();
}

TEST_F(TrayBalloonTest, WithoutTheServiceOrWhenItRefusesTheTrayIconShowsTheBalloon) {
  for (bool present : {false, true}) {
    SCOPED_TRACE(present);
    service.refuse = true;
    if (present) {
      ASSERT_TRUE(service.Register(bus->Connect(QStringLiteral("service"))));
    }
    trayBalloons.clear();
    Tfrmmain& w = RecordingInTray();
    Seconds(60);
    ASSERT_TRUE(tray_test::WaitFor([&] { return trayBalloons.size() == 1; }));
    EXPECT_EQ(trayBalloons[0].title, "Zovedu");
    EXPECT_EQ(trayBalloons[0].text, "Recording length:00:00:59");
    EXPECT_EQ(trayBalloons[0].timeoutMs, 1000);
    EXPECT_EQ(service.calls.size(), present ? 1u : 0u);
    w.btnstopClick();
    options.release();
    window.reset();
  }
}

TEST_F(TrayBalloonTest, NoBalloonWhenTheRecordingTimeIsNotToBeShown) {
  ASSERT_TRUE(service.Register(bus->Connect(QStringLiteral("service"))));
  Tfrmmain& w = Open();
  options->cshowtime->setChecked(false);
  w.btnrecClick();
  w.Rectimer->stop();
  Minimise();
  ASSERT_TRUE(InTray());
  Seconds(121);
  EXPECT_FALSE(tray_test::WaitFor([&] { return !service.calls.empty() || !trayBalloons.empty(); }, 1));
  w.btnstopClick();
}

TEST_F(TrayBalloonTest, OnAStatusNotifierHostTheIconsActivationBringsTheWindowBack) {
  for (bool statusNotifier : {false, true}) {
    SCOPED_TRACE(statusNotifier);
    QDBusConnection host = bus->Connect(QStringLiteral("host"));
    if (statusNotifier) {
      ASSERT_TRUE(host.registerService(QStringLiteral("org.kde.StatusNotifierWatcher")));
    }
    Tfrmmain& w = Open();
    Minimise();
    ASSERT_TRUE(InTray());
    emit w.TrayIcon1->activated(QSystemTrayIcon::Trigger);
    EXPECT_EQ(w.isVisible(), statusNotifier);
    EXPECT_EQ(w.TrayIcon1->isVisible(), !statusNotifier);
    emit w.TrayIcon1->activated(QSystemTrayIcon::DoubleClick);
    EXPECT_TRUE(w.isVisible());
    options.release();
    window.reset();
  }
}
