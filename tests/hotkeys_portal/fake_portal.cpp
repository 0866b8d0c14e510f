#include "fake_portal.h"

#include <QMutexLocker>

#include "app/hotkeys/portal/portal_names.h"

namespace portal_test {

using hotkeys::portal::PortalShortcut;
using hotkeys::portal::PortalShortcutList;
namespace names = hotkeys::portal;

namespace {
// .../<kind>/<sender, ':' dropped, '.' as '_'>/<token>
QString HandlePath(const QString& kind, QString sender, const QString& token) {
  sender.remove(0, sender.startsWith(QLatin1Char(':')) ? 1 : 0);
  sender.replace(QLatin1Char('.'), QLatin1Char('_'));
  return names::kObjectPath + QLatin1Char('/') + kind + QLatin1Char('/') + sender + QLatin1Char('/') + token;
}

QDBusMessage KeySignal(const char* name, const QString& session, const QString& id) {
  QDBusMessage s = QDBusMessage::createSignal(names::kObjectPath, names::kShortcutsInterface, QLatin1String(name));
  s << QVariant::fromValue(QDBusObjectPath(session)) << id << QVariant::fromValue(qulonglong(1234)) << QVariantMap();
  return s;
}
}  // namespace

QStringList BindCall::Ids() const {
  QStringList ids;
  for (const PortalShortcut& s : shortcuts) ids << s.id;
  return ids;
}

QStringList BindCall::Triggers() const {
  QStringList triggers;
  for (const PortalShortcut& s : shortcuts)
    triggers << s.properties.value(QStringLiteral("preferred_trigger")).toString();
  return triggers;
}

FakePortal::FakePortal(const QString& busAddress, bool offerShortcuts)
    : name_(QStringLiteral("fake-portal-%1").arg(reinterpret_cast<quintptr>(this))),
      bus_(QDBusConnection::connectToBus(busAddress, name_)),
      log_(std::make_shared<PortalLog>()) {
  hotkeys::portal::RegisterPortalTypes();
  if (!bus_.isConnected()) return;
  thread_.start();
  if (offerShortcuts) {
    service_ = new FakeShortcutsService(bus_, log_);
    service_->moveToThread(&thread_);
    if (!bus_.registerObject(names::kObjectPath, service_,
                             QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllProperties))
      return;
  }
  registered_ = bus_.registerService(names::kService);
}

FakePortal::~FakePortal() {
  bus_.unregisterService(names::kService);
  bus_.unregisterObject(names::kObjectPath);
  if (service_) {
    // Deleted on its thread, with the sessions it made.
    QMetaObject::invokeMethod(
        service_, [s = service_] { delete s; }, Qt::BlockingQueuedConnection);
  }
  thread_.quit();
  thread_.wait();
  QDBusConnection::disconnectFromBus(name_);
}

void FakePortal::Refuse(const QString& id) {
  QMutexLocker lock(&log_->mutex);
  log_->refusedIds.insert(id);
}

void FakePortal::AnswerBindWith(uint code) {
  QMutexLocker lock(&log_->mutex);
  log_->bindCode = code;
}

QStringList FakePortal::Created() const {
  QMutexLocker lock(&log_->mutex);
  return log_->created;
}

QStringList FakePortal::Closed() const {
  QMutexLocker lock(&log_->mutex);
  return log_->closed;
}

QList<BindCall> FakePortal::Binds() const {
  QMutexLocker lock(&log_->mutex);
  return log_->binds;
}

QStringList FakePortal::Events() const {
  QMutexLocker lock(&log_->mutex);
  return log_->events;
}

QString FakePortal::BoundSession() const {
  QMutexLocker lock(&log_->mutex);
  return log_->binds.isEmpty() ? QString() : log_->binds.last().session;
}

void FakePortal::Activate(const QString& session, const QString& id) { bus_.send(KeySignal("Activated", session, id)); }

void FakePortal::Deactivate(const QString& session, const QString& id) {
  bus_.send(KeySignal("Deactivated", session, id));
}

FakeShortcutsService::FakeShortcutsService(QDBusConnection bus, std::shared_ptr<PortalLog> log)
    : bus_(std::move(bus)), log_(std::move(log)) {}

void FakeShortcutsService::Respond(const QString& requestPath, uint code, const QVariantMap& results) {
  QDBusMessage response = QDBusMessage::createSignal(requestPath, names::kRequestInterface, QStringLiteral("Response"));
  response << code << results;
  bus_.send(response);
}

QDBusObjectPath FakeShortcutsService::CreateSession(const QVariantMap& options, const QDBusMessage& message) {
  const QString request = HandlePath(QStringLiteral("request"), message.service(),
                                     options.value(QStringLiteral("handle_token")).toString());
  const QString session = HandlePath(QStringLiteral("session"), message.service(),
                                     options.value(QStringLiteral("session_handle_token")).toString());
  auto* object = new FakeSession(bus_, log_, session, this);
  bus_.registerObject(session, object, QDBusConnection::ExportAllSlots);
  {
    QMutexLocker lock(&log_->mutex);
    log_->created << session;
    log_->events << QStringLiteral("create ") + session;
  }
  // The real portal sends the handle as a string.
  Respond(request, 0, {{QStringLiteral("session_handle"), session}});
  return QDBusObjectPath(request);
}

QDBusObjectPath FakeShortcutsService::BindShortcuts(const QDBusObjectPath& session, const PortalShortcutList& shortcuts,
                                                    const QString&, const QVariantMap& options,
                                                    const QDBusMessage& message) {
  const QString request = HandlePath(QStringLiteral("request"), message.service(),
                                     options.value(QStringLiteral("handle_token")).toString());
  PortalShortcutList granted;
  uint code = 0;
  {
    QMutexLocker lock(&log_->mutex);
    log_->binds.append({session.path(), shortcuts});
    log_->events << QStringLiteral("bind ") + session.path();
    code = log_->bindCode;
    for (PortalShortcut s : shortcuts) {
      if (log_->refusedIds.contains(s.id)) continue;
      s.properties = {{QStringLiteral("description"), s.properties.value(QStringLiteral("description"))},
                      {QStringLiteral("trigger_description"), s.properties.value(QStringLiteral("preferred_trigger"))}};
      granted << s;
    }
  }
  QVariantMap results;
  if (code == 0) results.insert(QStringLiteral("shortcuts"), QVariant::fromValue(granted));
  Respond(request, code, results);
  return QDBusObjectPath(request);
}

FakeSession::FakeSession(QDBusConnection bus, std::shared_ptr<PortalLog> log, QString path, QObject* parent)
    : QObject(parent), bus_(std::move(bus)), log_(std::move(log)), path_(std::move(path)) {}

void FakeSession::Close() {
  {
    QMutexLocker lock(&log_->mutex);
    log_->closed << path_;
    log_->events << QStringLiteral("close ") + path_;
  }
  bus_.unregisterObject(path_);
  deleteLater();
}

}  // namespace portal_test
