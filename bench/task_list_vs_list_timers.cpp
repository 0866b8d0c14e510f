// The task list's refresh (every task loaded, with its schedule text and
// status) next to `systemctl --user list-timers --all` on the same 200
// timers, both against a user service manager of the benchmark's own.
// Prints both medians and RATIO (ours / list-timers); the aim is <= 1.
#include <sched.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QCoreApplication>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "bench_support.h"
#include "schedule/systemd/systemd_backend.h"
#include "schedule/systemd/user_manager.h"
#include "schedule/task_scheduler.h"

namespace fs = std::filesystem;

namespace {

constexpr int kTasks = 200;
constexpr int kRounds = 9;

// Starts `systemd --user` with the XDG folders under root (already in this
// process's environment); in a private mount namespace with the marker
// folder it needs when no system manager runs. 0 with why set on failure.
pid_t StartManager(std::string& why) {
  const bool needNamespace = !fs::exists("/run/systemd/system");
  if (needNamespace && ::geteuid() != 0) {
    why = "no service manager runs here and a private mount namespace needs root";
    return 0;
  }
  if (needNamespace) {
    std::error_code ec;
    fs::create_directories("/run/systemd", ec);
  }
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::prctl(PR_SET_PDEATHSIG, SIGTERM);
    if (needNamespace) {
      if (::unshare(CLONE_NEWNS) != 0 || ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
          ::mount("tmpfs", "/run/systemd", "tmpfs", MS_NOSUID | MS_NODEV, "mode=0755,size=64m") != 0 ||
          ::mkdir("/run/systemd/system", 0755) != 0)
        ::_exit(121);
    }
    ::execl("/usr/lib/systemd/systemd", "systemd", "--user", static_cast<char*>(nullptr));
    ::_exit(127);
  }
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (std::chrono::steady_clock::now() < deadline) {
    int status = 0;
    if (::waitpid(pid, &status, WNOHANG) == pid) {
      why = "the user service manager ended at once";
      return 0;
    }
    if (schedule::UserManager().Answers()) return pid;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  ::kill(pid, SIGKILL);
  ::waitpid(pid, nullptr, 0);
  why = "the user service manager did not answer within 30 s";
  return 0;
}

void StopManager(pid_t pid) {
  ::kill(pid, SIGTERM);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  int status = 0;
  while (::waitpid(pid, &status, WNOHANG) != pid) {
    if (std::chrono::steady_clock::now() > deadline) {
      ::kill(pid, SIGKILL);
      ::waitpid(pid, &status, 0);
      return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

template <typename F>
double WallSeconds(F&& f) {
  const auto start = std::chrono::steady_clock::now();
  f();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

schedule::TaskRecord BenchTask(int i) {
  schedule::TaskRecord task;
  task.name = "Bench task " + std::to_string(i) + ".job";
  task.applicationName = "/usr/bin/true";
  task.parameters = "-run \"/tmp/Record " + std::to_string(i) + ".cfg\"";
  task.creator = "Zovedu";
  task.comment = "Zovedu Task";
  schedule::TASK_TRIGGER t;
  t.TriggerType = i % 2 ? schedule::TASK_TIME_TRIGGER_DAILY : schedule::TASK_TIME_TRIGGER_WEEKLY;
  t.wBeginYear = 2026;
  t.wBeginMonth = 1;
  t.wBeginDay = 1;
  t.wStartHour = static_cast<schedule::WORD>(i % 24);
  t.wStartMinute = static_cast<schedule::WORD>(i % 60);
  if (i % 2) t.Type.Daily.DaysInterval = 1;
  else t.Type.Weekly = {1, static_cast<schedule::WORD>(1u << (i % 7))};
  task.triggers.push_back(t);
  return task;
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  char pattern[] = "/tmp/zovedu-bench-tasks-XXXXXX";
  if (!::mkdtemp(pattern)) {
    std::printf("cannot create a scratch folder\n");
    return 0;
  }
  const fs::path root = pattern;
  for (const char* sub : {"runtime", "config", "state", "data"}) fs::create_directories(root / sub);
  ::chmod((root / "runtime").c_str(), 0700);
  ::setenv("XDG_RUNTIME_DIR", (root / "runtime").c_str(), 1);
  ::setenv("XDG_CONFIG_HOME", (root / "config").c_str(), 1);
  ::setenv("XDG_STATE_HOME", (root / "state").c_str(), 1);
  ::setenv("XDG_DATA_HOME", (root / "data").c_str(), 1);
  ::unsetenv("DBUS_SESSION_BUS_ADDRESS");
  ::setenv("LC_ALL", "C", 1);

  std::string why;
  const pid_t manager = StartManager(why);
  if (!manager) {
    std::printf("no private user service manager: %s\n", why.c_str());
    fs::remove_all(root);
    return 0;
  }
  int result = 0;
  try {
    // Let it finish starting before the saves reload it.
    bench::RunChild({"systemctl", "--user", "is-system-running", "--wait"}, bench::ChildStdout::Discard);
    schedule::SystemdBackend store("/usr/bin/true");
    for (int i = 0; i < kTasks; ++i) store.Save(BenchTask(i));

    TTaskScheduler scheduler(std::make_unique<schedule::SystemdBackend>("/usr/bin/true"));
    scheduler.SetActive(true);
    std::vector<double> ours, anchor;
    std::size_t shown = 0;
    for (int round = 0; round < kRounds; ++round) {
      ours.push_back(WallSeconds([&] {
        scheduler.Refresh();
        for (int i = 0; i < scheduler.Count(); ++i) {
          TTaskItem* item = scheduler.Tasks(i);
          item->Activate();
          shown += static_cast<std::size_t>(item->ScheduleText().size());
          if (item->Status() == 0) throw std::runtime_error("no status");
          item->Deactivate(false);
        }
      }));
      bench::ChildRun run;
      anchor.push_back(WallSeconds([&] {
        run = bench::RunChild({"systemctl", "--user", "list-timers", "--all"}, bench::ChildStdout::Discard);
      }));
      if (!run.ok()) throw std::runtime_error(run.error);
    }
    if (scheduler.Count() != kTasks) throw std::runtime_error("the task list lost tasks");
    const double oursMs = Median(ours) * 1000, anchorMs = Median(anchor) * 1000;
    std::printf("tasks: %d, characters shown per refresh: %zu\n", kTasks, shown / kRounds);
    std::printf("task list refresh median: %.2f ms\n", oursMs);
    std::printf("systemctl --user list-timers --all median: %.2f ms\n", anchorMs);
    std::printf("RATIO %.3f\n", oursMs / anchorMs);
  } catch (const std::exception& e) {
    std::printf("failed: %s\n", e.what());
    result = 1;
  }
  StopManager(manager);
  fs::remove_all(root);
  return result;
}
