// A task store kept in memory, for tests of everything above the store:
// names compared case-sensitively, run states set by the test, every Run
// and Save logged, and Save/Remove made to fail on request.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "schedule/task_backend.h"

namespace schedule {

class InMemoryBackend : public TaskBackend {
 public:
  bool serviceRunning = true;
  std::map<std::string, TaskRecord> tasks;
  std::map<std::string, TaskRunState> runStates;
  std::vector<std::string> runLog;    // names passed to Run, in order
  std::vector<TaskRecord> saveLog;    // records passed to Save, in order
  // When set, Save / Remove / Run throw EOSError with this text and change nothing.
  std::optional<std::string> saveError, removeError, runError;

  bool ServiceRunning() override { return serviceRunning; }
  std::vector<std::string> TaskNames() override;
  std::optional<TaskRecord> Load(const std::string& name) override;
  void Save(const TaskRecord& task) override;
  void Remove(const std::string& name) override;
  void Run(const TaskRecord& task) override;
  TaskRunState RunState(const std::string& name) override;
};

}  // namespace schedule
