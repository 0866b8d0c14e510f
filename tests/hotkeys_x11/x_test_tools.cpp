#include "x_test_tools.h"

#include <xcb/xcb.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QtGui/qguiapplication_platform.h>
#include <cstdlib>

#include "app/hotkeys/x11/x11_keyboard_map.h"

namespace zovedu_test {

namespace {
xcb_connection_t* Connection() {
  return qGuiApp->nativeInterface<QNativeInterface::QX11Application>()->connection();
}
}  // namespace

bool RunEventsUntil(const std::function<bool()>& condition, int deadlineMs) {
  QElapsedTimer timer;
  timer.start();
  while (!condition()) {
    if (timer.elapsed() > deadlineMs) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  }
  return true;
}

bool Xdotool(const QStringList& args) { return QProcess::execute(QStringLiteral(ZOVEDU_XDOTOOL), args) == 0; }

bool Key(const QString& combination) { return Xdotool({QStringLiteral("key"), combination}); }

std::uint16_t ModifierState() {
  xcb_connection_t* c = Connection();
  const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
  xcb_query_pointer_reply_t* reply = xcb_query_pointer_reply(c, xcb_query_pointer(c, root), nullptr);
  const std::uint16_t mask = reply ? reply->mask & 0xff : 0;
  std::free(reply);
  return mask;
}

std::uint16_t AltMask() { return hotkeys::X11KeyboardMap(Connection()).AltMask(); }
std::uint16_t NumLockMask() { return hotkeys::X11KeyboardMap(Connection()).NumLockMask(); }

bool SetLock(bool numLock, bool on) {
  const std::uint16_t bit = numLock ? NumLockMask() : std::uint16_t(XCB_MOD_MASK_LOCK);
  const auto isOn = [bit] { return (ModifierState() & bit) != 0; };
  if (isOn() == on) return true;
  if (!Key(numLock ? QStringLiteral("Num_Lock") : QStringLiteral("Caps_Lock"))) return false;
  return RunEventsUntil([&] { return isOn() == on; });
}

GrabHolder::GrabHolder(std::uint32_t keysym, const std::vector<std::uint16_t>& masks)
    : process_(std::make_unique<QProcess>()) {
  QStringList args{QString::number(keysym)};
  for (const std::uint16_t m : masks) args << QString::number(m);
  process_->start(QStringLiteral(ZOVEDU_GRAB_HOLDER), args);
  answer_ = process_->waitForStarted(kXDeadlineMs) ? ReadLine() : QStringLiteral("not started");
}

GrabHolder::~GrabHolder() {
  process_->closeWriteChannel();
  if (!process_->waitForFinished(kXDeadlineMs)) process_->kill();
}

QString GrabHolder::ReadLine() {
  QElapsedTimer timer;
  timer.start();
  while (!process_->canReadLine()) {
    if (timer.elapsed() > kXDeadlineMs || !process_->waitForReadyRead(kXDeadlineMs)) return QStringLiteral("no answer");
  }
  return QString::fromUtf8(process_->readLine()).trimmed();
}

bool GrabHolder::Release() {
  process_->write("release\n");
  return ReadLine() == QLatin1String("released");
}

}  // namespace zovedu_test
