#include "settings/atomic_write.h"

#include <QSaveFile>

bool ReplaceFileAtomically(const QString& path, const QByteArray& data) {
  // QSaveFile writes beside the target, syncs and renames on commit, and
  // discards the temporary file when anything fails.
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly)) return false;
  // The data may still sit in the file's buffer, and commit renames even
  // when writing that rest fails (a full disk, a size limit); so flush first,
  // or a cut-off file would replace the old one.
  if (file.write(data) != data.size() || !file.flush()) {
    file.cancelWriting();
    file.commit();
    return false;
  }
  return file.commit();
}
