#include "audio/encode/child_process.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <mutex>
#include <thread>

namespace zaudio {

namespace {

constexpr auto kExitPollInterval = std::chrono::milliseconds(10);

std::vector<char*> PointerList(const std::vector<std::string>& strings) {
  std::vector<char*> list;
  for (const std::string& s : strings) list.push_back(const_cast<char*>(s.c_str()));
  list.push_back(nullptr);
  return list;
}

void CloseIfOpen(int& fd) {
  if (fd >= 0) ::close(fd);
  fd = -1;
}

struct PipeEnds {
  int read = -1;
  int write = -1;
  bool open() {
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) return false;
    read = fds[0];
    write = fds[1];
    return true;
  }
  ~PipeEnds() {
    CloseIfOpen(read);
    CloseIfOpen(write);
  }
};

// The child starts with default signal handling and nothing blocked, whatever
// the starting thread had, except SIGPIPE, which it ignores: when this
// program is killed, the child's messages go into a broken pipe, and it must
// still finish its file at the end of its input rather than die of that. It
// gets its own process group.
class SpawnSettings {
 public:
  SpawnSettings() {
    ::posix_spawnattr_init(&attr_);
    ::posix_spawn_file_actions_init(&actions_);
  }
  ~SpawnSettings() {
    ::posix_spawnattr_destroy(&attr_);
    ::posix_spawn_file_actions_destroy(&actions_);
  }
  bool prepare(int stdinRead, int stderrWrite) {
    sigset_t none, defaults;
    sigemptyset(&none);
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGINT);
    sigaddset(&defaults, SIGTERM);
    return ::posix_spawnattr_setflags(&attr_, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF |
                                                  POSIX_SPAWN_SETPGROUP) == 0 &&
           ::posix_spawnattr_setsigmask(&attr_, &none) == 0 &&
           ::posix_spawnattr_setsigdefault(&attr_, &defaults) == 0 &&
           ::posix_spawnattr_setpgroup(&attr_, 0) == 0 &&
           ::posix_spawn_file_actions_adddup2(&actions_, stdinRead, STDIN_FILENO) == 0 &&
           ::posix_spawn_file_actions_addopen(&actions_, STDOUT_FILENO, "/dev/null", O_WRONLY, 0) == 0 &&
           ::posix_spawn_file_actions_adddup2(&actions_, stderrWrite, STDERR_FILENO) == 0;
  }
  const posix_spawnattr_t* attr() const { return &attr_; }
  const posix_spawn_file_actions_t* actions() const { return &actions_; }

 private:
  posix_spawnattr_t attr_;
  posix_spawn_file_actions_t actions_;
};

}  // namespace

std::unique_ptr<ChildProcess> ChildProcess::Spawn(const std::string& path, const std::vector<std::string>& args,
                                                  const std::vector<std::string>& env) {
  // Ignored here, the child inherits it ignored through exec. This program
  // learns of a gone reader from EPIPE (its writers block SIGPIPE anyway).
  static std::once_flag ignorePipe;
  std::call_once(ignorePipe, [] { ::signal(SIGPIPE, SIG_IGN); });
  // Created close-on-exec; dup2 onto the child's stdin and stderr clears that
  // for the child's copies only.
  PipeEnds in, err;
  if (!in.open() || !err.open()) return nullptr;
  if (::fcntl(in.write, F_SETFL, O_NONBLOCK) != 0 || ::fcntl(err.read, F_SETFL, O_NONBLOCK) != 0)
    return nullptr;
  SpawnSettings settings;
  if (!settings.prepare(in.read, err.write)) return nullptr;
  std::vector<char*> argv = PointerList(args);
  std::vector<char*> envp = PointerList(env);
  pid_t pid = -1;
  if (::posix_spawn(&pid, path.c_str(), settings.actions(), settings.attr(), argv.data(), envp.data()) != 0)
    return nullptr;
  auto child = std::unique_ptr<ChildProcess>(new ChildProcess(pid, in.write, err.read));
  in.write = -1;
  err.read = -1;
  return child;
}

ChildProcess::ChildProcess(pid_t pid, int stdinFd, int stderrFd)
    : pid_(pid), stdin_(stdinFd), stderr_(stderrFd) {}

ChildProcess::~ChildProcess() {
  CloseIfOpen(stdin_);
  if (!ended()) killAndReap();
  CloseIfOpen(stderr_);
}

void ChildProcess::closeStdin() { CloseIfOpen(stdin_); }

bool ChildProcess::ended() {
  if (reaped_) return true;
  int status = 0;
  pid_t r;
  do r = ::waitpid(pid_, &status, WNOHANG);
  while (r < 0 && errno == EINTR);
  if (r == pid_) {
    reaped_ = true;
    status_ = status;
  } else if (r < 0) {
    // Someone else reaped it (ECHILD): it is gone, how it ended is unknown.
    reaped_ = true;
  }
  return reaped_;
}

bool ChildProcess::waitUntil(std::chrono::steady_clock::time_point deadline) {
  while (!ended()) {
    if (std::chrono::steady_clock::now() >= deadline) return false;
    std::this_thread::sleep_for(kExitPollInterval);
  }
  return true;
}

void ChildProcess::killAndReap() {
  if (reaped_) return;
  ::kill(pid_, SIGKILL);
  int status = 0;
  pid_t r;
  do r = ::waitpid(pid_, &status, 0);
  while (r < 0 && errno == EINTR);
  reaped_ = true;
  if (r == pid_) status_ = status;
}

bool ChildProcess::exitedWithZero() const {
  return status_ && WIFEXITED(*status_) && WEXITSTATUS(*status_) == 0;
}

}  // namespace zaudio
