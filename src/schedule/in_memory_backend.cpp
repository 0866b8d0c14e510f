#include "schedule/in_memory_backend.h"

#include "schedule/task_scheduler.h"

namespace schedule {

std::vector<std::string> InMemoryBackend::TaskNames() {
  std::vector<std::string> names;
  for (const auto& entry : tasks) names.push_back(entry.first);
  return names;
}

std::optional<TaskRecord> InMemoryBackend::Load(const std::string& name) {
  const auto it = tasks.find(name);
  if (it == tasks.end()) return std::nullopt;
  return it->second;
}

void InMemoryBackend::Save(const TaskRecord& task) {
  if (saveError) throw EOSError(QString::fromStdString(*saveError));
  tasks[task.name] = task;
  saveLog.push_back(task);
}

void InMemoryBackend::Remove(const std::string& name) {
  if (removeError) throw EOSError(QString::fromStdString(*removeError));
  if (tasks.erase(name) == 0) throw EOSError(QStringLiteral("The system cannot find the file specified."));
  runStates.erase(name);
}

void InMemoryBackend::Run(const TaskRecord& task) {
  if (runError) throw EOSError(QString::fromStdString(*runError));
  runLog.push_back(task.name);
}

TaskRunState InMemoryBackend::RunState(const std::string& name) {
  const auto it = runStates.find(name);
  return it == runStates.end() ? TaskRunState{} : it->second;
}

}  // namespace schedule
