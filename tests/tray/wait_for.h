// Waits for a condition while the window's events run (timers, D-Bus
// answers, window system events), with a generous deadline.
#pragma once

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <functional>

namespace tray_test {

inline bool WaitFor(const std::function<bool()>& condition, int seconds = 20) {
  QElapsedTimer clock;
  clock.start();
  while (!condition()) {
    if (clock.elapsed() > seconds * 1000LL) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    QThread::msleep(5);
  }
  return true;
}

}  // namespace tray_test
