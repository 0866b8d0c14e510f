// The unit store against a user service manager of the test's own: timers
// that show the task list's next run, runs that reach the program with its
// arguments intact through the due check, disabling, removing, catching up
// missed starts, and the session environment handed to the manager.
#include "schedule/systemd/systemd_backend.h"

#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <thread>

#include "schedule/systemd/user_manager.h"
#include "schedule/task_scheduler.h"
#include "schedule/task_unit_files.h"
#include "schedule_systemd/private_user_manager.h"
#include "schedule_systemd/task_triggers_for_tests.h"
#include "support/scratch_dir.h"

namespace fs = std::filesystem;
using namespace schedule;
using zovedu_test::TriggerAt;

using zovedu_test::ReadText;
using zovedu_test::WaitFor;

namespace {

std::string ThisProgram() { return fs::read_symlink("/proc/self/exe").string(); }

std::vector<std::string> SplitAtNul(const std::string& text) {
  std::vector<std::string> parts;
  std::string part;
  std::istringstream in(text);
  while (std::getline(in, part, '\0')) parts.push_back(part);
  return parts;
}

// Blanks group, quotes are removed; everything else reaches the program.
const std::string kHostileParameters =
    "-run \"/tmp/a folder/Record 1.cfg\" 50%n $HOME ${PATH} \\back\\slash 'single' "
    "semi;colon pipe|amp& `tick` Grüße";
const std::vector<std::string> kHostileArguments = {
    "-run", "/tmp/a folder/Record 1.cfg", "50%n", "$HOME", "${PATH}", "\\back\\slash",
    "'single'", "semi;colon", "pipe|amp&", "`tick`", "Grüße"};

class SystemdBackendTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string whyNot;
    manager_ = zovedu_test::PrivateUserManager::Start(scratch_.path(), whyNot);
    ZOVEDU_REQUIRE_USER_MANAGER(manager_, whyNot);
    backend_ = std::make_unique<SystemdBackend>(ThisProgram());
  }

  // NEXT of the timer in list-timers ("Fri 2026-12-11 09:05:00 CET", local
  // time); nullopt when it shows none, or when the timer is not listed.
  std::optional<std::time_t> ListedNextElapse(const std::string& base, bool* listed = nullptr) {
    const zovedu_test::RunResult r = manager_->Systemctl({"list-timers", "--all", "--no-legend"});
    EXPECT_EQ(r.exitCode, 0) << r.describe();
    std::istringstream lines(r.out);
    std::string line;
    if (listed) *listed = false;
    while (std::getline(lines, line)) {
      if (line.find(base + ".timer") == std::string::npos) continue;
      if (listed) *listed = true;
      std::tm tm{};
      if (!strptime(line.c_str(), "%a %Y-%m-%d %H:%M:%S", &tm)) return std::nullopt;
      tm.tm_isdst = -1;
      return std::mktime(&tm);
    }
    return std::nullopt;
  }

  std::string Show(const std::string& unit, const std::string& property) {
    return manager_->Systemctl({"show", "-P", property, unit}).out;
  }

  // A script that writes $ZOVEDU_TASK and its arguments, NUL-separated.
  TaskRecord LoggingTask(const std::string& name) {
    const fs::path script = scratch_ / "log.sh";
    std::ofstream(script) << "#!/bin/sh\nout=\"$(dirname \"$0\")/argv.out\"\n"
                             "printf '%s\\0' \"$ZOVEDU_TASK\" \"$@\" > \"$out.tmp\" && "
                             "mv \"$out.tmp\" \"$out\"\n";
    fs::permissions(script, fs::perms::owner_all);
    TaskRecord task;
    task.name = name;
    task.applicationName = script.string();
    task.parameters = kHostileParameters;
    return task;
  }
  fs::path LogFile() const { return scratch_ / "argv.out"; }

  zovedu_test::ScratchDir scratch_;
  std::unique_ptr<zovedu_test::PrivateUserManager> manager_;
  std::unique_ptr<SystemdBackend> backend_;
};

