// One balloon at a time through the desktop's notification service
// (org.freedesktop.Notifications): each one replaces the one before it
// instead of piling up.
#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QString>
#include <functional>

class DesktopNotification : public QObject {
  Q_OBJECT

 public:
  explicit DesktopNotification(const QDBusConnection& bus, QObject* parent = nullptr);

  // The service is running or is started on demand by the bus.
  bool Available() const;
  // Sends a notification that replaces the previous one. False, and nothing
  // sent, when the service is not on the bus; refused runs when the service
  // answers with an error instead of an id.
  bool Show(const QString& appName, const QString& summary, const QString& body, int timeoutMs,
            std::function<void()> refused = {});
  // The id the service gave the last notification, 0 before the first answer.
  quint32 LastId() const { return id_; }

 signals:
  void Answered();  // an answer (id or error) arrived

 private:
  QDBusConnection bus_;
  quint32 id_ = 0;
};
