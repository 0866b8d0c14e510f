// Creates the windows in their order and runs the message loop.
#include <QApplication>

#include "app/tfrmmain.h"
#include "dialogs/tfrmoption.h"
#include "services/app_error.h"
#include "services/message_service.h"

int RunProgram(QApplication& app) {
  app.setQuitOnLastWindowClosed(true);
  Tfrmmain frmmain;
  Tfrmoption frmoption(&frmmain, &frmmain);
  frmmain.SetOptionsDialog(&frmoption);
  frmmain.show();
  return app.exec();
}
