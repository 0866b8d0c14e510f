// One scheduled task as the task store keeps it: every property of the task
// model, the trigger records whole, and nothing the store adds itself.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "schedule/task_trigger.h"

namespace schedule {

// Task flag word.
constexpr DWORD TASK_FLAG_INTERACTIVE = 0x1;
constexpr DWORD TASK_FLAG_DELETE_WHEN_DONE = 0x2;
constexpr DWORD TASK_FLAG_DISABLED = 0x4;
constexpr DWORD TASK_FLAG_START_ONLY_IF_IDLE = 0x10;
constexpr DWORD TASK_FLAG_KILL_ON_IDLE_END = 0x20;
constexpr DWORD TASK_FLAG_DONT_START_IF_ON_BATTERIES = 0x40;
constexpr DWORD TASK_FLAG_KILL_IF_GOING_ON_BATTERIES = 0x80;
constexpr DWORD TASK_FLAG_HIDDEN = 0x200;
constexpr DWORD TASK_FLAG_RUN_IF_CONNECTED_TO_INTERNET = 0x400;
constexpr DWORD TASK_FLAG_RESTART_ON_IDLE_RESUME = 0x800;
constexpr DWORD TASK_FLAG_SYSTEM_REQUIRED = 0x1000;
constexpr DWORD TASK_FLAG_RUN_ONLY_IF_LOGGED_ON = 0x2000;

// Priority classes as the store keeps them.
constexpr DWORD IDLE_PRIORITY_CLASS = 0x40;
constexpr DWORD NORMAL_PRIORITY_CLASS = 0x20;
constexpr DWORD HIGH_PRIORITY_CLASS = 0x80;
constexpr DWORD REALTIME_PRIORITY_CLASS = 0x100;

struct TaskRecord {
  std::string name;  // work-item name, UTF-8, with its ".job"
  std::string applicationName, parameters, workingDirectory, comment, creator;
  std::string account;  // the user it runs as; a password is never kept
  DWORD flags = 0;
  DWORD priorityClass = NORMAL_PRIORITY_CLASS;
  DWORD idleWait = 0;  // idle minutes low word, deadline minutes high word
  std::vector<std::uint8_t> data;
  std::vector<TASK_TRIGGER> triggers;

  bool operator==(const TaskRecord& other) const;
};

}  // namespace schedule
