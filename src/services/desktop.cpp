#include "services/desktop.h"

#include <QDir>
#include <QFileDialog>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

#include "services/message_service.h"

namespace {

bool IsLocal(const QString& target) {
  return !target.contains(QLatin1String("://")) && !target.startsWith(QLatin1String("mailto:"));
}

// Names the target in full, so that it can be copied into a browser or mail
// program by hand.
void ReportNotOpened(const QString& target) {
  QString text;
  if (IsLocal(target))
    text = QStringLiteral("No program could be found to open:\n") + target;
  else if (target.startsWith(QLatin1String("mailto:")))
    text = QStringLiteral("No mail program could be opened. The address is:\n") + target.mid(7);
  else
    text = QStringLiteral("No web browser could be opened. The address is:\n") + target;
  Messages().show(MsgKind::Warning, text, MsgButtons::Ok);
}

class RealDesktop final : public Desktop {
 public:
  QString browseFolder(QWidget* parent, const QString& title, const QString& start) override {
    return QFileDialog::getExistingDirectory(parent, title, start, QFileDialog::ShowDirsOnly);
  }

  // xdg-open runs in the background; when it cannot open the target (no
  // browser, no handler) the user is told the address to copy.
  bool open(const QString& target) override {
    const QString opener = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
    if (opener.isEmpty()) {
      ReportNotOpened(target);
      return false;
    }
    auto* process = new QProcess;
    process->setStandardInputFile(QProcess::nullDevice());
    process->setProcessChannelMode(QProcess::ForwardedChannels);
    QObject::connect(process, &QProcess::finished, process,
                     [process, target](int code, QProcess::ExitStatus status) {
                       process->deleteLater();
                       if (status != QProcess::NormalExit || code != 0) ReportNotOpened(target);
                     });
    QObject::connect(process, &QProcess::errorOccurred, process, [process, target](QProcess::ProcessError error) {
      if (error != QProcess::FailedToStart) return;
      process->deleteLater();
      ReportNotOpened(target);
    });
    process->start(opener, {IsLocal(target) ? target : QString::fromUtf8(QUrl(target).toEncoded())});
    return true;
  }

  bool startProgram(const QString& program, const QStringList& arguments) override {
    QString resolved = program;
    if (!program.contains(QLatin1Char('/'))) resolved = QStandardPaths::findExecutable(program);
    if (resolved.isEmpty()) return false;
    return QProcess::startDetached(resolved, arguments);
  }
};

RealDesktop g_real;
Desktop* g_desktop = &g_real;

}  // namespace

Desktop& TheDesktop() { return *g_desktop; }
void SetDesktop(Desktop* desktop) { g_desktop = desktop ? desktop : &g_real; }
