#include "recording/failure_causes.h"

#include <fcntl.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstring>

#include "audio/zaudio.h"

namespace {

// Less than this left counts as a full disk: no encoder can finish a file.
constexpr unsigned long long kFullBelow = 64 * 1024;

}  // namespace

QString SystemErrorText(int error) {
  QString text = QString::fromLocal8Bit(std::strerror(error));
  if (!text.isEmpty()) text[0] = text[0].toLower();
  return text;
}

QString CaptureFailureCause(int libraryError) {
  switch (libraryError) {
    case zaudio::ERROR_DRIVER: return QStringLiteral("The sound server cannot be reached.");
    case zaudio::ERROR_INIT: return QStringLiteral("No recording device is open.");
    case zaudio::ERROR_DEVICE: return QStringLiteral("The recording device is not there any more.");
    case zaudio::ERROR_FORMAT:
    case zaudio::ERROR_FREQ: return QStringLiteral("The recording device does not take this sample format.");
    case zaudio::ERROR_START: return QStringLiteral("The sound server refused to start the capture.");
    case zaudio::ERROR_MEM: return QStringLiteral("There is not enough memory.");
    default: return QString();
  }
}

bool VolumeFull(const QString& path) {
  const QFileInfo info(path);
  const QString folder = info.isDir() ? path : info.absolutePath();
  struct statvfs fs {};
  if (::statvfs(QFile::encodeName(folder).constData(), &fs) != 0) return false;
  return static_cast<unsigned long long>(fs.f_bavail) * fs.f_frsize < kFullBelow;
}

QString WriteFailureCause(const QString& path) {
  const QByteArray name = QFile::encodeName(path);
  int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
  if (fd >= 0) {
    ::close(fd);
    ::unlink(name.constData());
  } else if (errno == EEXIST) {
    fd = ::open(name.constData(), O_WRONLY | O_NOFOLLOW | O_CLOEXEC);
    if (fd >= 0) ::close(fd);
  }
  if (fd < 0) {
    const int error = errno;
    return QStringLiteral("%1: %2.").arg(path, SystemErrorText(error));
  }
  if (VolumeFull(path)) return QStringLiteral("%1: %2.").arg(path, SystemErrorText(ENOSPC));
  return QString();
}

QString WithCause(const QString& message, const QString& cause) {
  return cause.isEmpty() ? message : message + QLatin1Char('\n') + cause;
}
