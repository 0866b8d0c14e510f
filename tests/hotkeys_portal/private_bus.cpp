#include "private_bus.h"

#include <QDeadlineTimer>
#include <QFile>

namespace portal_test {

namespace {
QString Config(const QString& socketDir) {
  return QStringLiteral(
             "<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN\"\n"
             " \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
             "<busconfig>\n"
             "  <type>session</type>\n"
             "  <listen>unix:dir=%1</listen>\n"
             "  <auth>EXTERNAL</auth>\n"
             "  <policy context=\"default\">\n"
             "    <allow send_destination=\"*\" eavesdrop=\"true\"/>\n"
             "    <allow eavesdrop=\"true\"/>\n"
             "    <allow own=\"*\"/>\n"
             "  </policy>\n"
             "</busconfig>\n")
      .arg(socketDir);
}
}  // namespace

PrivateBus::PrivateBus() {
  if (!dir_.isValid()) return;
  const QString config = dir_.filePath(QStringLiteral("bus.conf"));
  QFile f(config);
  if (!f.open(QIODevice::WriteOnly) || f.write(Config(dir_.path()).toUtf8()) < 0) return;
  f.close();
  daemon_.setProcessChannelMode(QProcess::SeparateChannels);
  daemon_.start(QStringLiteral("dbus-daemon"), {QStringLiteral("--config-file=") + config,
                                                QStringLiteral("--print-address"), QStringLiteral("--nofork")});
  if (!daemon_.waitForStarted(20000)) return;
  // The daemon prints its address once it listens.
  QDeadlineTimer deadline(20000);
  QByteArray out;
  while (!out.contains('\n') && !deadline.hasExpired()) {
    daemon_.waitForReadyRead(static_cast<int>(deadline.remainingTime()));
    out += daemon_.readAllStandardOutput();
    if (daemon_.state() != QProcess::Running) break;
  }
  if (out.contains('\n')) address_ = QString::fromUtf8(out.left(out.indexOf('\n'))).trimmed();
}

PrivateBus::~PrivateBus() {
  for (const QString& name : connections_) QDBusConnection::disconnectFromBus(name);
  if (daemon_.state() != QProcess::NotRunning) {
    daemon_.terminate();
    if (!daemon_.waitForFinished(20000)) {
      daemon_.kill();
      daemon_.waitForFinished(20000);
    }
  }
}

QDBusConnection PrivateBus::Connect() {
  static int serial = 0;
  const QString name = QStringLiteral("portal-test-%1").arg(++serial);
  connections_ << name;
  return QDBusConnection::connectToBus(address_, name);
}

}  // namespace portal_test
