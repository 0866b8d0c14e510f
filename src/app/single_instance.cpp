#include "app/single_instance.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>
#include <QtEndian>

namespace {

constexpr int kConnectMs = 2000;
// The running program answers after it has applied a task file and started
// recording; generous so that a busy machine is not taken for a hung one.
constexpr int kAnswerMs = 20000;
constexpr quint32 kMaxRequest = 1 << 20;

QString RuntimeBase() {
  const QByteArray dir = qgetenv("XDG_RUNTIME_DIR");
  if (!dir.isEmpty()) return QFile::decodeName(dir);
  return QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
}

// Held while deciding who runs, so that two starts finding a stale socket do
// not both remove and recreate it.
class FolderLock {
 public:
  explicit FolderLock(const QString& folder) {
    fd_ = ::open(QFile::encodeName(folder + QStringLiteral("/instance.lock")).constData(),
                 O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd_ >= 0) ::flock(fd_, LOCK_EX);
  }
  ~FolderLock() {
    if (fd_ >= 0) ::close(fd_);
  }

 private:
  int fd_ = -1;
};

QByteArray Encode(const SingleInstance::Request& request) {
  QJsonObject o;
  o.insert(QStringLiteral("arguments"), QJsonArray::fromStringList(request.arguments));
  o.insert(QStringLiteral("task"), request.task);
  const QByteArray body = QJsonDocument(o).toJson(QJsonDocument::Compact);
  QByteArray frame(4, '\0');
  qToBigEndian<quint32>(static_cast<quint32>(body.size()), frame.data());
  return frame + body;
}

bool PeerIsUs(QLocalSocket* socket) {
  ucred cred{};
  socklen_t len = sizeof cred;
  if (::getsockopt(static_cast<int>(socket->socketDescriptor()), SOL_SOCKET, SO_PEERCRED, &cred, &len) != 0)
    return false;
  return cred.uid == ::getuid();
}

enum class Contact { Answered, NobodyThere, NoAnswer };

Contact Ask(const QString& path, const SingleInstance::Request& request, QString* answer) {
  QLocalSocket socket;
  socket.connectToServer(path);
  if (!socket.waitForConnected(kConnectMs)) return Contact::NobodyThere;
  socket.write(Encode(request));
  if (!socket.waitForBytesWritten(kConnectMs)) return Contact::NoAnswer;
  QByteArray line;
  while (!line.contains('\n')) {
    if (!socket.waitForReadyRead(kAnswerMs)) {
      line += socket.readAll();
      break;
    }
    line += socket.readAll();
  }
  if (!line.contains('\n')) return Contact::NoAnswer;
  *answer = QString::fromUtf8(line.left(line.indexOf('\n')));
  return Contact::Answered;
}

}  // namespace

QString InstanceFolder(QString* why) {
  const QString base = RuntimeBase();
  if (base.isEmpty()) {
    if (why) *why = QStringLiteral("no runtime folder");
    return QString();
  }
  const QString folder = base + QStringLiteral("/zovedu");
  const QByteArray native = QFile::encodeName(folder);
  ::mkdir(native.constData(), 0700);
  struct stat st {};
  if (::lstat(native.constData(), &st) != 0 || !S_ISDIR(st.st_mode)) {
    if (why) *why = folder + QStringLiteral(" is not a folder");
    return QString();
  }
  if (st.st_uid != ::getuid() || (st.st_mode & 077) != 0) {
    if (why) *why = folder + QStringLiteral(" is open to other users");
    return QString();
  }
  return folder;
}

SingleInstance::SingleInstance(QObject* parent) : QObject(parent) {}

SingleInstance::~SingleInstance() { Release(); }

