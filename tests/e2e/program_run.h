// Starting the built program and the command-line tools the end-to-end tests
// check its files with, and waiting on them with deadlines.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace e2e {

using Clock = std::chrono::steady_clock;

// A started program in a process group of its own. The destructor kills the
// group and reaps it, so a failing test leaves nothing running.
class RunningProgram {
 public:
  RunningProgram() = default;
  RunningProgram(const RunningProgram&) = delete;
  RunningProgram& operator=(const RunningProgram&) = delete;
  ~RunningProgram() { killAndReap(); }

  // Output and errors go to `log`; stdin reads /dev/null. The environment is
  // this process's own with `env` laid over it (an empty value removes one).
  bool start(const std::string& program, const std::vector<std::string>& args,
             const std::map<std::string, std::string>& env, const std::filesystem::path& log);

  pid_t pid() const { return pid_; }
  bool running() const { return pid_ > 0 && !status_; }
  Clock::time_point startedAt() const { return startedAt_; }

  bool signal(int sig) const;
  // True once the program has ended; its wait status is in status().
  bool poll();
  bool waitForExit(Clock::duration timeout);
  std::optional<int> status() const { return status_; }
  Clock::time_point endedAt() const { return endedAt_; }

  void killAndReap();

 private:
  pid_t pid_ = -1;
  std::optional<int> status_;
  Clock::time_point startedAt_{};
  Clock::time_point endedAt_{};
};

struct ToolResult {
  int status = -1;  // wait status, -1 if the tool did not start or did not end in time
  std::string out;
  std::string err;
  bool ok() const;  // ended by itself with exit code 0
};

// Runs a tool to its end (killed after `timeout`), capturing its output.
ToolResult RunTool(const std::string& program, const std::vector<std::string>& args,
                   const std::filesystem::path& scratch, std::chrono::seconds timeout = std::chrono::seconds(60));

std::string DescribeStatus(int status);
std::string ReadText(const std::filesystem::path& path);
std::optional<std::uintmax_t> FileSize(const std::filesystem::path& path);

}  // namespace e2e
