#include "schedule/task_launch.h"

#include <limits.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QFile>
#include <algorithm>
#include <cerrno>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace schedule {

std::optional<QString> UntrustedTaskFile(const QString& path) {
  char real[PATH_MAX];
  if (!::realpath(QFile::encodeName(path).constData(), real)) return QStringLiteral("%1 cannot be found").arg(path);
  const std::string file = real;
  const std::string folder = file.substr(0, std::max<std::size_t>(file.rfind('/'), 1));
  for (const std::string& p : {file, folder}) {
    struct stat st {};
    const QString shown = QFile::decodeName(QByteArray::fromStdString(p));
    if (::stat(p.c_str(), &st) != 0) return QStringLiteral("%1 cannot be read").arg(shown);
    if (st.st_uid != ::geteuid()) return QStringLiteral("%1 belongs to another user").arg(shown);
    if (st.st_mode & (S_IWGRP | S_IWOTH)) return QStringLiteral("other users may change %1").arg(shown);
  }
  return std::nullopt;
}

bool StartAdditionalProgram(const QString& app, const QString& par) {
  if (app.isEmpty()) return false;
  const std::string program = QFile::encodeName(app).toStdString();
  const std::string argument = par.toStdString();
  std::vector<char*> argv{const_cast<char*>(program.c_str())};
  if (!par.isEmpty()) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);

  // The child starts in its own process group, so a signal meant for the
  // recorder's group (a terminal's Ctrl+C) does not reach it.
  posix_spawnattr_t attr;
  posix_spawnattr_init(&attr);
  posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
  posix_spawnattr_setpgroup(&attr, 0);
  sigset_t none, all;
  sigemptyset(&none);
  sigfillset(&all);
  posix_spawnattr_setsigmask(&attr, &none);
  posix_spawnattr_setsigdefault(&attr, &all);
  pid_t pid = 0;
  const int rc = program.find('/') == std::string::npos
                     ? posix_spawnp(&pid, program.c_str(), nullptr, &attr, argv.data(), environ)
                     : posix_spawn(&pid, program.c_str(), nullptr, &attr, argv.data(), environ);
  posix_spawnattr_destroy(&attr);
  if (rc != 0) return false;
  // Reaped by a waiter of its own, so it never lingers as a zombie and no
  // SIGCHLD handling of the process is needed.
  std::thread([pid] {
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
  }).detach();
  return true;
}

}  // namespace schedule
