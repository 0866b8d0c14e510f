#include "schedule/systemd/task_due.h"

#include <QFileInfo>
#include <cstdio>
#include <fstream>
#include <sstream>

#include "schedule/systemd/systemd_backend.h"
#include "schedule/task_unit_files.h"
#include "schedule/trigger_calendar.h"
#include "settings/ini_file.h"

namespace schedule {

std::optional<std::time_t> LatestStartWithin(const TASK_TRIGGER& trigger, std::time_t now,
                                             std::time_t windowSeconds) {
  std::optional<std::time_t> latest;
  std::optional<std::time_t> next = NextRunAfter(trigger, now - windowSeconds);
  while (next && *next <= now) {
    latest = next;
    next = NextRunAfter(trigger, *next);
  }
  return latest;
}

DueDecision DecideDue(const TaskRecord& task, const TaskRunState& state, std::time_t now,
                      int stopTimeSeconds, bool haveDefaultRoute, const std::string& bootId) {
  if (task.flags & TASK_FLAG_DISABLED) return {false, std::nullopt, "the task is disabled"};
  if ((task.flags & TASK_FLAG_RUN_IF_CONNECTED_TO_INTERNET) && !haveDefaultRoute)
    return {false, std::nullopt, "there is no network connection"};

  // A start exactly stopTime late would record nothing, hence the open window.
  const std::time_t window = stopTimeSeconds > 0 ? stopTimeSeconds : kMissedStartGraceSeconds + 1;
  std::optional<std::time_t> planned;
  bool alreadyRun = false, startup = false, logon = false;
  for (const TASK_TRIGGER& trigger : task.triggers) {
    if (trigger.rgFlags & TASK_TRIGGER_FLAG_DISABLED) continue;
    if (IsTimeTrigger(trigger)) {
      const std::optional<std::time_t> start = LatestStartWithin(trigger, now, window);
      if (!start) continue;
      if (state.lastRun && *state.lastRun >= *start) {
        alreadyRun = true;
        continue;
      }
      if (!planned || *start > *planned) planned = start;
    } else if (trigger.TriggerType == TASK_EVENT_TRIGGER_AT_SYSTEMSTART) {
      startup = startup || state.bootId != bootId;
    } else if (trigger.TriggerType == TASK_EVENT_TRIGGER_AT_LOGON) {
      logon = true;
    }
  }
  if (planned) return {true, planned, {}};
  if (startup || logon) return {true, std::nullopt, {}};
  if (alreadyRun) return {false, std::nullopt, "this start was recorded already"};
  return {false, std::nullopt, "no planned start is close enough to now"};
}

namespace {

std::string FirstLine(const char* path) {
  std::ifstream in(path);
  std::string line;
  std::getline(in, line);
  return line;
}

bool RouteTableHasDefault(const char* path, bool ipv6) {
  std::ifstream in(path);
  std::string line;
  while (std::getline(in, line)) {
    std::istringstream fields(line);
    std::string first, second;
    fields >> first >> second;
    if (ipv6) {
      // destination, prefix length, ...: ::/0 that is not the loopback's
      std::string rest, device;
      while (fields >> rest) device = rest;
      if (first == std::string(32, '0') && second == "00" && device != "lo") return true;
    } else if (second == "00000000") {
      return true;  // interface, destination 0.0.0.0
    }
  }
  return false;
}

// "Stoptime" of the task file given as the second parameter, 0 without one.
int TaskFileStopTime(const TaskRecord& task) {
  const std::vector<std::string> args = SplitCommandLine(task.parameters);
  if (args.size() < 2) return 0;
  const QString path = QString::fromStdString(args[1]);
  if (!QFileInfo(path).isReadable()) return 0;
  return IniFile(path).ReadInteger("Record", "Stoptime", 0);
}

}  // namespace

bool HaveDefaultRoute() {
  return RouteTableHasDefault("/proc/net/route", false) ||
         RouteTableHasDefault("/proc/net/ipv6_route", true);
}

std::string CurrentBootId() { return FirstLine("/proc/sys/kernel/random/boot_id"); }

int TaskDueMain(const QString& unitBase) {
  const std::string base = unitBase.toStdString();
  const std::optional<TaskRecord> task = LoadTaskUnit(base);
  if (!task) {
    std::fprintf(stderr, "%s: the task unit is missing or damaged\n", base.c_str());
    return 1;
  }
  const std::string id = TaskId(task->name);
  TaskRunState state = ReadRunState(id);
  const std::string bootId = CurrentBootId();
  const DueDecision due = DecideDue(*task, state, std::time(nullptr), TaskFileStopTime(*task),
                                    HaveDefaultRoute(), bootId);
  if (!due.run) {
    std::fprintf(stderr, "%s: not started: %s\n", task->name.c_str(), due.reason.c_str());
    return 1;
  }
  state.dueStart = due.plannedStart;
  // A start-up run marks this boot as done.
  if (!due.plannedStart)
    for (const TASK_TRIGGER& t : task->triggers)
      if (t.TriggerType == TASK_EVENT_TRIGGER_AT_SYSTEMSTART && !(t.rgFlags & TASK_TRIGGER_FLAG_DISABLED))
        state.bootId = bootId;
  if (!WriteRunState(id, state)) {
    std::fprintf(stderr, "%s: cannot write its run state\n", task->name.c_str());
    return 1;
  }
  return 0;
}

}  // namespace schedule
