// Every message box, question and "the program ends" goes through here, so that
// tests can answer questions and see what was shown without a modal loop.
#pragma once

#include <QString>

enum class MsgKind { Error, Warning, Confirmation, Information, System };
enum class MsgButtons { Ok, YesNo, YesNoCancel, OkCancel };
enum class MsgAnswer { None, Ok, Yes, No, Cancel };

class MessageService {
 public:
  virtual ~MessageService() = default;
  // Shows a modal box and returns the button pressed. An empty caption means
  // the system default caption.
  virtual MsgAnswer show(MsgKind kind, const QString& text, MsgButtons buttons,
                         const QString& caption = QString()) = 0;
  // Shows the box, then ends the program at once; nothing is saved.
  [[noreturn]] virtual void endProgram(MsgKind kind, const QString& text) = 0;
};

// The service in use; the desktop one until a test installs its own.
MessageService& Messages();
void SetMessageService(MessageService* service);  // nullptr restores the desktop one

// While set, nobody may be there to click (the program ends for a termination
// signal): the desktop service shows no box but writes the text to standard
// error, and a question counts as not answered.
void SetUnattended(bool on);
bool Unattended();

// Shows the message of an error escaping an event handler, as the desktop's
// standard error display does.
void ShowAppError(const QString& text);
