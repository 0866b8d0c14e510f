#include "app/hotkeys/portal/portal_names.h"

#include <QAtomicInteger>
#include <QCoreApplication>

namespace hotkeys::portal {

QString NewToken() {
  static QAtomicInteger<quint32> counter;
  // The process id keeps two copies of the program on one bus apart in the
  // desktop's own records; the counter keeps our calls apart.
  return QStringLiteral("zovedu_%1_%2").arg(QCoreApplication::applicationPid()).arg(++counter);
}

QString RequestPath(const QDBusConnection& bus, const QString& token) {
  QString sender = bus.baseService();
  if (sender.startsWith(QLatin1Char(':'))) sender.remove(0, 1);
  sender.replace(QLatin1Char('.'), QLatin1Char('_'));
  return kObjectPath + QStringLiteral("/request/") + sender + QLatin1Char('/') + token;
}

}  // namespace hotkeys::portal
