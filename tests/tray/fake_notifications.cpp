#include "fake_notifications.h"

#include <QDBusMessage>

namespace tray_test {

bool FakeNotifications::Register(QDBusConnection bus) {
  return bus.registerObject(QStringLiteral("/org/freedesktop/Notifications"), this,
                            QDBusConnection::ExportAllSlots) &&
         bus.registerService(QStringLiteral("org.freedesktop.Notifications"));
}

quint32 FakeNotifications::Notify(const QString& appName, quint32 replacesId, const QString& icon,
                                  const QString& summary, const QString& body, const QStringList&,
                                  const QVariantMap& hints, qint32 timeout) {
  const quint32 id = refuse ? 0 : (replacesId != 0 ? replacesId : ++nextId_);
  calls.push_back({appName, replacesId, icon, summary, body, hints, timeout, id});
  if (refuse) sendErrorReply(QDBusError::Failed, QStringLiteral("refused"));
  return id;
}

}  // namespace tray_test