TEST_F(SystemdBackendTest, TimersShowTheTaskListsNextRun) {
  const std::time_t now = std::time(nullptr);
  const std::time_t soon = (now + 3 * 3600) / 60 * 60;
  struct Case {
    const char* name;
    TASK_TRIGGER_TYPE type;
    std::time_t firstStart;
  } cases[] = {
      {"Daily \"news\" 50% $HOME.job", TASK_TIME_TRIGGER_DAILY, soon - 5 * 86400},
      {"Weekly/show.job", TASK_TIME_TRIGGER_WEEKLY, soon - 14 * 86400},
      {"Once.job", TASK_TIME_TRIGGER_ONCE, soon + 86400},
  };
  std::vector<TaskRecord> saved;
  for (const Case& c : cases) {
    TaskRecord task;
    task.name = c.name;
    task.applicationName = "/usr/bin/true";
    task.triggers.push_back(TriggerAt(c.type, c.firstStart));
    backend_->Save(task);
    saved.push_back(task);
  }

  TTaskScheduler scheduler(std::make_unique<SystemdBackend>(ThisProgram()));
  scheduler.SetActive(true);
  scheduler.Refresh();
  ASSERT_EQ(scheduler.Count(), static_cast<int>(saved.size()));
  for (const TaskRecord& task : saved) {
    EXPECT_EQ(backend_->Load(task.name), task) << task.name;
    TTaskItem* item = scheduler.FindTask(QString::fromStdString(task.name));
    ASSERT_NE(item, nullptr) << task.name;
    item->Activate();
    const QDateTime next = item->NextRunTime();
    item->Deactivate(false);
    ASSERT_TRUE(next.isValid()) << task.name;
    EXPECT_EQ(ListedNextElapse(UnitBaseName(task.name)), next.toSecsSinceEpoch()) << task.name;
  }
}

// One way in through the timer and its due check, one through Run: both
// reach the program with every argument as written.
TEST_F(SystemdBackendTest, RunsReachTheProgramWithItsArgumentsIntact) {
  for (const bool byTimer : {true, false}) {
    SCOPED_TRACE(byTimer ? "started by the timer" : "started by Run");
    fs::remove(LogFile());
    TaskRecord task = LoggingTask(byTimer ? "Timed $run 100%.job" : "Run \"now\".job");
    const std::string base = UnitBaseName(task.name);
    // Minute starts: the next one at least twenty seconds ahead, so that it
    // is still ahead when a busy machine finishes the save.
    const std::time_t planned = (std::time(nullptr) + 80) / 60 * 60;
    task.triggers.push_back(TriggerAt(TASK_TIME_TRIGGER_ONCE, planned));
    if (!byTimer) task.triggers[0].rgFlags |= TASK_TRIGGER_FLAG_DISABLED;
    TaskRunState handOver;
    handOver.dueStart = planned - 86400;
    ASSERT_TRUE(WriteRunState(TaskId(task.name), handOver));

    backend_->Save(task);
    if (!byTimer) backend_->Run(task);
    const int seconds = static_cast<int>(planned - std::time(nullptr)) + 60;
    ASSERT_TRUE(WaitFor([&] { return fs::exists(LogFile()); }, seconds))
        << "the program did not run:\n"
        << manager_->Systemctl({"status", "--no-pager", base + ".timer", base + ".service"}).out
        << "\nmanager log:\n" << ReadText(scratch_ / "manager.log");

    std::vector<std::string> expected{base};
    expected.insert(expected.end(), kHostileArguments.begin(), kHostileArguments.end());
    EXPECT_EQ(SplitAtNul(ReadText(LogFile())), expected);
    // The due check hands the planned start to the run; Run clears it.
    const TaskRunState state = backend_->RunState(task.name);
    EXPECT_EQ(state.dueStart, byTimer ? std::optional<std::time_t>(planned) : std::nullopt);
  }
}

TEST_F(SystemdBackendTest, DisablingStopsTheTimerAndEnablingRearmsIt) {
  TaskRecord task;
  task.name = "Switch.job";
  task.applicationName = "/usr/bin/true";
  task.triggers.push_back(TriggerAt(TASK_TIME_TRIGGER_DAILY, std::time(nullptr) + 3600));
  const std::string timer = UnitBaseName(task.name) + ".timer";
  struct Step {
    bool disabled;
    const char* active;
    const char* enabled;
  } steps[] = {{false, "active", "enabled"}, {true, "inactive", "disabled"},
               {false, "active", "enabled"}};
  for (const Step& step : steps) {
    task.flags = step.disabled ? TASK_FLAG_DISABLED : 0;
    backend_->Save(task);
    EXPECT_EQ(Show(timer, "ActiveState"), std::string(step.active) + "\n") << step.disabled;
    EXPECT_EQ(Show(timer, "UnitFileState"), std::string(step.enabled) + "\n") << step.disabled;
    EXPECT_EQ(ListedNextElapse(UnitBaseName(task.name)).has_value(), !step.disabled);
  }
}

