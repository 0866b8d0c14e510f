#include "schedule/systemd/user_manager.h"

#include <QDBusArgument>
#include <QDBusVariant>
#include <QFileInfo>
#include <atomic>
#include <cstdlib>

#include "schedule/task_scheduler.h"

namespace schedule {

namespace {

const QString kManagerService = QStringLiteral("org.freedesktop.systemd1");
const QString kManagerPath = QStringLiteral("/org/freedesktop/systemd1");
const QString kManagerInterface = QStringLiteral("org.freedesktop.systemd1.Manager");

QString PrivateSocketPath() {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  if (!runtime || !*runtime) return {};
  return QString::fromLocal8Bit(runtime) + QStringLiteral("/systemd/private");
}

QString NextPeerName() {
  static std::atomic<int> counter{0};
  return QStringLiteral("zovedu-user-manager-%1").arg(++counter);
}

// The manager is addressed by its bus name on the private socket too: replies
// to calls without a destination do not always reach the caller there.
QDBusConnection OpenConnection(QString& peerName) {
  const QString socket = PrivateSocketPath();
  if (!socket.isEmpty() && QFileInfo::exists(socket)) {
    peerName = NextPeerName();
    QDBusConnection peer =
        QDBusConnection::connectToPeer(QStringLiteral("unix:path=") + socket, peerName);
    if (peer.isConnected()) return peer;
    QDBusConnection::disconnectFromPeer(peerName);
    peerName.clear();
  }
  return QDBusConnection::sessionBus();
}

}  // namespace

UserManager::UserManager() : connection_(OpenConnection(peerName_)) {
  // A Reload that is the first message on a new private connection gets no
  // reply (the manager drops the half-registered connection while it
  // reloads), so every connection starts with one plain call.
  answered_ = AskVersion();
}

bool UserManager::AskVersion() {
  if (!connection_.isConnected()) return false;
  QDBusMessage call = QDBusMessage::createMethodCall(
      kManagerService, kManagerPath, QStringLiteral("org.freedesktop.DBus.Properties"),
      QStringLiteral("Get"));
  call.setArguments({kManagerInterface, QStringLiteral("Version")});
  return connection_.call(call, QDBus::Block, 5000).type() == QDBusMessage::ReplyMessage;
}

UserManager::~UserManager() {
  if (!peerName_.isEmpty()) QDBusConnection::disconnectFromPeer(peerName_);
}

QDBusMessage UserManager::Call(const QString& method, const QVariantList& args,
                               bool ignoreNoSuchUnit) {
  if (!connection_.isConnected())
    throw EOSError(QStringLiteral("The user service manager cannot be reached."));
  QDBusMessage call =
      QDBusMessage::createMethodCall(kManagerService, kManagerPath, kManagerInterface, method);
  call.setArguments(args);
  const QDBusMessage reply = connection_.call(call, QDBus::Block);
  if (reply.type() == QDBusMessage::ErrorMessage) {
    if (ignoreNoSuchUnit && reply.errorName() == QStringLiteral("org.freedesktop.systemd1.NoSuchUnit"))
      return reply;
    throw EOSError(reply.errorMessage().isEmpty() ? reply.errorName() : reply.errorMessage());
  }
  return reply;
}

bool UserManager::Answers() {
  if (!connection_.isConnected()) return answered_ = false;
  return answered_ || (answered_ = AskVersion());
}

bool UserManager::Connected() const { return connection_.isConnected(); }

void UserManager::Reload() { Call(QStringLiteral("Reload"), {}); }

void UserManager::EnableTimer(const QString& unit) {
  Call(QStringLiteral("EnableUnitFiles"), {QStringList{unit}, false, true});
}

void UserManager::DisableTimer(const QString& unit) {
  Call(QStringLiteral("DisableUnitFiles"), {QStringList{unit}, false});
}

void UserManager::StartUnit(const QString& unit) {
  Call(QStringLiteral("StartUnit"), {unit, QStringLiteral("replace")});
}

void UserManager::StopUnit(const QString& unit) {
  Call(QStringLiteral("StopUnit"), {unit, QStringLiteral("replace")}, true);
}

void UserManager::RestartUnit(const QString& unit) {
  Call(QStringLiteral("RestartUnit"), {unit, QStringLiteral("replace")});
}

void UserManager::SetEnvironment(const QStringList& assignments) {
  Call(QStringLiteral("SetEnvironment"), {assignments});
}

void ExportSessionEnvironment() {
  QStringList assignments;
  for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "XAUTHORITY"}) {
    const char* value = std::getenv(name);
    if (value && *value) assignments << QString::fromLatin1(name) + '=' + QString::fromLocal8Bit(value);
  }
  if (assignments.isEmpty()) return;
  UserManager manager;
  if (!manager.Answers()) return;
  try {
    manager.SetEnvironment(assignments);
  } catch (const EOSError&) {
    // The next start tries again; a scheduled run then lacks the display.
  }
}

}  // namespace schedule
