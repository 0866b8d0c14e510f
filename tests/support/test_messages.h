// A message service for tests: records every box, answers questions from a
// queue (default: the first button) and turns "the program ends" into an
// exception the test can catch.
#pragma once

#include <QString>
#include <QStringList>
#include <deque>
#include <functional>
#include <stdexcept>
#include <vector>

#include "services/message_service.h"

struct ProgramEnded : std::runtime_error {
  explicit ProgramEnded(const QString& text) : std::runtime_error(text.toStdString()) {}
};

struct ShownMessage {
  MsgKind kind;
  QString text;
  MsgButtons buttons;
  QString caption;
};

class TestMessages final : public MessageService {
 public:
  TestMessages() { SetMessageService(this); }
  ~TestMessages() override { SetMessageService(nullptr); }

  MsgAnswer show(MsgKind kind, const QString& text, MsgButtons buttons,
                 const QString& caption) override;
  [[noreturn]] void endProgram(MsgKind kind, const QString& text) override;

  void answer(MsgAnswer a) { answers.push_back(a); }
  QStringList texts() const;

  std::vector<ShownMessage> shown;
  std::deque<MsgAnswer> answers;
  bool ended = false;
  // Runs while a box is open, before it is answered, as the event loop of a
  // real box would run timers meanwhile. Boxes it opens itself are recorded
  // and answered without running it again.
  std::function<void(const ShownMessage&)> whileOpen;

 private:
  int open_ = 0;
};
