#include "child_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <thread>

extern char** environ;

namespace tray_test {

namespace {
std::vector<std::string> Environment(const std::map<std::string, std::string>& changes) {
  std::vector<std::string> env;
  for (char** e = environ; *e; ++e) {
    const std::string entry(*e);
    const std::string name = entry.substr(0, entry.find('='));
    if (!changes.count(name)) env.push_back(entry);
  }
  for (const auto& [name, value] : changes) env.push_back(name + "=" + value);
  return env;
}

std::vector<char*> Pointers(std::vector<std::string>& strings) {
  std::vector<char*> out;
  for (std::string& s : strings) out.push_back(s.data());
  out.push_back(nullptr);
  return out;
}
}  // namespace

std::unique_ptr<ChildProcess> ChildProcess::Start(const std::string& program, const std::vector<std::string>& args,
                                                  const std::map<std::string, std::string>& env, bool readLine,
                                                  int seconds, std::string& firstLine, std::string& whyNot) {
  std::vector<std::string> argv{program};
  argv.insert(argv.end(), args.begin(), args.end());
  std::vector<std::string> envStrings = Environment(env);
  std::vector<char*> argp = Pointers(argv), envp = Pointers(envStrings);
  int out[2] = {-1, -1};
  if (readLine && ::pipe2(out, O_CLOEXEC) != 0) {
    whyNot = std::string("pipe: ") + std::strerror(errno);
    return nullptr;
  }
  const pid_t pid = ::fork();
  if (pid < 0) {
    whyNot = std::string("fork: ") + std::strerror(errno);
    return nullptr;
  }
  if (pid == 0) {
    ::setpgid(0, 0);
    ::prctl(PR_SET_PDEATHSIG, SIGTERM);  // a test that crashes leaves nothing behind
    if (readLine) ::dup2(out[1], STDOUT_FILENO);
    const int null = ::open("/dev/null", O_RDWR);
    ::dup2(null, STDIN_FILENO);
    if (!readLine) ::dup2(null, STDOUT_FILENO);
    ::execvpe(program.c_str(), argp.data(), envp.data());
    ::_exit(127);
  }
  ::setpgid(pid, pid);
  std::unique_ptr<ChildProcess> child(new ChildProcess(pid));
  if (!readLine) return child;
  ::close(out[1]);
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
  std::string line;
  while (line.find('\n') == std::string::npos) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
    pollfd p{out[0], POLLIN, 0};
    if (left.count() <= 0 || ::poll(&p, 1, static_cast<int>(left.count())) <= 0) break;
    char buffer[256];
    const ssize_t n = ::read(out[0], buffer, sizeof buffer);
    if (n <= 0) break;
    line.append(buffer, static_cast<size_t>(n));
  }
  ::close(out[0]);
  firstLine = line.substr(0, line.find('\n'));
  if (firstLine.empty()) {
    whyNot = program + " wrote no line within " + std::to_string(seconds) + " s";
    return nullptr;
  }
  return child;
}

bool ChildProcess::Running() {
  if (!ended_ && ::waitpid(pid_, &status_, WNOHANG) == pid_) ended_ = true;
  return !ended_;
}

int ChildProcess::ExitCode() {
  return !Running() && WIFEXITED(status_) ? WEXITSTATUS(status_) : -1;
}

ChildProcess::~ChildProcess() {
  ::kill(-pid_, SIGTERM);  // the group: what it started goes too
  if (ended_) return;
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (::waitpid(pid_, nullptr, WNOHANG) == 0) {
    if (std::chrono::steady_clock::now() >= end) {
      ::kill(-pid_, SIGKILL);
      ::waitpid(pid_, nullptr, 0);
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
}

}  // namespace tray_test
