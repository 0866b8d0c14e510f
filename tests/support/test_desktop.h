// A desktop for tests: answers the folder browser from a queue and records what
// would have been opened or started.
#pragma once

#include <QStringList>
#include <deque>

#include "services/desktop.h"

class TestDesktop final : public Desktop {
 public:
  TestDesktop() { SetDesktop(this); }
  ~TestDesktop() override { SetDesktop(nullptr); }

  QString browseFolder(QWidget*, const QString& title, const QString& start) override {
    browseTitles << title;
    browseStarts << start;
    if (folders.empty()) return QString();
    QString f = folders.front();
    folders.pop_front();
    return f;
  }
  bool open(const QString& target) override {
    opened << target;
    return true;
  }
  bool startProgram(const QString& program, const QStringList& arguments) override {
    started << (QStringList{program} + arguments).join(QLatin1Char(' '));
    return startResult;
  }

  std::deque<QString> folders;  // answers of the folder browser; empty = cancel
  QStringList browseTitles, browseStarts, opened, started;
  bool startResult = true;
};
