// Program entry: application title, the main window and the message loop.
#include <QApplication>

#include "app/tfrmmain.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Zovedu"));
  QApplication::setApplicationDisplayName(QStringLiteral("Zovedu"));
  return RunProgram(app);
}
