#include "app/work_folder_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <QFile>
#include <cerrno>

WorkFolderLock::WorkFolderLock(const QString& workFolder) {
  const QByteArray path = QFile::encodeName(workFolder + QStringLiteral(".instance.lock"));
  fd_ = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
  if (fd_ < 0) return;
  int r;
  do r = ::flock(fd_, LOCK_EX | LOCK_NB);
  while (r != 0 && errno == EINTR);
  held_ = r == 0 || errno != EWOULDBLOCK;
}

WorkFolderLock::~WorkFolderLock() {
  if (fd_ >= 0) ::close(fd_);  // closing releases the lock
}
