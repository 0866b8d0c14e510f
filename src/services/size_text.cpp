#include "services/size_text.h"

#include <QDir>
#include <QFileInfo>
#include <charconv>

namespace {

constexpr qint64 kKilo = 1024;
constexpr qint64 kMega = 1024 * kKilo;
constexpr qint64 kGiga = 1024 * kMega;

QString WithUnit(qint64 value, const char* unit, bool withoutUnits) {
  const QString number = QString::number(value);
  return withoutUnits ? number : number + QLatin1Char(' ') + QLatin1String(unit);
}

}  // namespace

QString FormatSizeText(qint64 bytes, bool withoutUnits) {
  const qint64 n = qMax<qint64>(bytes, 0);
  if (n <= kKilo) return WithUnit(n, "Bytes", withoutUnits);
  if (n <= kMega) return WithUnit(n / kKilo, "KB", withoutUnits);
  if (n <= kGiga) return WithUnit(n / kMega, "MB", withoutUnits);
  return WithUnit(n / kGiga, "GB", withoutUnits);
}

QString FileSizeText(const QString& path) {
  if (path.isEmpty()) return QString();
  const QFileInfo info(QDir::current().absoluteFilePath(path));
  return info.exists() ? FormatSizeText(info.size()) : QString();
}

QString RecordingSizeText(qint64 bytes, const QLocale& locale) {
  const qint64 n = qMax<qint64>(bytes, 0);
  if (n <= kKilo) return WithUnit(n, "Bytes", false);
  if (n <= kMega) return WithUnit(n / kKilo, "KB", false);
  // The shortest text that reads back as the value, never with an exponent;
  // 400 characters hold any double written that way.
  char digits[400];
  const double megabytes = double(n) / double(kMega);
  const char* end =
      std::to_chars(digits, digits + sizeof digits, megabytes, std::chars_format::fixed).ptr;
  QString shown = QString::fromLatin1(digits, qMin<qsizetype>(end - digits, 4));
  shown.replace(QLatin1Char('.'), locale.decimalPoint());
  return shown + QStringLiteral(" MB");
}
