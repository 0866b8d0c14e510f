#include "recording/overwrite_decision.h"

#include <QFileInfo>

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
      if (answer == MsgAnswer::Cancel) {
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
    d.accepted = true;
    d.path = path;
    d.counter = counter;
    d.wizardNameUsed = useWizardName;
    return d;
  }
}
