// Answering a modal dialog from inside its own event loop.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QDeadlineTimer>
#include <QDialog>
#include <QTimer>
#include <functional>
#include <memory>

namespace zovedu_test {

// Runs `act` on the modal dialog of that object name once it is shown (from
// inside its event loop); after a generous deadline the test fails and the
// modal dialog on top is rejected so the test cannot hang. The watch ends
// with the returned timer.
[[nodiscard]] inline std::unique_ptr<QTimer> WhenModal(const QString& name, std::function<void(QDialog&)> act) {
  auto timer = std::make_unique<QTimer>();
  auto deadline = std::make_shared<QDeadlineTimer>(30000);
  timer->setInterval(10);
  QTimer* t = timer.get();
  QObject::connect(t, &QTimer::timeout, [t, deadline, name, act] {
    auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    const bool found = dialog && dialog->objectName() == name && dialog->isVisible();
    if (!found && !deadline->hasExpired()) return;
    t->stop();
    if (found) {
      act(*dialog);
    } else {
      ADD_FAILURE() << "no modal dialog " << name.toStdString();
      if (dialog) dialog->reject();
    }
  });
  timer->start();
  return timer;
}

}  // namespace zovedu_test
