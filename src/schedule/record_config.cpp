#include "schedule/record_config.h"

#include <fcntl.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>

#include "services/app_error.h"
#include "settings/ini_file.h"

namespace schedule {
namespace {

QString ConfigText(const RecordConfig& c) {
  QString text = QStringLiteral("[Record]\nOutName=%1\nOutFormat=%2\nSource=%3\nVolume=%4\nStoptime=%5\n")
                     .arg(c.outName)
                     .arg(c.outFormat)
                     .arg(c.source)
                     .arg(c.volume)
                     .arg(c.stopTime);
  if (c.additionalTask) text += QStringLiteral("app=%1\npar=%2\n").arg(c.app, c.par);
  return text;
}

bool WriteAll(int fd, const QByteArray& bytes) {
  const char* p = bytes.constData();
  qsizetype left = bytes.size();
  while (left > 0) {
    const ssize_t n = ::write(fd, p, static_cast<size_t>(left));
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    p += n;
    left -= n;
  }
  return true;
}

}  // namespace

QString WriteRecordConfig(const RecordConfig& config) {
  const QString folder = QFileInfo(config.outName).path();
  const QString base = folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
  const QByteArray bytes = ConfigText(config).toUtf8();
  for (int n = 0;; ++n) {
    const QString path = base + (n == 0 ? QStringLiteral("Record.cfg") : QStringLiteral("Record%1.cfg").arg(n));
    // O_EXCL: a file made meanwhile by anyone else is skipped, never replaced.
    const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0) {
      if (errno == EEXIST) continue;
      throw EAppError(QStringLiteral("Unable to write to ") + path);
    }
    const bool ok = WriteAll(fd, bytes) && ::fsync(fd) == 0;
    if (::close(fd) != 0 || !ok) {
      ::unlink(QFile::encodeName(path).constData());
      throw EAppError(QStringLiteral("Unable to write to ") + path);
    }
    return path;
  }
}

RecordConfig ReadRecordConfig(const QString& path, bool* opened) {
  RecordConfig c;
  const QFileInfo info(path);
  const bool readable = info.isFile() && info.isReadable();
  if (opened) *opened = readable;
  if (!readable) return c;
  const IniFile ini(path);
  const QString section = QStringLiteral("Record");
  c.outName = ini.ReadString(section, QStringLiteral("OutName"), QString());
  c.outFormat = ini.ReadInteger(section, QStringLiteral("OutFormat"), -1);
  c.source = ini.ReadInteger(section, QStringLiteral("Source"), -1);
  c.volume = ini.ReadInteger(section, QStringLiteral("Volume"), -1);
  c.stopTime = ini.ReadInteger(section, QStringLiteral("Stoptime"), 0);
  c.app = ini.ReadString(section, QStringLiteral("app"), QString());
  c.par = ini.ReadString(section, QStringLiteral("par"), QString());
  c.additionalTask = !c.app.isEmpty();
  return c;
}

std::optional<int> ValidIndex(int value, int count) {
  if (value >= 0 && value < count) return value;
  return std::nullopt;
}

std::optional<int> ValidVolume(int value) {
  if (value >= 0 && value <= 100) return value;
  return std::nullopt;
}

std::optional<int> ValidStopTime(int value) {
  if (value > 0) return value;
  return std::nullopt;
}

}  // namespace schedule
