// What the runs of a task leave behind for the task list: when it last ran,
// whether a run is recording now or was killed, and the hand-over from the
// due check to the run it lets start. One small file per task under
// $XDG_STATE_HOME/zovedu/tasks/, named by the task id.
#pragma once

#include <ctime>
#include <optional>
#include <string>
#include <sys/types.h>

namespace schedule {

struct TaskRunState {
  std::optional<std::time_t> lastRun;   // start of the most recent run
  pid_t runningPid = 0;                 // the run whose recording is going on
  bool terminated = false;              // the last run ended without finishing
  std::optional<std::time_t> dueStart;  // planned start the due check let through
  std::string bootId;                   // boot of the last start-up run
  bool operator==(const TaskRunState&) const = default;
};

// The folder of the state files ($XDG_STATE_HOME/zovedu/tasks, or
// ~/.local/state/zovedu/tasks).
std::string RunStateFolder();
// Missing or damaged file: an empty state.
TaskRunState ReadRunState(const std::string& taskId);
// Written to a temporary file and renamed; false when it cannot be written.
bool WriteRunState(const std::string& taskId, const TaskRunState& state);
void RemoveRunState(const std::string& taskId);

}  // namespace schedule
