#include "tool_run.h"

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

extern char** environ;

namespace tools_av {

namespace {

constexpr auto kDeadline = std::chrono::seconds(180);

std::string ReadAll(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

std::vector<std::string> EnvironmentWithCLocale() {
  std::vector<std::string> env;
  for (char** e = environ; e && *e; ++e)
    if (std::string(*e).rfind("LC_ALL=", 0) != 0) env.emplace_back(*e);
  env.emplace_back("LC_ALL=C");
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
    if (!line.empty()) last = line;
  return last;
}

std::string RunResult::describe() const {
  if (!started) return "did not start";
  if (!ended) return "did not end in time; stderr: " + err;
  return "exit code " + std::to_string(exitCode) + "; stderr: " + err;
}

RunResult RunProgram(const std::string& program, const std::vector<std::string>& args, const std::filesystem::path& input) {
  static int counter = 0;
  const auto stem = std::filesystem::temp_directory_path() /
                    ("tools-av-" + std::to_string(::getpid()) + "-" + std::to_string(++counter));
  const std::string outPath = stem.string() + ".out", errPath = stem.string() + ".err";

  std::vector<std::string> argv{program};
  argv.insert(argv.end(), args.begin(), args.end());
  std::vector<std::string> env = EnvironmentWithCLocale();
  auto argvp = Pointers(argv), envp = Pointers(env);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, input.empty() ? "/dev/null" : input.c_str(), O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  pid_t pid = -1;
  const int rc = posix_spawn(&pid, program.c_str(), &actions, nullptr, argvp.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);

  RunResult result;
  if (rc == 0) {
    result.started = true;
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
  }
  std::error_code ec;
  std::filesystem::remove(outPath, ec);
  std::filesystem::remove(errPath, ec);
  return result;
}

std::string BinProgram(const std::string& name) { return std::string(ZOVEDU_BIN_DIR) + "/" + name; }

}  // namespace tools_av
