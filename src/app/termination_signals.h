// Turns the signals that end a session (SIGTERM at logout or from kill,
// SIGINT from a terminal's Ctrl+C, SIGHUP when the terminal goes away) into a
// Qt signal on the main thread, so the program can stop and complete a
// running recording and save its settings before it ends.
#pragma once

#include <QObject>

class QSocketNotifier;

class TerminationSignals : public QObject {
  Q_OBJECT
 public:
  explicit TerminationSignals(QObject* parent = nullptr);
  ~TerminationSignals() override;

 signals:
  void received(int signal);

 private:
  QSocketNotifier* notifier_ = nullptr;
};
