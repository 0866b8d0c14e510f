#include "recording/deleted_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <QFile>
#include <fstream>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace {

// Every process's parent, from /proc.
std::map<pid_t, pid_t> Parents() {
  std::map<pid_t, pid_t> parents;
  DIR* proc = ::opendir("/proc");
  if (!proc) return parents;
  while (const dirent* e = ::readdir(proc)) {
    char* end = nullptr;
    const long pid = std::strtol(e->d_name, &end, 10);
    if (pid <= 0 || *end != '\0') continue;
    std::ifstream status(std::string("/proc/") + e->d_name + "/status");
    for (std::string line; std::getline(status, line);)
      if (line.rfind("PPid:", 0) == 0) {
        parents[pid_t(pid)] = pid_t(std::strtol(line.c_str() + 5, nullptr, 10));
        break;
      }
  }
  ::closedir(proc);
  return parents;
}

// This process and every process it started, directly or not.
std::vector<pid_t> OurProcesses() {
  const std::map<pid_t, pid_t> parents = Parents();
  std::set<pid_t> ours{::getpid()};
  for (bool grew = true; grew;) {
    grew = false;
    for (const auto& [pid, parent] : parents)
      if (ours.count(parent) && ours.insert(pid).second) grew = true;
  }
  return {ours.begin(), ours.end()};
}

}  // namespace

int OpenDeletedFile(const QString& path) {
  const std::string wanted = QFile::encodeName(path).toStdString() + " (deleted)";
  for (const pid_t pid : OurProcesses()) {
    const std::string fds = "/proc/" + std::to_string(pid) + "/fd";
    DIR* dir = ::opendir(fds.c_str());
    if (!dir) continue;
    int found = -1;
    while (const dirent* e = ::readdir(dir)) {
      if (e->d_name[0] == '.') continue;
      const std::string link = fds + "/" + e->d_name;
      char target[4096];
      const ssize_t n = ::readlink(link.c_str(), target, sizeof target - 1);
      if (n <= 0 || std::string(target, std::size_t(n)) != wanted) continue;
      found = ::open(link.c_str(), O_RDONLY | O_CLOEXEC);
      if (found >= 0) break;
    }
    ::closedir(dir);
    if (found >= 0) return found;
  }
  return -1;
}

bool CopyOutOf(int fd, const QString& path) {
  const QByteArray name = QFile::encodeName(path);
  const int out = ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
  if (out < 0) return false;
  std::vector<char> buffer(1 << 20);
  off_t at = 0;
  bool ok = true;
  for (;;) {
    const ssize_t got = ::pread(fd, buffer.data(), buffer.size(), at);
    if (got < 0) {
      ok = false;
      break;
    }
    if (got == 0) break;
    for (ssize_t done = 0; done < got;) {
      const ssize_t put = ::write(out, buffer.data() + done, std::size_t(got - done));
      if (put <= 0) {
        ok = false;
        break;
      }
      done += put;
    }
    if (!ok) break;
    at += got;
  }
  ok = ::fsync(out) == 0 && ok;
  ok = ::close(out) == 0 && ok;
  if (!ok) ::unlink(name.constData());
  return ok;
}
