#include "schedule/task_status.h"

#include <cerrno>
#include <csignal>

#include "schedule/trigger_calendar.h"

namespace schedule {
namespace {

// A trigger this system can start the task with.
bool Usable(const TASK_TRIGGER& t) {
  if (t.rgFlags & TASK_TRIGGER_FLAG_DISABLED) return false;
  return IsTimeTrigger(t) || t.TriggerType == TASK_EVENT_TRIGGER_AT_SYSTEMSTART ||
         t.TriggerType == TASK_EVENT_TRIGGER_AT_LOGON;
}

// True when the trigger had a start at or before now.
bool HadStart(const TASK_TRIGGER& t, std::time_t now) {
  std::tm tm{};
  tm.tm_year = t.wBeginYear - 1900;
  tm.tm_mon = t.wBeginMonth - 1;
  tm.tm_mday = t.wBeginDay;
  // Midnight UTC of the begin date, two days early: before local midnight of
  // that date in any zone, and no start lies before the begin date. timegm
  // needs no time zone lookup.
  const std::time_t beginDay = timegm(&tm);
  if (beginDay == static_cast<std::time_t>(-1)) return false;
  const std::optional<std::time_t> first = NextRunAfter(t, beginDay - 2 * 86400);
  return first && *first <= now;
}

}  // namespace

bool ProcessAlive(pid_t pid) { return pid > 0 && (::kill(pid, 0) == 0 || errno == EPERM); }

DWORD TaskStatus(const TaskRecord& task, const TaskRunState& state, std::time_t now) {
  const bool alive = state.runningPid != 0 && ProcessAlive(state.runningPid);
  if (alive) return SCHED_S_TASK_RUNNING;
  if (task.flags & TASK_FLAG_DISABLED) return SCHED_S_TASK_DISABLED;
  if (state.terminated || state.runningPid != 0) return SCHED_S_TASK_TERMINATED;
  if (task.triggers.empty()) return SCHED_S_TASK_NOT_SCHEDULED;

  bool anyUsable = false, onlyTime = true, startsLater = false, hadStart = false;
  for (const TASK_TRIGGER& t : task.triggers) {
    if (!Usable(t)) continue;
    anyUsable = true;
    if (!IsTimeTrigger(t)) {
      onlyTime = false;
      continue;
    }
    if (NextRunAfter(t, now)) startsLater = true;
    if (HadStart(t, now)) hadStart = true;
  }
  if (!anyUsable) return SCHED_S_TASK_NO_VALID_TRIGGERS;
  if (onlyTime && !startsLater && (state.lastRun || hadStart)) return SCHED_S_TASK_NO_MORE_RUNS;
  if (!state.lastRun) return SCHED_S_TASK_HAS_NOT_RUN;
  return SCHED_S_TASK_READY;
}

std::optional<std::time_t> TaskNextRun(const TaskRecord& task, std::time_t now) {
  // A disabled task has its timer stopped.
  if (task.flags & TASK_FLAG_DISABLED) return std::nullopt;
  std::optional<std::time_t> next;
  for (const TASK_TRIGGER& t : task.triggers) {
    const std::optional<std::time_t> at = NextRunAfter(t, now);
    if (at && (!next || *at < *next)) next = at;
  }
  return next;
}

QString StatusText(DWORD status) {
  switch (status) {
    case SCHED_S_TASK_READY: return QStringLiteral("Ready");
    case SCHED_S_TASK_RUNNING: return QStringLiteral("Running");
    case SCHED_S_TASK_DISABLED: return QStringLiteral("Disabled");
    case SCHED_S_TASK_HAS_NOT_RUN: return QStringLiteral("Has not run");
    case SCHED_S_TASK_NO_MORE_RUNS: return QStringLiteral("No more runs");
    case SCHED_S_TASK_NOT_SCHEDULED: return QStringLiteral("Not scheduled");
    case SCHED_S_TASK_TERMINATED: return QStringLiteral("Terminated");
    case SCHED_S_TASK_NO_VALID_TRIGGERS: return QStringLiteral("No valid triggers");
    default: return QStringLiteral("Unknown");
  }
}

}  // namespace schedule
