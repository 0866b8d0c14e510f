#include "app/application.h"

#include <QFont>

#include "services/accessible_names.h"
#include "services/app_error.h"
#include "services/message_service.h"

ZoveduApplication::ZoveduApplication(int& argc, char** argv) : QApplication(argc, argv) {
  setApplicationName(QStringLiteral("Zovedu"));
  setApplicationDisplayName(QStringLiteral("Zovedu"));
  accessible::InstallInterfaces();
  // The windows are laid out for an 11-pixel Tahoma; where it is missing the
  // desktop's sans serif takes its place at the same size.
  QFont font(QStringLiteral("Tahoma"));
  font.setStyleHint(QFont::SansSerif);
  font.setPixelSize(11);
  setFont(font);
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
