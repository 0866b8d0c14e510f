#include "schedule_systemd/private_user_manager.h"

#include <fcntl.h>
#include <sched.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <thread>

#include "schedule/systemd/user_manager.h"

namespace fs = std::filesystem;

namespace zovedu_test {

namespace {

const char* const kXdgVariables[] = {"XDG_RUNTIME_DIR", "XDG_CONFIG_HOME", "XDG_STATE_HOME",
                                     "XDG_DATA_HOME", "DBUS_SESSION_BUS_ADDRESS"};

std::string ManagerProgram() {
  for (const char* path : {"/usr/lib/systemd/systemd", "/lib/systemd/systemd"})
    if (::access(path, X_OK) == 0) return path;
  return {};
}

std::string Tail(const fs::path& file) {
  std::ifstream in(file);
  std::string line, last;
  while (std::getline(in, line))
    if (!line.empty()) last = line;
  return last;
}

bool Exited(pid_t pid, int& status) { return ::waitpid(pid, &status, WNOHANG) == pid; }

}  // namespace

bool WaitFor(const std::function<bool()>& condition, int seconds) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
  while (!condition()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  return true;
}

std::string ReadText(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

std::unique_ptr<PrivateUserManager> PrivateUserManager::Start(const fs::path& root,
                                                              std::string& whyNot) {
  const std::string program = ManagerProgram();
  if (program.empty()) {
    whyNot = "no user service manager program is installed";
    return nullptr;
  }
  // Without a running system manager the user manager refuses to start:
  // give it the marker folder in a mount namespace of its own, on a tmpfs
  // with the free space it checks for before every reload.
  const bool needNamespace = !fs::exists("/run/systemd/system");
  if (needNamespace && ::geteuid() != 0) {
    whyNot = "no service manager runs here and a private mount namespace needs root";
    return nullptr;
  }
  if (needNamespace) {
    std::error_code ec;
    fs::create_directories("/run/systemd", ec);
  }

  std::unique_ptr<PrivateUserManager> manager(new PrivateUserManager);
  manager->runtimeDir = root / "runtime";
  manager->configHome = root / "config";
  manager->stateHome = root / "state";
  manager->dataHome = root / "data";
  for (const fs::path& dir : {manager->runtimeDir, manager->configHome, manager->stateHome,
                              manager->dataHome})
    fs::create_directories(dir);
  ::chmod(manager->runtimeDir.c_str(), 0700);

  for (const char* name : kXdgVariables) {
    const char* value = std::getenv(name);
    manager->savedEnv_[name] = value ? std::optional<std::string>(value) : std::nullopt;
  }
  for (const auto& [name, value] : manager->Env()) {
    if (name == "LC_ALL") continue;
    if (value) ::setenv(name.c_str(), value->c_str(), 1);
    else ::unsetenv(name.c_str());
  }

  const fs::path log = root / "manager.log";
  const int logFd = ::open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  const int nullFd = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::prctl(PR_SET_PDEATHSIG, SIGTERM);
    ::dup2(nullFd, 0);
    ::dup2(logFd, 1);
    ::dup2(logFd, 2);
    if (needNamespace) {
      if (::unshare(CLONE_NEWNS) != 0) ::_exit(121);
      if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) ::_exit(122);
      if (::mount("tmpfs", "/run/systemd", "tmpfs", MS_NOSUID | MS_NODEV, "mode=0755,size=64m") != 0)
        ::_exit(123);
      if (::mkdir("/run/systemd/system", 0755) != 0) ::_exit(124);
    }
    ::execl(program.c_str(), program.c_str(), "--user", static_cast<char*>(nullptr));
    ::_exit(127);
  }
  ::close(logFd);
  ::close(nullFd);
  if (pid < 0) {
    whyNot = "cannot fork";
    return nullptr;
  }
  manager->pid_ = pid;

  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (std::chrono::steady_clock::now() < deadline) {
    int status = 0;
    if (Exited(pid, status)) {
      manager->pid_ = 0;
      std::ostringstream why;
      why << "the user service manager ended at once (";
      if (WIFEXITED(status)) {
        const int code = WEXITSTATUS(status);
        why << "exit " << code;
        if (code >= 121 && code <= 124) why << ": cannot set up a private mount namespace";
      } else {
        why << "signal " << WTERMSIG(status);
      }
      why << "): " << Tail(log);
      whyNot = why.str();
      return nullptr;
    }
    if (fs::exists(manager->runtimeDir / "systemd" / "private") && schedule::UserManager().Answers()) {
      // Reloads sent while it still starts its default target can go
      // unanswered on a busy machine: let it finish starting first.
      manager->Systemctl({"is-system-running", "--wait"});
      return manager;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  whyNot = "the user service manager did not answer within 30 s: " + Tail(log);
  return nullptr;  // the destructor stops it
}

PrivateUserManager::~PrivateUserManager() {
  if (pid_ > 0) {
    ::kill(pid_, SIGTERM);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    int status = 0;
    bool gone = false;
    while (!(gone = Exited(pid_, status)) && std::chrono::steady_clock::now() < deadline)
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    if (!gone) {
      ::kill(pid_, SIGKILL);
      ::waitpid(pid_, &status, 0);
    }
  }
  for (const auto& [name, value] : savedEnv_) {
    if (value) ::setenv(name.c_str(), value->c_str(), 1);
    else ::unsetenv(name.c_str());
  }
}

EnvChanges PrivateUserManager::Env() const {
  return {{"XDG_RUNTIME_DIR", runtimeDir.string()},
          {"XDG_CONFIG_HOME", configHome.string()},
          {"XDG_STATE_HOME", stateHome.string()},
          {"XDG_DATA_HOME", dataHome.string()},
          {"DBUS_SESSION_BUS_ADDRESS", std::nullopt},
          {"LC_ALL", "C"}};
}

RunResult PrivateUserManager::Systemctl(const std::vector<std::string>& args) const {
  std::vector<std::string> all{"--user"};
  all.insert(all.end(), args.begin(), args.end());
  return RunProgram("/usr/bin/systemctl", all, "/dev/null", Env());
}

}  // namespace zovedu_test
