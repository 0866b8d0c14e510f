// Test entry of the X11 hotkey tests: a private Xvfb, then one QApplication
// on the xcb platform connected to it.
#include <QApplication>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>

#include "support/private_display.h"

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  // Listing the tests needs no display.
  if (::testing::GTEST_FLAG(list_tests)) return RUN_ALL_TESTS();
  zovedu_test::PrivateDisplay display;
  if (!display.Start(ZOVEDU_XVFB, 30000)) {
    std::fprintf(stderr, "no private X server: %s\n", display.error().c_str());
    return 1;
  }
  qputenv("DISPLAY", QByteArray::fromStdString(display.name()));
  qputenv("QT_QPA_PLATFORM", "xcb");
  // The session around the tests may be Wayland; these tests are about X11.
  qunsetenv("WAYLAND_DISPLAY");
  qputenv("XDG_SESSION_TYPE", "x11");
  int result = 0;
  {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Zovedu"));
    result = RUN_ALL_TESTS();
  }
  display.Stop();
  return result;
}
