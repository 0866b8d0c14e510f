#include "services/desktop.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

namespace {

class RealDesktop final : public Desktop {
 public:
  QString browseFolder(QWidget* parent, const QString& title, const QString& start) override {
    return QFileDialog::getExistingDirectory(parent, title, start, QFileDialog::ShowDirsOnly);
  }

  bool open(const QString& target) override {
    const QUrl url = target.contains(QLatin1String("://")) || target.startsWith(QLatin1String("mailto:"))
                         ? QUrl(target)
                         : QUrl::fromLocalFile(target);
    return QDesktopServices::openUrl(url);
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
