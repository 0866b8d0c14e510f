#include "support/file_replacements.h"

#include <gtest/gtest.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <QFileInfo>
#include <cerrno>
#include <cstring>

FileReplacements::FileReplacements(const QString& path)
    : name_(QFileInfo(path).fileName().toLocal8Bit()) {
  fd_ = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
  const QByteArray folder = QFileInfo(path).absolutePath().toLocal8Bit();
  if (fd_ < 0 || inotify_add_watch(fd_, folder.constData(), IN_CREATE | IN_MOVED_TO) < 0) {
    ADD_FAILURE() << "cannot watch " << folder.constData() << ": " << std::strerror(errno);
    if (fd_ >= 0) close(fd_);
    fd_ = -1;
  }
}

FileReplacements::~FileReplacements() {
  if (fd_ >= 0) close(fd_);
}

int FileReplacements::count() {
  if (fd_ < 0) return -1;
  alignas(inotify_event) char buffer[64 * 1024];
  for (;;) {
    const ssize_t n = read(fd_, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && errno == EAGAIN) return count_;  // the queue is empty
    if (n <= 0) {
      ADD_FAILURE() << "reading inotify events: " << std::strerror(errno);
      return -1;
    }
    for (ssize_t at = 0; at < n;) {
      const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
      if (event->mask & IN_Q_OVERFLOW) {
        ADD_FAILURE() << "inotify lost events";
        return -1;
      }
      if (event->len > 0 && name_ == event->name) ++count_;
      at += ssize_t(sizeof(inotify_event)) + event->len;
    }
  }
}
