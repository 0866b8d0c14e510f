// Task status codes (first rule that holds wins) and next run times.
#include "schedule/task_status.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <sys/wait.h>
#include <unistd.h>

namespace schedule {
namespace {

std::time_t Local(int y, int mo, int d, int h, int mi) {
  std::tm tm{};
  tm.tm_year = y - 1900;
  tm.tm_mon = mo - 1;
  tm.tm_mday = d;
  tm.tm_hour = h;
  tm.tm_min = mi;
  tm.tm_isdst = -1;
  return std::mktime(&tm);
}

TASK_TRIGGER Trigger(TASK_TRIGGER_TYPE type, int y, int mo, int d, int h = 9, int mi = 0) {
  TASK_TRIGGER t;
  t.TriggerType = type;
  t.wBeginYear = static_cast<WORD>(y);
  t.wBeginMonth = static_cast<WORD>(mo);
  t.wBeginDay = static_cast<WORD>(d);
  t.wStartHour = static_cast<WORD>(h);
  t.wStartMinute = static_cast<WORD>(mi);
  if (type == TASK_TIME_TRIGGER_DAILY) t.Type.Daily.DaysInterval = 1;
  return t;
}

TASK_TRIGGER Ending(TASK_TRIGGER t, int y, int mo, int d) {
  t.rgFlags |= TASK_TRIGGER_FLAG_HAS_END_DATE;
  t.wEndYear = static_cast<WORD>(y);
  t.wEndMonth = static_cast<WORD>(mo);
  t.wEndDay = static_cast<WORD>(d);
  return t;
}

TASK_TRIGGER Disabled(TASK_TRIGGER t) {
  t.rgFlags |= TASK_TRIGGER_FLAG_DISABLED;
  return t;
}

// A process id that no longer runs: a child that has ended and been reaped.
pid_t EndedPid() {
  const pid_t pid = fork();
  if (pid == 0) _exit(0);
  waitpid(pid, nullptr, 0);
  return pid;
}

TEST(TaskStatus, FirstRuleThatHoldsWins) {
  const std::time_t now = Local(2026, 6, 15, 12, 0);
  const pid_t self = getpid(), ended = EndedPid();
  const TASK_TRIGGER pastOnce = Trigger(TASK_TIME_TRIGGER_ONCE, 2026, 6, 1);
  const TASK_TRIGGER futureOnce = Trigger(TASK_TIME_TRIGGER_ONCE, 2026, 7, 1);
  const TASK_TRIGGER daily = Trigger(TASK_TIME_TRIGGER_DAILY, 2026, 1, 1);
  const TASK_TRIGGER endedDaily = Ending(daily, 2026, 3, 31);
  const TASK_TRIGGER logon = Trigger(TASK_EVENT_TRIGGER_AT_LOGON, 0, 0, 0);
  const TASK_TRIGGER idle = Trigger(TASK_EVENT_TRIGGER_ON_IDLE, 0, 0, 0);
  TASK_TRIGGER never = Trigger(TASK_TIME_TRIGGER_MONTHLYDATE, 2026, 1, 1);
  never.Type.MonthlyDate = {1u << 30, 0x2};  // 31 February
  const std::optional<std::time_t> ran = now - 3600, notRun;

  struct Case {
    const char* what;
    DWORD flags;
    std::vector<TASK_TRIGGER> triggers;
    std::optional<std::time_t> lastRun;
    pid_t pid;
    bool terminated;
    DWORD status;
  };
  const Case cases[] = {
      {"running beats everything", TASK_FLAG_DISABLED, {}, ran, self, true, SCHED_S_TASK_RUNNING},
      {"disabled beats terminated", TASK_FLAG_DISABLED, {}, ran, ended, true, SCHED_S_TASK_DISABLED},
      {"terminated flag", 0, {}, ran, 0, true, SCHED_S_TASK_TERMINATED},
      {"running pid gone", 0, {daily}, ran, ended, false, SCHED_S_TASK_TERMINATED},
      {"no triggers", 0, {}, notRun, 0, false, SCHED_S_TASK_NOT_SCHEDULED},
      {"only disabled or idle", 0, {Disabled(daily), idle}, ran, 0, false, SCHED_S_TASK_NO_VALID_TRIGGERS},
      {"one-time passed, never ran", 0, {pastOnce}, notRun, 0, false, SCHED_S_TASK_NO_MORE_RUNS},
      {"daily ended, ran", 0, {endedDaily}, ran, 0, false, SCHED_S_TASK_NO_MORE_RUNS},
      {"ended plus disabled future", 0, {endedDaily, Disabled(futureOnce)}, ran, 0, false, SCHED_S_TASK_NO_MORE_RUNS},
      {"passed one-time plus logon", 0, {pastOnce, logon}, notRun, 0, false, SCHED_S_TASK_HAS_NOT_RUN},
      {"never fires, never ran", 0, {never}, notRun, 0, false, SCHED_S_TASK_HAS_NOT_RUN},
      {"future one-time, never ran", 0, {futureOnce}, notRun, 0, false, SCHED_S_TASK_HAS_NOT_RUN},
      {"future one-time, ran", 0, {futureOnce}, ran, 0, false, SCHED_S_TASK_READY},
      {"daily, ran", 0, {daily}, ran, 0, false, SCHED_S_TASK_READY},
      {"logon, ran", 0, {logon}, ran, 0, false, SCHED_S_TASK_READY},
  };
  for (const Case& c : cases) {
    TaskRecord task;
    task.flags = c.flags;
    task.triggers = c.triggers;
    TaskRunState state;
    state.lastRun = c.lastRun;
    state.runningPid = c.pid;
    state.terminated = c.terminated;
    EXPECT_EQ(StatusText(TaskStatus(task, state, now)), StatusText(c.status)) << c.what;
  }
}

TEST(TaskStatus, NextRunIsTheEarliestEnabledStart) {
  const std::time_t now = Local(2026, 6, 15, 12, 0);
  TaskRecord task;
  task.triggers = {Trigger(TASK_TIME_TRIGGER_ONCE, 2026, 7, 1), Trigger(TASK_TIME_TRIGGER_DAILY, 2026, 1, 1, 18, 30),
                   Disabled(Trigger(TASK_TIME_TRIGGER_ONCE, 2026, 6, 15, 13, 0)),
                   Trigger(TASK_EVENT_TRIGGER_AT_LOGON, 0, 0, 0)};
  EXPECT_EQ(TaskNextRun(task, now), Local(2026, 6, 15, 18, 30));
  task.flags = TASK_FLAG_DISABLED;
  EXPECT_EQ(TaskNextRun(task, now), std::nullopt);
  task.flags = 0;
  task.triggers = {Trigger(TASK_EVENT_TRIGGER_AT_LOGON, 0, 0, 0)};
  EXPECT_EQ(TaskNextRun(task, now), std::nullopt);
}

TEST(TaskStatus, Texts) {
  const std::pair<DWORD, const char*> texts[] = {
      {SCHED_S_TASK_READY, "Ready"},           {SCHED_S_TASK_RUNNING, "Running"},
      {SCHED_S_TASK_DISABLED, "Disabled"},     {SCHED_S_TASK_HAS_NOT_RUN, "Has not run"},
      {SCHED_S_TASK_NO_MORE_RUNS, "No more runs"}, {SCHED_S_TASK_NOT_SCHEDULED, "Not scheduled"},
      {SCHED_S_TASK_TERMINATED, "Terminated"}, {SCHED_S_TASK_NO_VALID_TRIGGERS, "No valid triggers"},
      {0, "Unknown"},
  };
  for (const auto& [code, text] : texts) EXPECT_EQ(StatusText(code), text);
}

}  // namespace
}  // namespace schedule
