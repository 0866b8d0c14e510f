// Slow work of the window (completing a file: an encoder program may take a
// while to write its end) run off the window's thread, so the window never
// freezes while it waits.
#pragma once

#include <QObject>
#include <functional>
#include <future>
#include <vector>

class BackgroundWork : public QObject {
 public:
  using QObject::QObject;
  ~BackgroundWork() override { waitAll(); }

  // Runs work on a thread of its own; then gets its result on this object's
  // thread once the event loop gets there.
  void start(std::function<bool()> work, std::function<void(bool)> then);
  // Waits until every work started has ended (their `then` may still be due).
  void waitAll();

 private:
  std::vector<std::future<void>> running_;
};

// Runs work on another thread and waits for it while the event loop keeps
// painting and running timers; user input waits until it is done, so nothing
// the user does can cut into the work.
bool RunResponsively(const std::function<bool()>& work);