TEST_F(SystemdBackendTest, StartupTriggerGetsAnAutostartEntryThatFollowsDisabling) {
  TaskRecord task;
  task.name = "At start.job";
  task.applicationName = "/usr/bin/true";
  task.triggers.push_back(TriggerAt(TASK_EVENT_TRIGGER_AT_SYSTEMSTART, std::time(nullptr)));
  const std::string base = UnitBaseName(task.name);
  const fs::path entry = fs::path(AutostartFolder()) / (base + ".desktop");

  backend_->Save(task);
  const std::string text = ReadText(entry);
  EXPECT_NE(text.find("\nExec=systemctl --user start " + base + ".service\n"), std::string::npos)
      << text;
  EXPECT_EQ(text.find("Hidden=true"), std::string::npos) << text;
  // No calendar: no timer file (the manager would refuse it).
  EXPECT_FALSE(fs::exists(fs::path(UserUnitFolder()) / (base + ".timer")));

  task.flags = TASK_FLAG_DISABLED;
  backend_->Save(task);
  EXPECT_NE(ReadText(entry).find("\nHidden=true\n"), std::string::npos);

  task.triggers[0] = TriggerAt(TASK_TIME_TRIGGER_DAILY, std::time(nullptr) + 3600);
  backend_->Save(task);
  EXPECT_FALSE(fs::exists(entry));
}

// With a timer and an autostart entry, and with the entry alone (no timer
// file for the manager to disable).
TEST_F(SystemdBackendTest, RemoveDeletesTheUnitsButNotTheTaskFile) {
  const std::time_t now = std::time(nullptr);
  struct Case {
    const char* name;
    std::vector<TASK_TRIGGER> triggers;
  } cases[] = {
      {"Gone.job",
       {TriggerAt(TASK_TIME_TRIGGER_DAILY, now + 3600), TriggerAt(TASK_EVENT_TRIGGER_AT_LOGON, now)}},
      {"Gone at start.job", {TriggerAt(TASK_EVENT_TRIGGER_AT_SYSTEMSTART, now)}},
  };
  const fs::path taskFile = fs::path(UserUnitFolder()) / "Record1.cfg";
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TaskRecord task;
    task.name = c.name;
    task.applicationName = "/usr/bin/true";
    task.triggers = c.triggers;
    const std::string base = UnitBaseName(task.name);
    backend_->Save(task);
    std::ofstream(taskFile) << "[Record]\nStoptime=60\n";

    ASSERT_NO_THROW(backend_->Remove(task.name));
    for (const fs::path& file : {fs::path(UserUnitFolder()) / (base + ".service"),
                                 fs::path(UserUnitFolder()) / (base + ".timer"),
                                 fs::path(AutostartFolder()) / (base + ".desktop"),
                                 fs::path(UserUnitFolder()) / "timers.target.wants" / (base + ".timer")})
      EXPECT_FALSE(fs::exists(file)) << file;
    EXPECT_TRUE(fs::exists(taskFile));
    bool listed = true;
    ListedNextElapse(base, &listed);
    EXPECT_FALSE(listed);
    EXPECT_TRUE(backend_->TaskNames().empty());
    try {
      backend_->Remove(task.name);
      ADD_FAILURE() << "removing a missing task succeeded";
    } catch (const EOSError& e) {
      EXPECT_NE(e.text().indexOf(QString::fromStdString(task.name)), -1) << e.text().toStdString();
    }
  }
}

