// The application object: an error escaping an event handler is shown to the
// user, as the desktop's standard error display does, instead of ending the
// program.
#pragma once

#include <QApplication>

class ZoveduApplication : public QApplication {
 public:
  ZoveduApplication(int& argc, char** argv);
  bool notify(QObject* receiver, QEvent* event) override;
};
