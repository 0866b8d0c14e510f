#include "dialogs/typing_limit.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QValidator>

namespace {

// Accepts an edit when the result stays within the limit or does not grow
// the text; setText is not validated, so long values arrive whole. The text
// before the edit is kept from textChanged, because the edit's own text
// already holds the change while it is validated.
class GrowthLimit : public QValidator {
 public:
  GrowthLimit(QLineEdit* edit, int maxChars) : QValidator(edit), before_(edit->text()), max_(maxChars) {
    connect(edit, &QLineEdit::textChanged, this, [this](const QString& text) { before_ = text; });
  }
  State validate(QString& input, int&) const override {
    return input.size() <= max_ || input.size() <= before_.size() ? Acceptable : Invalid;
  }

 private:
  QString before_;
  int max_;
};

}  // namespace

void LimitTyping(QLineEdit* edit, int maxChars) { edit->setValidator(new GrowthLimit(edit, maxChars)); }

namespace {
// The memo's text before the latest change, kept on the memo itself.
constexpr const char* kPreviousText = "typingLimitPrevious";
}  // namespace

void LimitTyping(QPlainTextEdit* memo, int maxChars) {
  memo->setProperty(kPreviousText, memo->toPlainText());
  QObject::connect(memo, &QPlainTextEdit::textChanged, memo, [memo, maxChars] {
    const QString previous = memo->property(kPreviousText).toString();
    const QString now = memo->toPlainText();
    if (now.size() > maxChars && now.size() > previous.size()) {
      // Typing or pasting past the limit: undo that change, keep the cursor.
      const int cursor = memo->textCursor().position() - int(now.size() - previous.size());
      const QSignalBlocker block(memo);
      memo->setPlainText(previous);
      QTextCursor c = memo->textCursor();
      c.setPosition(qBound(0, cursor, int(previous.size())));
      memo->setTextCursor(c);
      return;
    }
    memo->setProperty(kPreviousText, now);
  });
}

void SetTextUnlimited(QPlainTextEdit* memo, const QString& text) {
  const QSignalBlocker block(memo);
  memo->setPlainText(text);
  memo->setProperty(kPreviousText, text);
}
