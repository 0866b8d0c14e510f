// The status code and run times the task list shows, worked out from the
// task record and what its runs left behind.
#pragma once

#include <cstdint>
#include <ctime>
#include <optional>
#include <QString>

#include "schedule/task_record.h"
#include "schedule/task_run_state.h"

namespace schedule {

constexpr DWORD SCHED_S_TASK_READY = 0x41300;
constexpr DWORD SCHED_S_TASK_RUNNING = 0x41301;
constexpr DWORD SCHED_S_TASK_DISABLED = 0x41302;
constexpr DWORD SCHED_S_TASK_HAS_NOT_RUN = 0x41303;
constexpr DWORD SCHED_S_TASK_NO_MORE_RUNS = 0x41304;
constexpr DWORD SCHED_S_TASK_NOT_SCHEDULED = 0x41305;
constexpr DWORD SCHED_S_TASK_TERMINATED = 0x41306;
constexpr DWORD SCHED_S_TASK_NO_VALID_TRIGGERS = 0x41307;

// True when the process still runs (kill(pid, 0)).
bool ProcessAlive(pid_t pid);

// First that holds: Running, Disabled, Terminated, Not scheduled, No valid
// triggers, No more runs, Has not run, Ready.
DWORD TaskStatus(const TaskRecord& task, const TaskRunState& state, std::time_t now);
// Next start of any enabled time trigger after now; nullopt: none.
std::optional<std::time_t> TaskNextRun(const TaskRecord& task, std::time_t now);
// "Ready" ... "No valid triggers"; "Unknown" for any other code.
QString StatusText(DWORD status);

}  // namespace schedule
