#include "schedule/task_record.h"

#include <cstring>

namespace schedule {

bool TaskRecord::operator==(const TaskRecord& other) const {
  if (triggers.size() != other.triggers.size()) return false;
  // Trigger records compare whole, bytes of the type part included.
  for (std::size_t i = 0; i < triggers.size(); ++i)
    if (std::memcmp(&triggers[i], &other.triggers[i], sizeof(TASK_TRIGGER)) != 0) return false;
  return name == other.name && applicationName == other.applicationName && parameters == other.parameters &&
         workingDirectory == other.workingDirectory && comment == other.comment && creator == other.creator &&
         account == other.account && flags == other.flags && priorityClass == other.priorityClass &&
         idleWait == other.idleWait && data == other.data;
}

}  // namespace schedule
