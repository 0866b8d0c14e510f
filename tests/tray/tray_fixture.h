// The recording window with the tray's surroundings under the test's
// control: whether a tray host exists, the bus, and the tray's own balloon.
#pragma once

#include <QCheckBox>
#include <QIcon>
#include <QPushButton>
#include <QSystemTrayIcon>

#include "app/recording_window_fixture.h"
#include "app/tray/tray_environment.h"
#include "wait_for.h"

struct TrayBalloonShown {
  QString title, text;
  int timeoutMs;
};

class TrayWindowTest : public RecordingWindowTest {
 protected:
  void SetUp() override {
    RecordingWindowTest::SetUp();
    SetTrayHostCheck([this] { return trayHost; });
    SetTrayMessageSink([this](QSystemTrayIcon&, const QString& title, const QString& text, int ms) {
      trayBalloons.push_back({title, text, ms});
    });
  }
  void TearDown() override {
    RecordingWindowTest::TearDown();
    SetTrayHostCheck({});
    SetTrayMessageSink({});
    SetTrayBus({});
  }

  // Minimised the way the window system reports it.
  void Minimise() { window->setWindowState(window->windowState() | Qt::WindowMinimized); }
  bool InTray() const { return !window->isVisible() && window->TrayIcon1->isVisible(); }
  // The icon changes at least twice while the events run.
  bool IconCycles() {
    qint64 last = window->TrayIcon1->icon().cacheKey();
    int changes = 0;
    return tray_test::WaitFor([&] {
      const qint64 now = window->TrayIcon1->icon().cacheKey();
      if (now != last) ++changes;
      last = now;
      return changes >= 2;
    });
  }

  bool trayHost = true;
  std::vector<TrayBalloonShown> trayBalloons;
};
