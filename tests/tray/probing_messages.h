// A message service that runs a probe while each box would be open (to see
// the windows as the user would see them then) and answers from a queue;
// without answers left, the first button.
#pragma once

#include <QStringList>
#include <deque>
#include <functional>
#include <stdexcept>

#include "services/message_service.h"

namespace tray_test {

class ProbingMessages final : public MessageService {
 public:
  ProbingMessages() : previous_(&Messages()) { SetMessageService(this); }
  ~ProbingMessages() override { SetMessageService(previous_); }

  MsgAnswer show(MsgKind, const QString& text, MsgButtons buttons, const QString&) override {
    texts << text;
    if (probe) probe(text);
    if (!answers.empty()) {
      const MsgAnswer a = answers.front();
      answers.pop_front();
      return a;
    }
    return buttons == MsgButtons::Ok || buttons == MsgButtons::OkCancel ? MsgAnswer::Ok : MsgAnswer::Yes;
  }
  [[noreturn]] void endProgram(MsgKind, const QString& text) override {
    throw std::runtime_error("the program ended: " + text.toStdString());
  }

  std::function<void(const QString& text)> probe;
  std::deque<MsgAnswer> answers;
  QStringList texts;

 private:
  MessageService* previous_;
};

}  // namespace tray_test
