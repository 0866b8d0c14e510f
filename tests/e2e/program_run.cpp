#include "program_run.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fstream>
#include <sstream>
#include <thread>

extern char** environ;

namespace e2e {

namespace {

constexpr auto kPollInterval = std::chrono::milliseconds(10);

std::vector<std::string> MergedEnvironment(const std::map<std::string, std::string>& overrides) {
  std::map<std::string, std::string> merged;
  for (char** e = environ; e && *e; ++e) {
    const std::string entry(*e);
    const auto eq = entry.find('=');
    if (eq != std::string::npos) merged[entry.substr(0, eq)] = entry.substr(eq + 1);
  }
  for (const auto& [name, value] : overrides) {
    if (value.empty())
      merged.erase(name);
    else
      merged[name] = value;
  }
  std::vector<std::string> out;
  for (const auto& [name, value] : merged) out.push_back(name + "=" + value);
  return out;
}

std::vector<char*> Pointers(std::vector<std::string>& strings) {
  std::vector<char*> out;
  for (auto& s : strings) out.push_back(s.data());
  out.push_back(nullptr);
  return out;
}

// Spawns `program` in a new process group with stdin from /dev/null and
// stdout and stderr to the given files.
pid_t Spawn(const std::string& program, const std::vector<std::string>& args, std::vector<std::string> env,
            const std::filesystem::path& out, const std::filesystem::path& err) {
  std::vector<std::string> argv{program};
  argv.insert(argv.end(), args.begin(), args.end());
  auto argvp = Pointers(argv);
  auto envp = Pointers(env);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (err == out)
    posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
  else
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawnattr_t attr;
  posix_spawnattr_init(&attr);
  posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETPGROUP);
  posix_spawnattr_setpgroup(&attr, 0);

  pid_t pid = -1;
  const int rc = posix_spawn(&pid, program.c_str(), &actions, &attr, argvp.data(), envp.data());
  posix_spawnattr_destroy(&attr);
  posix_spawn_file_actions_destroy(&actions);
  return rc == 0 ? pid : -1;
}

}  // namespace

bool RunningProgram::start(const std::string& program, const std::vector<std::string>& args,
                           const std::map<std::string, std::string>& env, const std::filesystem::path& log) {
  killAndReap();
  status_.reset();
  startedAt_ = Clock::now();
  pid_ = Spawn(program, args, MergedEnvironment(env), log, log);
  return pid_ > 0;
}

bool RunningProgram::signal(int sig) const { return running() && ::kill(pid_, sig) == 0; }

bool RunningProgram::poll() {
  if (pid_ <= 0) return false;
  if (status_) return true;
  int status = 0;
  pid_t r;
  do r = ::waitpid(pid_, &status, WNOHANG);
  while (r < 0 && errno == EINTR);
  if (r != pid_) return false;
  status_ = status;
  endedAt_ = Clock::now();
  return true;
}

bool RunningProgram::waitForExit(Clock::duration timeout) {
  const auto deadline = Clock::now() + timeout;
  while (!poll()) {
    if (Clock::now() >= deadline) return false;
    std::this_thread::sleep_for(kPollInterval);
  }
  return true;
}

void RunningProgram::killAndReap() {
  if (pid_ <= 0) return;
  // The group holds the program and anything it started.
  ::kill(-pid_, SIGKILL);
  if (!status_) {
    int status = 0;
    while (::waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
    }
    status_ = status;
    endedAt_ = Clock::now();
  }
  pid_ = -1;
}

bool ToolResult::ok() const { return status >= 0 && WIFEXITED(status) && WEXITSTATUS(status) == 0; }

ToolResult RunTool(const std::string& program, const std::vector<std::string>& args,
                   const std::filesystem::path& scratch, std::chrono::seconds timeout) {
  static int counter = 0;
  const std::string stem = "tool-" + std::to_string(::getpid()) + "-" + std::to_string(++counter);
  const auto out = scratch / (stem + ".out");
  const auto err = scratch / (stem + ".err");
  ToolResult result;
  const pid_t pid = Spawn(program, args, MergedEnvironment({}), out, err);
  if (pid <= 0) {
    result.err = "could not start " + program;
    return result;
  }
  const auto deadline = Clock::now() + timeout;
  int status = 0;
  bool ended = false;
  while (!ended) {
    const pid_t r = ::waitpid(pid, &status, WNOHANG);
    if (r == pid) {
      ended = true;
    } else if (r < 0 && errno != EINTR) {
      break;
    } else if (Clock::now() >= deadline) {
      ::kill(-pid, SIGKILL);
      while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
      }
      break;
    } else {
      std::this_thread::sleep_for(kPollInterval);
    }
  }
  result.status = ended ? status : -1;
  result.out = ReadText(out);
  result.err = ReadText(err);
  if (!ended) result.err += "\n(" + program + " did not end in time)";
  std::error_code ec;
  std::filesystem::remove(out, ec);
  std::filesystem::remove(err, ec);
  return result;
}

std::string DescribeStatus(int status) {
  if (status < 0) return "not ended";
  if (WIFEXITED(status)) return "exit code " + std::to_string(WEXITSTATUS(status));
  if (WIFSIGNALED(status)) return std::string("killed by signal ") + ::strsignal(WTERMSIG(status));
  return "wait status " + std::to_string(status);
}

std::string ReadText(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

std::optional<std::uintmax_t> FileSize(const std::filesystem::path& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return std::nullopt;
  return static_cast<std::uintmax_t>(st.st_size);
}

}  // namespace e2e
