// Choosing the next recording's file and settling a file of that name that
// already exists: replace it, ask the user, or take the next number.
#pragma once

#include <QString>
#include <functional>
#include <optional>

#include "services/message_service.h"

struct OutputNameSources {
  // The numbered name (creating folders as needed); may throw EAppError.
  std::function<QString(int number)> numberedName;
  std::optional<QString> wizardName;     // the wizard chose the name
  std::optional<QString> scheduledName;  // a scheduled run names its file; never asks
  bool alwaysOverwrite = false;
  bool removeExisting = false;           // the format's writer cannot replace a file itself
  std::function<bool(const QString& path)> exists;  // a link counts, even one to nothing
  std::function<bool(const QString& path)> isLink;
  std::function<bool(const QString& path)> remove;  // the link itself, not what it points to
  std::function<void()> beforeAsking;    // e.g. a stay-on-top window steps back
  std::function<MsgAnswer(const QString& question)> ask;  // Yes, No or Cancel
};

struct OutputNameDecision {
  bool accepted = false;     // false: cancelled, the recording does not start
  QString path;
  int counter = 0;           // the recording counter afterwards
  bool wizardNameUsed = false;  // false once the user refused the wizard's name
};

// Takes numbers from counter + 1 on until a name is accepted or the user cancels.
OutputNameDecision DecideOutputName(int counter, const OutputNameSources& sources);

// Something stands at path: a file, a folder or a link, even one to nothing.
bool PathTaken(const QString& path);

// The question asked about an existing file.
QString OverwriteQuestion(const QString& path);
