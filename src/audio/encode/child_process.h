// A program started without a shell, whose stdin and stderr are pipes to us
// and whose stdout goes to /dev/null. It runs in a process group of its own so
// that a Ctrl+C meant for us does not cut it off before it has finished its
// file. It is always reaped: the destructor kills one that still runs.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace zaudio {

class ChildProcess {
 public:
  // `path` is the program file, `args` its arguments from argv[0] on, `env`
  // its whole environment. Nothing when it cannot be started.
  static std::unique_ptr<ChildProcess> Spawn(const std::string& path, const std::vector<std::string>& args,
                                             const std::vector<std::string>& env);
  ~ChildProcess();
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  int stdinFd() const { return stdin_; }  // non-blocking; -1 once closed
  int stderrFd() const { return stderr_; }  // non-blocking
  void closeStdin();

  // Reaps the program if it has ended; true once it has.
  bool ended();
  // Waits until the program ends or `deadline` passes; true when it ended.
  bool waitUntil(std::chrono::steady_clock::time_point deadline);
  void killAndReap();
  bool exitedWithZero() const;  // once ended

 private:
  ChildProcess(pid_t pid, int stdinFd, int stderrFd);

  pid_t pid_;
  int stdin_;
  int stderr_;
  bool reaped_ = false;
  std::optional<int> status_;  // unknown when someone else reaped it
};

}  // namespace zaudio
