// Typing limits that limit typing only: a longer value set by the program
// (a tag read from a file) is shown whole and can be shortened, but typing
// cannot make a text longer than the limit.
#pragma once

class QLineEdit;
class QPlainTextEdit;
class QString;

void LimitTyping(QLineEdit* edit, int maxChars);
void LimitTyping(QPlainTextEdit* memo, int maxChars);
// Sets a limited memo's text from the program, whatever its length.
void SetTextUnlimited(QPlainTextEdit* memo, const QString& text);

