// Test entry for the tray on a real X server: the desktop (X server, private
// bus, window manager with its tray) starts before the application object,
// which then uses the xcb platform on it.
#include <gtest/gtest.h>

#include <QApplication>
#include <QSystemTrayIcon>
#include <cstdio>

#include "support/scratch_dir.h"
#include "wait_for.h"
#include "x_desktop.h"

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  if (GTEST_FLAG_GET(list_tests)) return RUN_ALL_TESTS();
  zovedu_test::ScratchDir scratch;
  std::string whyNot;
  auto desktop = tray_x11::XDesktop::Start(scratch.path().string(), whyNot);
  if (!desktop) {
    std::fprintf(stderr, "no X desktop for the tray tests: %s\n", whyNot.c_str());
    return 1;
  }
  qputenv("QT_QPA_PLATFORM", "xcb");
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Zovedu"));
  // As the program does: a hidden main window is not the end.
  app.setQuitOnLastWindowClosed(false);
  if (!tray_test::WaitFor([] { return QSystemTrayIcon::isSystemTrayAvailable(); }, 30)) {
    std::fprintf(stderr, "the window manager offers no tray on %s\n", qPrintable(desktop->display()));
    return 1;
  }
  return RUN_ALL_TESTS();
}
