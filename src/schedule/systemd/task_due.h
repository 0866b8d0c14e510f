// The due check a task's service runs before it starts the task's program:
// is a planned start of the task close enough to now to record it, and was
// it not recorded already?
#pragma once

#include <QString>
#include <ctime>
#include <optional>
#include <string>

#include "schedule/task_record.h"
#include "schedule/task_run_state.h"

namespace schedule {

// A planned start later than this many seconds is skipped when the task
// file gives no stop time.
constexpr std::time_t kMissedStartGraceSeconds = 300;

struct DueDecision {
  bool run = false;
  // The planned start let through (time triggers); nullopt for start-up
  // and logon runs, which record in full.
  std::optional<std::time_t> plannedStart;
  // One line saying why it does not run; empty when it runs.
  std::string reason;
};

// stopTimeSeconds > 0: a start is due while less late than the stop time
// (the run records the rest); otherwise while at most five minutes late.
DueDecision DecideDue(const TaskRecord& task, const TaskRunState& state, std::time_t now,
                      int stopTimeSeconds, bool haveDefaultRoute, const std::string& bootId);

// The most recent start of one trigger in (now - windowSeconds, now].
std::optional<std::time_t> LatestStartWithin(const TASK_TRIGGER& trigger, std::time_t now,
                                             std::time_t windowSeconds);

// True when /proc/net/route or /proc/net/ipv6_route holds a default route.
bool HaveDefaultRoute();
// This boot's id (/proc/sys/kernel/random/boot_id), empty when unreadable.
std::string CurrentBootId();

// `zovedu --task-due <unit base>`: 0 and the planned start written to the
// task's run state when the task is due; 1 with one line on stderr when not.
int TaskDueMain(const QString& unitBase);

}  // namespace schedule
