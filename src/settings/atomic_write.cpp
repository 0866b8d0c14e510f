#include "settings/atomic_write.h"

#include <QSaveFile>

bool ReplaceFileAtomically(const QString& path, const QByteArray& data) {
  // QSaveFile writes beside the target, syncs and renames on commit, and
  // discards the temporary file when anything fails.
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly)) return false;
  if (file.write(data) != data.size()) {
    file.cancelWriting();
    file.commit();
    return false;
  }
  return file.commit();
}
