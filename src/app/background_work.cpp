#include "app/background_work.h"

#include <QEventLoop>
#include <QPointer>
#include <chrono>

void BackgroundWork::start(std::function<bool()> work, std::function<void(bool)> then) {
  std::erase_if(running_, [](std::future<void>& f) {
    return f.wait_for(std::chrono::seconds(0)) == std::future_status::ready;
  });
  QPointer<BackgroundWork> self(this);
  running_.push_back(std::async(std::launch::async, [self, work = std::move(work), then = std::move(then)] {
    const bool result = work();
    if (self) QMetaObject::invokeMethod(self, [then, result] { then(result); }, Qt::QueuedConnection);
  }));
}

void BackgroundWork::waitAll() {
  for (auto& f : running_) f.wait();
  running_.clear();
}

bool RunResponsively(const std::function<bool()>& work) {
  QEventLoop loop;
  bool result = false;
  std::future<void> done = std::async(std::launch::async, [&] {
    result = work();
    // Queued: it reaches the loop even when the work ends before exec starts.
    QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
  });
  loop.exec(QEventLoop::ExcludeUserInputEvents);
  done.wait();
  return result;
}
