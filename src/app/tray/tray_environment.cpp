#include "app/tray/tray_environment.h"

#include <QDBusConnectionInterface>
#include <QSystemTrayIcon>

namespace {
TrayHostCheck& HostCheck() {
  static TrayHostCheck check;
  return check;
}
TrayBusChoice& BusChoice() {
  static TrayBusChoice choice;
  return choice;
}
TrayMessageSink& MessageSink() {
  static TrayMessageSink sink;
  return sink;
}
}  // namespace

void SetTrayHostCheck(TrayHostCheck check) { HostCheck() = std::move(check); }

bool TrayHostAvailable() {
  if (HostCheck()) return HostCheck()();
  return QSystemTrayIcon::isSystemTrayAvailable();
}

void SetTrayBus(TrayBusChoice choice) { BusChoice() = std::move(choice); }

QDBusConnection TrayBus() {
  if (BusChoice()) return BusChoice()();
  return QDBusConnection::sessionBus();
}

bool StatusNotifierTray() {
  const QDBusConnection bus = TrayBus();
  if (!bus.isConnected() || !bus.interface()) return false;
  return bus.interface()->isServiceRegistered(QStringLiteral("org.kde.StatusNotifierWatcher")).value();
}

void SetTrayMessageSink(TrayMessageSink sink) { MessageSink() = std::move(sink); }

void ShowTrayMessage(QSystemTrayIcon& icon, const QString& title, const QString& text, int timeoutMs) {
  if (MessageSink())
    MessageSink()(icon, title, text, timeoutMs);
  else
    icon.showMessage(title, text, QSystemTrayIcon::Information, timeoutMs);
}
