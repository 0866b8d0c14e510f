#include "services/paths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

QString SpecialFolderPath(SpecialFolder folder) {
  const auto location = folder == SpecialFolder::Documents ? QStandardPaths::DocumentsLocation
                                                           : QStandardPaths::MusicLocation;
  return QStandardPaths::writableLocation(location);
}

QString WithTrailingBackslash(const QString& path, bool add) {
  if (path.isEmpty()) return path;
  const bool has = path.endsWith(QLatin1Char('/'));
  if (add) return has ? path : path + QLatin1Char('/');
  return has ? path.left(path.size() - 1) : path;
}

bool ForceFolders(const QString& path) {
  if (path.isEmpty()) return false;
  QDir().mkpath(path);
  return QFileInfo(path).isDir();
}

QString ExeFolder() { return WithTrailingBackslash(QCoreApplication::applicationDirPath(), true); }
