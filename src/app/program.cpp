// Creates the windows in their order and runs the message loop. A second
// start hands its command line to the program already running and ends.
#include <QApplication>
#include <QFileInfo>
#include <QTimer>
#include <cstdio>
#include <cstdlib>

#include "app/single_instance.h"
#include "app/work_folder_lock.h"
#include "app/termination_signals.h"
#include "app/tfrmmain.h"
#include "dialogs/tfrmoption.h"
#include "dialogs/tfrmwiz.h"
#include "schedule/systemd/user_manager.h"
#include "services/app_error.h"
#include "services/message_service.h"

namespace {

// The window an exit() through the display's loss must finish first.
Tfrmmain* g_window = nullptr;

SingleInstance::Request RequestFrom(QStringList args) {
  // The running program may have another working folder.
  if (args.size() > 2 && IsRunArgument(args.at(1))) args[2] = QFileInfo(args.at(2)).absoluteFilePath();
  return {args, qEnvironmentVariable("ZOVEDU_TASK")};
}
}  // namespace

int RunProgram(QApplication& app) {
  const QStringList args = app.arguments();
  SingleInstance instance;
  if (const auto answer = instance.Acquire(RequestFrom(args))) {
    QString message;
    const int code = SingleInstance::ExitCodeFor(*answer, &message);
    if (!message.isEmpty()) std::fprintf(stderr, "%s\n", qPrintable(message));
    return code;
  }
  // Minimised to the tray no window shows: closing a message box then must
  // not end the program. Only the main window's close does.
  app.setQuitOnLastWindowClosed(false);
  Tfrmmain frmmain;
  // One program per work folder: a second session of the same user has its
  // own runtime folder, so the socket above cannot find this one.
  WorkFolderLock workLock(frmmain.FWorkFolder);
  if (!workLock.held()) {
    const QString text = QStringLiteral("Zovedu is already running for this user (in another session); its "
                                        "recordings and settings are in %1.")
                             .arg(frmmain.FWorkFolder);
    std::fprintf(stderr, "zovedu: %s\n", qPrintable(text));
    Messages().show(MsgKind::Error, text, MsgButtons::Ok);
    return 1;
  }
  // When the display goes away, its plugin ends the program with exit():
  // the recording is completed and the audio threads stopped before static
  // objects are destroyed under them. Registered after those objects exist,
  // this runs before their destructors.
  g_window = &frmmain;
  std::atexit([] {
    if (g_window) g_window->FinishBeforeExit();
  });
  Tfrmoption frmoption(&frmmain, &frmmain);
  frmmain.SetOptionsDialog(&frmoption);
  Tfrmwiz frmwiz(&frmmain, &frmoption, &frmmain);
  frmmain.SetWizardDialog(&frmwiz);
  frmmain.SetCommandLine(args, qEnvironmentVariable("ZOVEDU_TASK"));
  QObject::connect(&frmmain, &Tfrmmain::Closed, &app, &QCoreApplication::quit, Qt::QueuedConnection);
  frmmain.ReleaseInstance = [&instance] { instance.Release(); };
  frmmain.ReacquireInstance = [&instance, &args] {
    if (instance.Acquire(RequestFrom(args))) std::fprintf(stderr, "zovedu: another start took over meanwhile\n");
  };
  instance.SetHandler([&frmmain](const SingleInstance::Request& r) { return frmmain.HandOver(r.arguments, r.task); });
  // Logout or kill: stop and complete a recording, save, end.
  TerminationSignals endSignals;
  QObject::connect(&endSignals, &TerminationSignals::received, &frmmain, [&frmmain] { frmmain.EndForTermination(); });
  frmmain.show();
  // Scheduled runs started later reach this desktop; not waited for.
  if (!(args.size() > 1 && IsRunArgument(args.at(1))))
    QTimer::singleShot(0, &frmmain, [] { schedule::ExportSessionEnvironment(); });
  const int code = app.exec();
  g_window = nullptr;
  return code;
}
