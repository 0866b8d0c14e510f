// A desktop portal offering GlobalShortcuts on a private bus: it records the
// sessions and shortcuts asked for, grants them all or refuses some, answers
// through Request Response signals (sent before the method's own reply, the
// hardest order for a client) and emits Activated on request.
#pragma once

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QMutex>
#include <QObject>
#include <QSet>
#include <QStringList>
#include <QThread>
#include <memory>

#include "app/hotkeys/portal/portal_shortcut.h"

namespace portal_test {

struct BindCall {
  QString session;
  hotkeys::portal::PortalShortcutList shortcuts;
  QStringList Ids() const;
  // Each shortcut's preferred_trigger, in order.
  QStringList Triggers() const;
};

// What the portal was asked and how it answers, shared with its thread.
struct PortalLog {
  mutable QMutex mutex;
  QStringList created;  // session handles
  QStringList closed;
  QList<BindCall> binds;
  QStringList events;  // "create <session>", "bind <session>", "close <session>" in order
  QSet<QString> refusedIds;  // left out of the granted shortcuts
  uint bindCode = 0;         // the BindShortcuts Response code
};

class FakeShortcutsService;

class FakePortal {
 public:
  // With offerShortcuts false the portal's name is owned but no object
  // offers GlobalShortcuts.
  explicit FakePortal(const QString& busAddress, bool offerShortcuts = true);
  ~FakePortal();
  FakePortal(const FakePortal&) = delete;
  FakePortal& operator=(const FakePortal&) = delete;

  bool Registered() const { return registered_; }

  void Refuse(const QString& id);
  void AnswerBindWith(uint code);

  QStringList Created() const;
  QStringList Closed() const;
  QList<BindCall> Binds() const;
  QStringList Events() const;
  // The latest session shortcuts were bound in; empty before any.
  QString BoundSession() const;

  // The desktop's signals for a key of `session`.
  void Activate(const QString& session, const QString& id);
  void Deactivate(const QString& session, const QString& id);

 private:
  QString name_;
  QDBusConnection bus_;
  std::shared_ptr<PortalLog> log_;
  QThread thread_;
  FakeShortcutsService* service_ = nullptr;
  bool registered_ = false;
};

// The exported GlobalShortcuts object; runs on the portal's own thread so
// that blocking calls from the test's thread are answered.
class FakeShortcutsService : public QObject {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.freedesktop.portal.GlobalShortcuts")
  Q_PROPERTY(uint version READ version)

 public:
  FakeShortcutsService(QDBusConnection bus, std::shared_ptr<PortalLog> log);
  uint version() const { return 1; }

 public slots:
  QDBusObjectPath CreateSession(const QVariantMap& options, const QDBusMessage& message);
  // The list is spelled out: QtDBus looks the type up by this name.
  QDBusObjectPath BindShortcuts(const QDBusObjectPath& session, const QList<hotkeys::portal::PortalShortcut>& shortcuts,
                                const QString& parentWindow, const QVariantMap& options, const QDBusMessage& message);

 private:
  void Respond(const QString& requestPath, uint code, const QVariantMap& results);

  QDBusConnection bus_;
  std::shared_ptr<PortalLog> log_;
};

// One session object: Close records and removes it.
class FakeSession : public QObject {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.freedesktop.portal.Session")

 public:
  FakeSession(QDBusConnection bus, std::shared_ptr<PortalLog> log, QString path, QObject* parent);

 public slots:
  void Close();

 private:
  QDBusConnection bus_;
  std::shared_ptr<PortalLog> log_;
  QString path_;
};

}  // namespace portal_test
