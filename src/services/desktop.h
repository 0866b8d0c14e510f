// What the program asks of the desktop: choose a folder, open a folder, page
// or mail address, and start another program. Tests install their own to
// answer the folder browser and to see what would have been opened.
#pragma once

#include <QString>
#include <QStringList>

class QWidget;

class Desktop {
 public:
  virtual ~Desktop() = default;
  // The chosen folder, or empty when the user cancelled.
  virtual QString browseFolder(QWidget* parent, const QString& title, const QString& start) = 0;
  // Opens a local folder or file, a web page or a mailto: address with the
  // desktop's handler. False when there is no handler to ask; a handler that
  // fails later is reported to the user with the target to copy.
  virtual bool open(const QString& target) = 0;
  // Starts a program without a shell; false when it cannot be started.
  virtual bool startProgram(const QString& program, const QStringList& arguments) = 0;
};

Desktop& TheDesktop();
void SetDesktop(Desktop* desktop);  // nullptr restores the real desktop
