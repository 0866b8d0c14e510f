// Waits for a condition while this thread's events run (D-Bus answers and
// signals arrive through them), with a generous deadline.
#pragma once

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <functional>

namespace portal_test {

inline bool PumpUntil(const std::function<bool()>& condition, int seconds = 20) {
  QElapsedTimer clock;
  clock.start();
  while (!condition()) {
    if (clock.elapsed() > seconds * 1000LL) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    QThread::msleep(2);
  }
  return true;
}

// Runs events for a while when the point is that nothing happens in it.
inline void PumpFor(int milliseconds) {
  QElapsedTimer clock;
  clock.start();
  while (clock.elapsed() < milliseconds) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    QThread::msleep(2);
  }
}

}  // namespace portal_test