std::optional<QString> SingleInstance::Acquire(const Request& request) {
  QString why;
  const QString folder = InstanceFolder(&why);
  if (folder.isEmpty()) {
    qWarning("Zovedu: not checking for a running program: %s", qPrintable(why));
    return std::nullopt;
  }
  path_ = folder + QStringLiteral("/instance");
  FolderLock lock(folder);
  QString answer;
  switch (Ask(path_, request, &answer)) {
    case Contact::Answered: return answer;
    // It took the request but did not answer in time (a message box may be
    // open there): it is alive, so its socket is not taken over.
    case Contact::NoAnswer: return QStringLiteral("silent");
    case Contact::NobodyThere: break;
  }
  // Nobody there: what is left is from a program that ended.
  QLocalServer::removeServer(path_);
  server_ = new QLocalServer(this);
  server_->setSocketOptions(QLocalServer::UserAccessOption);
  if (!server_->listen(path_)) {
    qWarning("Zovedu: cannot listen on %s: %s", qPrintable(path_), qPrintable(server_->errorString()));
    delete server_;
    server_ = nullptr;
    return std::nullopt;
  }
  connect(server_, &QLocalServer::newConnection, this, &SingleInstance::Accept);
  return std::nullopt;
}

std::optional<QString> SingleInstance::AskRunning(const Request& request) {
  const QString folder = InstanceFolder();
  if (folder.isEmpty()) return std::nullopt;
  QString answer;
  switch (Ask(folder + QStringLiteral("/instance"), request, &answer)) {
    case Contact::Answered: return answer;
    case Contact::NoAnswer: return QStringLiteral("silent");
    case Contact::NobodyThere: break;
  }
  return std::nullopt;
}

void SingleInstance::SetHandler(Handler handler) {
  handler_ = std::move(handler);
  // Requests that came before are served now.
  if (!server_) return;
  for (QLocalSocket* s : server_->findChildren<QLocalSocket*>())
    if (s->bytesAvailable() > 0) Serve(s);
}

bool SingleInstance::Listening() const { return server_ && server_->isListening(); }

void SingleInstance::Release() {
  if (!server_) return;
  server_->close();
  delete server_;
  server_ = nullptr;
}

void SingleInstance::Accept() {
  while (QLocalSocket* socket = server_ ? server_->nextPendingConnection() : nullptr) {
    if (!PeerIsUs(socket)) {
      socket->abort();
      socket->deleteLater();
      continue;
    }
    // Not while it is being served: the handler may run a question's event
    // loop, and the socket must outlive the call that serves it.
    connect(socket, &QLocalSocket::disconnected, socket, [socket] {
      if (!socket->property("serving").toBool()) socket->deleteLater();
    });
    connect(socket, &QLocalSocket::readyRead, this, [this, socket] { Serve(socket); });
    if (socket->bytesAvailable() > 0) Serve(socket);
  }
}

void SingleInstance::Serve(QLocalSocket* socket) {
  if (!handler_ || socket->property("served").toBool()) return;
  if (socket->bytesAvailable() < 4) return;
  QByteArray head = socket->peek(4);
  const quint32 size = qFromBigEndian<quint32>(head.constData());
  if (size > kMaxRequest) {
    socket->abort();
    return;
  }
  if (socket->bytesAvailable() < 4 + static_cast<qint64>(size)) return;
  socket->read(4);
  const QJsonObject o = QJsonDocument::fromJson(socket->read(size)).object();
  Request request;
  for (const QJsonValue& v : o.value(QStringLiteral("arguments")).toArray()) request.arguments << v.toString();
  request.task = o.value(QStringLiteral("task")).toString();
  socket->setProperty("served", true);
  // The handler may open a question; a client may give up meanwhile, and
  // then gets no answer.
  socket->setProperty("serving", true);
  const QString answer = handler_(request);
  socket->setProperty("serving", false);
  if (socket->state() != QLocalSocket::ConnectedState) {
    socket->deleteLater();
    return;
  }
  socket->write(answer.toUtf8() + '\n');
  socket->flush();
  socket->disconnectFromServer();
}

int SingleInstance::ExitCodeFor(const QString& answer, QString* message) {
  if (answer == QLatin1String("shown") || answer == QLatin1String("started") || answer == QLatin1String("done"))
    return 0;
  if (answer == QLatin1String("waiting")) {
    *message = QStringLiteral("Zovedu will start the scheduled recording once its open window is closed.");
    return 0;
  }
  if (answer == QLatin1String("busy"))
    *message = QStringLiteral("Zovedu is recording already; the scheduled task did not start.");
  else if (answer == QLatin1String("silent"))
    *message = QStringLiteral("Zovedu is running but did not answer.");
  else
    *message = QStringLiteral("Zovedu could not start the scheduled recording.");
  return 1;
}
