// Where tasks are kept and how they are started: the user's service manager,
// or memory for tests. Names are work-item names with their ".job".
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "schedule/task_record.h"
#include "schedule/task_run_state.h"

namespace schedule {

class TaskBackend {
 public:
  virtual ~TaskBackend() = default;
  // The store can be used (the user's service manager answers).
  virtual bool ServiceRunning() = 0;
  // Every task in the store, in no particular order.
  virtual std::vector<std::string> TaskNames() = 0;
  // The stored task of exactly that name; nullopt when there is none.
  virtual std::optional<TaskRecord> Load(const std::string& name) = 0;
  // Writes the task and arms its triggers. Throws EOSError on failure.
  virtual void Save(const TaskRecord& task) = 0;
  // Removes the task and its triggers. Throws EOSError on failure (also
  // when there is no such task).
  virtual void Remove(const std::string& name) = 0;
  // Starts the task's program now, as a trigger would. Throws EOSError.
  virtual void Run(const TaskRecord& task) = 0;
  // What the task's runs left behind.
  virtual TaskRunState RunState(const std::string& name) = 0;
};

}  // namespace schedule
