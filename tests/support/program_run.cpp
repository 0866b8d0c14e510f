#include "support/program_run.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <fstream>
#include <sstream>
#include <thread>

#include "scratch_dir.h"

extern char** environ;

namespace zovedu_test {

namespace {

// Generous: a loaded machine with two cores shared by several builds.
constexpr auto kDeadline = std::chrono::seconds(180);

std::string ReadAll(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

std::vector<std::string> Environment(const EnvChanges& changes) {
  std::vector<std::string> env;
  for (char** e = environ; e && *e; ++e) {
    const std::string entry(*e);
    if (!changes.contains(entry.substr(0, entry.find('=')))) env.push_back(entry);
  }
  for (const auto& [name, value] : changes)
    if (value) env.push_back(name + "=" + *value);
  return env;
}

std::vector<char*> Pointers(std::vector<std::string>& strings) {
  std::vector<char*> out;
  for (auto& s : strings) out.push_back(s.data());
  out.push_back(nullptr);
  return out;
}

}  // namespace

std::string RunResult::lastErrLine() const {
  std::istringstream lines(err);
  std::string line, last;
  while (std::getline(lines, line))
    if (line.find_first_not_of(" \t\r") != std::string::npos) last = line;
  return last;
}

std::string RunResult::describe() const {
  if (!ended) return "did not start or did not end in time; stderr: " + err;
  return "exit code " + std::to_string(exitCode) + "; stderr: " + err.substr(err.size() > 2000 ? err.size() - 2000 : 0);
}

RunResult RunProgram(const std::string& program, const std::vector<std::string>& args,
                     const std::filesystem::path& input, const EnvChanges& envChanges) {
  const ScratchDir capture;
  const auto outPath = capture / "out", errPath = capture / "err";
  std::vector<std::string> argv{program};
  argv.insert(argv.end(), args.begin(), args.end());
  std::vector<std::string> env = Environment(envChanges);
  auto argvp = Pointers(argv), envp = Pointers(env);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, input.c_str(), O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  pid_t pid = -1;
  const int rc = posix_spawn(&pid, program.c_str(), &actions, nullptr, argvp.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);

  RunResult result;
  if (rc != 0) {
    result.err = "cannot start " + program;
    return result;
  }
  const auto deadline = std::chrono::steady_clock::now() + kDeadline;
  int status = 0;
  for (;;) {
    const pid_t r = ::waitpid(pid, &status, WNOHANG);
    if (r == pid) {
      result.ended = true;
      break;
    }
    if ((r < 0 && errno != EINTR) || std::chrono::steady_clock::now() >= deadline) {
      ::kill(pid, SIGKILL);
      while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
      }
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  if (result.ended && WIFEXITED(status)) result.exitCode = WEXITSTATUS(status);
  result.out = ReadAll(outPath);
  result.err = ReadAll(errPath);
  return result;
}

std::vector<std::string> SplitCommandLine(const std::string& line) {
  std::vector<std::string> out;
  std::string current;
  bool quoted = false, inWord = false;
  for (char c : line) {
    if (c == '"') {
      quoted = !quoted;
      inWord = true;
    } else if (c == ' ' && !quoted) {
      if (inWord) out.push_back(current);
      current.clear();
      inWord = false;
    } else {
      current += c;
      inWord = true;
    }
  }
  if (inWord) out.push_back(current);
  return out;
}

std::string Bin(const std::string& name) { return std::string(ZOVEDU_BIN_DIR) + "/" + name; }

}  // namespace zovedu_test
