#include "app/application.h"

#include "services/app_error.h"
#include "services/message_service.h"

ZoveduApplication::ZoveduApplication(int& argc, char** argv) : QApplication(argc, argv) {
  setApplicationName(QStringLiteral("Zovedu"));
  setApplicationDisplayName(QStringLiteral("Zovedu"));
}

bool ZoveduApplication::notify(QObject* receiver, QEvent* event) {
  try {
    return QApplication::notify(receiver, event);
  } catch (const EAppError& e) {
    ShowAppError(e.text());
  } catch (const std::exception& e) {
    ShowAppError(QString::fromLocal8Bit(e.what()));
  }
  return false;
}
