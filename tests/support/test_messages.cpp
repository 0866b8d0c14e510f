#include "test_messages.h"

MsgAnswer TestMessages::show(MsgKind kind, const QString& text, MsgButtons buttons,
                             const QString& caption) {
  shown.push_back({kind, text, buttons, caption});
  if (whileOpen && open_ == 0) {
    const ShownMessage current = shown.back();  // the hook may add to `shown`
    ++open_;
    whileOpen(current);
    --open_;
  }
  if (!answers.empty()) {
    const MsgAnswer a = answers.front();
    answers.pop_front();
    return a;
  }
  switch (buttons) {
    case MsgButtons::Ok:
    case MsgButtons::OkCancel:
      return MsgAnswer::Ok;
    case MsgButtons::YesNo:
    case MsgButtons::YesNoCancel:
      return MsgAnswer::Yes;
  }
  return MsgAnswer::None;
}

void TestMessages::endProgram(MsgKind kind, const QString& text) {
  shown.push_back({kind, text, MsgButtons::Ok, QString()});
  ended = true;
  throw ProgramEnded(text);
}

QStringList TestMessages::texts() const {
  QStringList out;
  for (const auto& m : shown) out << m.text;
  return out;
}