// A start missed while nothing ran: the persistent timer fires at once and
// the due check lets it record only within the task file's stop time.
TEST_F(SystemdBackendTest, MissedStartCatchesUpOnlyWithinTheStopTime) {
  const std::time_t planned = (std::time(nullptr) - 600) / 60 * 60;
  struct Case {
    const char* what;
    const char* taskFileText;
    bool records;
  } cases[] = {
      {"no stop time: ten minutes is too late", "[Record]\nStoptime=0\n", false},
      {"one hour stop time: records the rest", "[Record]\nStoptime=3600\n", true},
  };
  int index = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    fs::remove(LogFile());
    const fs::path taskFile = scratch_ / ("Record" + std::to_string(index) + ".cfg");
    std::ofstream(taskFile) << c.taskFileText;
    TaskRecord task = LoggingTask("Missed " + std::to_string(index++) + ".job");
    task.parameters = "-run \"" + taskFile.string() + "\"";
    task.triggers.push_back(TriggerAt(TASK_TIME_TRIGGER_ONCE, planned));
    const std::string base = UnitBaseName(task.name);
    // The manager's record of the last elapse: a day before the planned start.
    const fs::path stamp = manager_->dataHome / "systemd" / "timers" / ("stamp-" + base + ".timer");
    fs::create_directories(stamp.parent_path());
    std::ofstream(stamp).flush();
    const timespec times[2] = {{planned - 86400, 0}, {planned - 86400, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, stamp.c_str(), times, 0), 0);

    backend_->Save(task);
    // The condition's exit status shows once the check has run.
    std::string condition;
    ASSERT_TRUE(WaitFor([&] {
      condition = Show(base + ".service", "ExecCondition");
      return condition.find("code=exited") != std::string::npos;
    }, 60)) << condition;
    if (c.records) {
      EXPECT_NE(condition.find("status=0 "), std::string::npos) << condition;
      ASSERT_TRUE(WaitFor([&] { return fs::exists(LogFile()); }, 60));
      EXPECT_EQ(backend_->RunState(task.name).dueStart, planned);
    } else {
      EXPECT_NE(condition.find("status=1 "), std::string::npos) << condition;
      EXPECT_FALSE(fs::exists(LogFile()));
      EXPECT_FALSE(backend_->RunState(task.name).dueStart);
    }
  }
}

// A manager that re-executes itself drops every connection; the store
// keeps working with a new one.
TEST_F(SystemdBackendTest, KeepsWorkingAfterTheManagerReexecutes) {
  TaskRecord task;
  task.name = "Before.job";
  task.applicationName = "/usr/bin/true";
  task.triggers.push_back(TriggerAt(TASK_TIME_TRIGGER_DAILY, std::time(nullptr) + 3600));
  backend_->Save(task);
  const zovedu_test::RunResult reexec = manager_->Systemctl({"daemon-reexec"});
  ASSERT_EQ(reexec.exitCode, 0) << reexec.describe();
  task.name = "After.job";
  EXPECT_NO_THROW(backend_->Save(task));
  EXPECT_TRUE(ListedNextElapse(UnitBaseName(task.name)).has_value());
  EXPECT_TRUE(backend_->ServiceRunning());
}

TEST_F(SystemdBackendTest, SessionEnvironmentReachesTheManager) {
  ::setenv("DISPLAY", ":77", 1);
  ::setenv("WAYLAND_DISPLAY", "wayland-77", 1);
  ::unsetenv("XAUTHORITY");
  ExportSessionEnvironment();
  const std::string environment = manager_->Systemctl({"show-environment"}).out;
  EXPECT_NE(environment.find("\nDISPLAY=:77\n"), std::string::npos) << environment;
  EXPECT_NE(environment.find("\nWAYLAND_DISPLAY=wayland-77\n"), std::string::npos) << environment;
  EXPECT_EQ(environment.find("XAUTHORITY="), std::string::npos) << environment;
  ::unsetenv("DISPLAY");
  ::unsetenv("WAYLAND_DISPLAY");
}

TEST(ExportSessionEnvironment, IsSilentWithoutAManager) {
  zovedu_test::ScratchDir empty;
  const char* oldRuntime = std::getenv("XDG_RUNTIME_DIR");
  const std::string saved = oldRuntime ? oldRuntime : "";
  ::setenv("XDG_RUNTIME_DIR", empty.path().c_str(), 1);
  ::setenv("DBUS_SESSION_BUS_ADDRESS", ("unix:path=" + (empty / "none").string()).c_str(), 1);
  ::setenv("DISPLAY", ":77", 1);
  EXPECT_NO_THROW(ExportSessionEnvironment());
  EXPECT_FALSE(SystemdBackend().ServiceRunning());
  ::unsetenv("DISPLAY");
  ::unsetenv("DBUS_SESSION_BUS_ADDRESS");
  if (oldRuntime) ::setenv("XDG_RUNTIME_DIR", saved.c_str(), 1);
  else ::unsetenv("XDG_RUNTIME_DIR");
}

}  // namespace
