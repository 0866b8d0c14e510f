#include "app/tray/desktop_notification.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QVariantMap>

namespace {
const QString kService = QStringLiteral("org.freedesktop.Notifications");
const QString kPath = QStringLiteral("/org/freedesktop/Notifications");
}  // namespace

DesktopNotification::DesktopNotification(const QDBusConnection& bus, QObject* parent)
    : QObject(parent), bus_(bus) {}

bool DesktopNotification::Available() const {
  if (!bus_.isConnected() || !bus_.interface()) return false;
  QDBusConnectionInterface* names = bus_.interface();
  if (names->isServiceRegistered(kService).value()) return true;
  return names->activatableServiceNames().value().contains(kService);
}

bool DesktopNotification::Show(const QString& appName, const QString& summary, const QString& body, int timeoutMs,
                               std::function<void()> refused) {
  if (!Available()) return false;
  QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kService, QStringLiteral("Notify"));
  // Transient: the length of a recording is of no use in the history later.
  const QVariantMap hints{{QStringLiteral("transient"), true}};
  call << appName << id_ << QStringLiteral("dialog-information") << summary << body << QStringList() << hints
       << qint32(timeoutMs);
  // Asynchronous: a slow service never holds up the recording's monitor.
  auto* watcher = new QDBusPendingCallWatcher(bus_.asyncCall(call), this);
  connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, refused](QDBusPendingCallWatcher* w) {
    const QDBusPendingReply<quint32> reply = *w;
    w->deleteLater();
    if (reply.isError()) {
      if (refused) refused();
    } else {
      id_ = reply.value();
    }
    emit Answered();
  });
  return true;
}
