// Creates the windows in their order and runs the message loop.
#include <QApplication>

#include "app/termination_signals.h"
#include "app/tfrmmain.h"
#include "dialogs/tfrmoption.h"
#include "services/app_error.h"
#include "services/message_service.h"

int RunProgram(QApplication& app) {
  app.setQuitOnLastWindowClosed(true);
  Tfrmmain frmmain;
  Tfrmoption frmoption(&frmmain, &frmmain);
  frmmain.SetOptionsDialog(&frmoption);
  // Logout or kill: stop and complete a recording, save, end.
  TerminationSignals endSignals;
  QObject::connect(&endSignals, &TerminationSignals::received, &frmmain, [&frmmain] { frmmain.CloseWithoutAsking(); });
  frmmain.show();
  return app.exec();
}
