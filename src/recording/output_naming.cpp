#include "recording/output_naming.h"

#include <array>

#include <QDir>
#include <QFileInfo>
#include <QLocale>

#include "services/app_error.h"
#include "services/paths.h"

namespace {

// Date/time styles as local date-time patterns ("mm" minutes, "MM" month).
struct DateTimeStyle {
  const char* folderPattern;  // nullptr: no date folder
  const char* namePattern;
};

constexpr std::array<DateTimeStyle, 7> kDateTimeStyles{{
    {nullptr, "hh-mm"},
    {nullptr, "dd-hh-mm"},
    {nullptr, "MM-dd-hh"},
    {nullptr, "yyyy-MM-dd"},
    {"dd", "hh-mm"},
    {"MM", "dd-hh"},
    {"yyyy", "MM-dd"},
}};

QString FormatTime(const QDateTime& now, const char* pattern) {
  return QLocale::c().toString(now, QString::fromLatin1(pattern));
}

}  // namespace

QString OutputExtension(int format, int aacFileType, int mpcFileType) {
  static const std::array<const char*, 3> aac{".aac", ".mp4", ".m4a"};
  static const std::array<const char*, 3> mpc{".mpc", ".mp+", ".mpp"};
  auto pick = [](const std::array<const char*, 3>& types, int index) {
    return QString::fromLatin1(types[index >= 0 && index < 3 ? index : 0]);
  };
  switch (format) {
    case 0: return ".wav";
    case 1: return ".mp3";
    case 2: return ".wma";
    case 3: return ".ogg";
    case 4: return ".ape";
    case 5: return ".flac";
    case 6: return ".tta";
    case 7: return ".wv";
    case 8: return pick(aac, aacFileType);
    case 9: return pick(mpc, mpcFileType);
    case 10: return ".spx";
    default: return QString();
  }
}

QString FormatNumber(int number) { return QString::asprintf("%.2d", number); }

QString BuildOutputName(const OutputNameRule& rule, bool createFolders, int number,
                        const QDateTime& now) {
  const QString prefix = rule.usePrefix ? rule.prefix : QString();

  QString dateFolder;  // the date subfolder's name, empty when none
  QString datePart;
  if (rule.useDateTime && rule.dateTimeIndex >= 0 &&
      rule.dateTimeIndex < int(kDateTimeStyles.size())) {
    const DateTimeStyle& style = kDateTimeStyles[size_t(rule.dateTimeIndex)];
    if (style.folderPattern) dateFolder = FormatTime(now, style.folderPattern);
    datePart = FormatTime(now, style.namePattern);
  }

  const QString numberPart = rule.autoNumber ? FormatNumber(number) : QString();

  QString name = prefix;
  if (!prefix.isEmpty() && (!datePart.isEmpty() || !numberPart.isEmpty())) name += '-';
  name += datePart;
  if (!datePart.isEmpty() && !numberPart.isEmpty()) name += '-';
  name += numberPart;
  if (name.isEmpty()) name = QStringLiteral("SingleName");
  name += OutputExtension(rule.format, rule.aacFileType, rule.mpcFileType);

  const QString relative = dateFolder.isEmpty() ? name : dateFolder + '/' + name;
  if (!createFolders) return relative;

  // The prefix names a file, never a folder: "../x" would write outside the
  // output folder.
  if (prefix.contains(QLatin1Char('/')))
    throw EAppError(QStringLiteral("The file name prefix \"%1\" must not contain \"/\".").arg(prefix));

  // An absolute folder: a relative one is taken from the working folder, and
  // no path of ours can start with "-", where an encoder would read an option.
  const QString absolute =
      rule.folder.isEmpty() || QDir::isAbsolutePath(rule.folder) ? rule.folder : QDir::current().absoluteFilePath(rule.folder);
  // The output folder first: its date subfolder can only be made inside it.
  if (!QFileInfo(absolute).isDir() && !ForceFolders(absolute)) throw EAppError("Cannot create " + absolute);
  const QString folder = WithTrailingBackslash(absolute, true);
  if (!dateFolder.isEmpty()) {
    const QString path = folder + dateFolder;
    if (!QFileInfo(path).isDir() && !QDir().mkdir(path)) throw EAppError("Cannot create " + path);
  }
  return folder + relative;
}
