// Counts how often a file appears anew under its name: created, or renamed
// over the old file as an atomic replacement does. Watches the file's folder
// with inotify; the kernel queues an event within the call that causes it, so
// a count taken after an operation returns sees all of that operation.
#pragma once

#include <QByteArray>
#include <QString>

class FileReplacements {
 public:
  explicit FileReplacements(const QString& path);  // starts watching
  ~FileReplacements();
  FileReplacements(const FileReplacements&) = delete;
  FileReplacements& operator=(const FileReplacements&) = delete;

  // Replacements since the watch started; -1 (and a test failure) when the
  // watch failed or lost events.
  int count();

 private:
  int fd_ = -1;
  QByteArray name_;
  int count_ = 0;
};
