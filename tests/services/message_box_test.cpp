// The desktop's message boxes: a very long path wraps inside the screen.
#include <gtest/gtest.h>

#include <QApplication>
#include <QMessageBox>
#include <QScreen>
#include <QTimer>

#include "services/message_service.h"

TEST(MessageBox, AVeryLongPathWrapsInsideTheScreen) {
  const QString path = "/home/u/Music/My Recordings/" + QString(40, 'd') + "/" + QString(600, 'n') + ".wav";
  int width = 0, screen = 0;
  bool seen = false;
  QTimer watch;
  watch.setInterval(10);
  QObject::connect(&watch, &QTimer::timeout, [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box || !box->isVisible()) return;
    seen = true;
    width = box->frameGeometry().width();
    screen = box->screen()->availableGeometry().width();
    box->accept();
  });
  watch.start();
  Messages().show(MsgKind::Error, "Couldn't use WAVE Encoder\n" + path + ": file name too long.", MsgButtons::Ok);
  ASSERT_TRUE(seen);
  EXPECT_LE(width, screen);
}
