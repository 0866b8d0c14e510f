// One running program per work folder: an advisory lock on a file in it, held
// for the program's life. Two sessions of one user have separate runtime
// folders, so the single-instance socket alone would let both record to the
// same names at once.
#pragma once

#include <QString>

class WorkFolderLock {
 public:
  explicit WorkFolderLock(const QString& workFolder);
  ~WorkFolderLock();
  WorkFolderLock(const WorkFolderLock&) = delete;
  WorkFolderLock& operator=(const WorkFolderLock&) = delete;

  // False when another program holds it. A lock file that cannot be made (a
  // read-only folder) does not stop the program: it is held then.
  bool held() const { return held_; }

 private:
  int fd_ = -1;
  bool held_ = true;
};
