// A notification service on a private bus that records what it is asked to
// show and answers with ids of its own, or refuses every call.
#pragma once

#include <QDBusConnection>
#include <QDBusContext>
#include <QObject>
#include <QStringList>
#include <QVariantMap>
#include <vector>

namespace tray_test {

struct NotifyCall {
  QString appName;
  quint32 replacesId;
  QString icon, summary, body;
  QVariantMap hints;
  qint32 timeout;
  quint32 answeredId;  // 0: refused
};

class FakeNotifications : public QObject, protected QDBusContext {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")

 public:
  // Registers the service on bus; false when the name or object is taken.
  bool Register(QDBusConnection bus);

  std::vector<NotifyCall> calls;
  bool refuse = false;

 public slots:
  quint32 Notify(const QString& appName, quint32 replacesId, const QString& icon, const QString& summary,
                 const QString& body, const QStringList& actions, const QVariantMap& hints, qint32 timeout);

 private:
  quint32 nextId_ = 41;
};

}  // namespace tray_test
