#include "recording/overwrite_decision.h"

#include <QFileInfo>

bool PathTaken(const QString& path) {
  const QFileInfo info(path);
  return info.exists() || info.isSymLink();
}

QString OverwriteQuestion(const QString& path) {
  return QFileInfo(path).fileName() + QStringLiteral(" have existed. overwrite it?");
}

OutputNameDecision DecideOutputName(int counter, const OutputNameSources& s) {
  OutputNameDecision d;
  bool useWizardName = s.wizardName.has_value();
  for (;;) {
    ++counter;
    QString path = s.numberedName(counter);
    if (useWizardName) path = *s.wizardName;
    if (s.scheduledName) path = *s.scheduledName;

    if (s.alwaysOverwrite) {
      if (s.removeExisting && s.exists(path)) s.remove(path);
    } else if (s.exists(path) && !s.scheduledName) {
      if (s.beforeAsking) s.beforeAsking();
      const MsgAnswer answer = s.ask(OverwriteQuestion(path));
      // Only Yes replaces the file: a question closed unanswered (the
      // program ending under it) cancels.
      if (answer != MsgAnswer::Yes && answer != MsgAnswer::No) {
        d.counter = counter - 1;
        d.wizardNameUsed = useWizardName;
        return d;
      }
      if (answer == MsgAnswer::No) {
        useWizardName = false;
        continue;
      }
      if (answer == MsgAnswer::Yes && s.removeExisting) s.remove(path);
    }
    // A link at the name is replaced, never written through: the recording
    // must not land wherever it points.
    if (s.isLink && s.isLink(path)) s.remove(path);
    d.accepted = true;
    d.path = path;
    d.counter = counter;
    d.wizardNameUsed = useWizardName;
    return d;
  }
}
