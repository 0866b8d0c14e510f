// The due check: which late starts still record, no second start for one
// planned start, and the stop time read from the task file.
#include "schedule/systemd/task_due.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

#include "schedule/systemd/systemd_backend.h"
#include "schedule/systemd/unit_file_io.h"
#include "schedule/task_unit_files.h"
#include "schedule_systemd/task_triggers_for_tests.h"
#include "support/scratch_dir.h"

using namespace schedule;
using zovedu_test::LocalTime;
using zovedu_test::TriggerAt;

namespace {

class TaskDueTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ::setenv("TZ", "Europe/Berlin", 1);
    ::tzset();
  }
  void TearDown() override {
    ::unsetenv("TZ");
    ::tzset();
  }
};

TaskRecord DailyTask(std::time_t firstStart) {
  TaskRecord task;
  task.name = "Daily.job";
  task.triggers.push_back(TriggerAt(TASK_TIME_TRIGGER_DAILY, firstStart));
  return task;
}

TEST_F(TaskDueTest, LateStartsTable) {
  const std::time_t start = LocalTime(2026, 12, 10, 9, 5);
  const TaskRecord daily = DailyTask(LocalTime(2026, 12, 1, 9, 5));
  TaskRecord disabled = daily;
  disabled.flags |= TASK_FLAG_DISABLED;
  TaskRecord needsNet = daily;
  needsNet.flags |= TASK_FLAG_RUN_IF_CONNECTED_TO_INTERNET;
  TaskRecord triggerOff = daily;
  triggerOff.triggers[0].rgFlags |= TASK_TRIGGER_FLAG_DISABLED;
  // A one-time start at 09:08 next to the daily 09:05: the later one counts.
  TaskRecord twoTriggers = daily;
  twoTriggers.triggers.push_back(TriggerAt(TASK_TIME_TRIGGER_ONCE, LocalTime(2026, 12, 10, 9, 8)));
  TaskRunState ranToday;
  ranToday.lastRun = start + 2;
  TaskRunState ranYesterday;
  ranYesterday.lastRun = start - 86400 + 2;

  struct Case {
    const char* what;
    const TaskRecord& task;
    TaskRunState state;
    std::time_t now;
    int stopTime;
    bool route;
    bool run;
    std::optional<std::time_t> planned;
  };
  const Case cases[] = {
      {"on time", daily, {}, start, 0, true, true, start},
      {"4 min late, no stop time", daily, {}, start + 240, 0, true, true, start},
      {"exactly 5 min late", daily, {}, start + 300, 0, true, true, start},
      {"5 min 1 s late", daily, {}, start + 301, 0, true, false, {}},
      {"6 min late", daily, {}, start + 360, 0, true, false, {}},
      {"50 min late inside a 1 h stop time", daily, {}, start + 3000, 3600, true, true, start},
      {"late by the whole stop time", daily, {}, start + 3600, 3600, true, false, {}},
      {"61 min late, 1 h stop time", daily, {}, start + 3660, 3600, true, false, {}},
      {"one second before the planned start", daily, {}, start - 1, 0, true, false, {}},
      {"already run for this start", daily, ranToday, start + 60, 0, true, false, {}},
      {"ran yesterday", daily, ranYesterday, start + 60, 0, true, true, start},
      {"task disabled", disabled, {}, start, 0, true, false, {}},
      {"trigger disabled", triggerOff, {}, start, 0, true, false, {}},
      {"needs a network, none", needsNet, {}, start, 0, false, false, {}},
      {"needs a network, has one", needsNet, {}, start, 0, true, true, start},
      {"no network needed, none", daily, {}, start, 0, false, true, start},
      {"latest of two triggers", twoTriggers, {}, LocalTime(2026, 12, 10, 9, 9), 0, true, true,
       LocalTime(2026, 12, 10, 9, 8)},
  };
  for (const Case& c : cases) {
    const DueDecision due = DecideDue(c.task, c.state, c.now, c.stopTime, c.route, "boot");
    EXPECT_EQ(due.run, c.run) << c.what << ": " << due.reason;
    EXPECT_EQ(due.plannedStart, c.planned) << c.what;
    EXPECT_EQ(due.reason.empty(), due.run) << c.what;
  }
}

TEST_F(TaskDueTest, StartupOncePerBootLogonAlways) {
  const std::time_t now = LocalTime(2026, 12, 10, 12, 0);
  TaskRecord startup;
  startup.name = "Boot.job";
  startup.triggers.push_back(TriggerAt(TASK_EVENT_TRIGGER_AT_SYSTEMSTART, now - 86400));
  TaskRecord logon = startup;
  logon.triggers[0].TriggerType = TASK_EVENT_TRIGGER_AT_LOGON;
  TaskRecord idle = startup;
  idle.triggers[0].TriggerType = TASK_EVENT_TRIGGER_ON_IDLE;
  TaskRunState thisBoot;
  thisBoot.bootId = "boot-b";
  thisBoot.lastRun = now - 60;
  TaskRunState earlierBoot;
  earlierBoot.bootId = "boot-a";

  struct Case {
    const char* what;
    const TaskRecord& task;
    TaskRunState state;
    bool run;
  } cases[] = {
      {"start-up, first run", startup, {}, true},
      {"start-up, ran in an earlier boot", startup, earlierBoot, true},
      {"start-up, ran in this boot", startup, thisBoot, false},
      {"logon, ran in this boot", logon, thisBoot, true},
      {"idle is not available", idle, {}, false},
  };
  for (const Case& c : cases) {
    const DueDecision due = DecideDue(c.task, c.state, now, 0, true, "boot-b");
    EXPECT_EQ(due.run, c.run) << c.what;
    EXPECT_FALSE(due.plannedStart) << c.what;
  }
}

// The check as the service runs it: unit file, task file and state file.
TEST_F(TaskDueTest, MainReadsStopTimeFromTheTaskFileAndHandsOverTheStart) {
  zovedu_test::ScratchDir dir;
  ::setenv("XDG_CONFIG_HOME", (dir / "config").c_str(), 1);
  ::setenv("XDG_STATE_HOME", (dir / "state").c_str(), 1);
  std::filesystem::create_directories(UserUnitFolder());

  // A one-time start ten minutes ago, minute-aligned.
  const std::time_t now = std::time(nullptr);
  const std::time_t planned = (now - 600) / 60 * 60;
  const std::string taskFile = (dir / "Record 1.cfg").string();
  TaskRecord task;
  task.name = "Late one.job";
  task.applicationName = "/usr/bin/true";
  task.parameters = "-run \"" + taskFile + "\"";
  task.triggers.push_back(TriggerAt(TASK_TIME_TRIGGER_ONCE, planned));
  const std::string base = UnitBaseName(task.name);
  ASSERT_TRUE(WriteFileAtomically(UserUnitFolder() + "/" + base + ".service",
                                  ServiceUnitText(task, "/usr/bin/false")));

  struct Case {
    const char* what;
    const char* taskFileText;  // nullptr: no task file
    int result;
  } cases[] = {
      {"no task file: five minutes at most", nullptr, 1},
      {"stop time 0", "[Record]\nStoptime=0\n", 1},
      {"stop time 5 min", "[Record]\nStoptime=300\n", 1},
      {"stop time 1 h: records the rest", "[Record]\nStoptime=3600\n", 0},
  };
  for (const Case& c : cases) {
    std::filesystem::remove(taskFile);
    RemoveRunState(TaskId(task.name));
    if (c.taskFileText) std::ofstream(taskFile) << c.taskFileText;
    EXPECT_EQ(TaskDueMain(QString::fromStdString(base)), c.result) << c.what;
    const TaskRunState state = ReadRunState(TaskId(task.name));
    EXPECT_EQ(state.dueStart, c.result == 0 ? std::optional<std::time_t>(planned) : std::nullopt)
        << c.what;
  }
  EXPECT_EQ(TaskDueMain(QStringLiteral("zovedu-task-missing-0000000000000000")), 1);
  ::unsetenv("XDG_CONFIG_HOME");
  ::unsetenv("XDG_STATE_HOME");
}

}  // namespace
