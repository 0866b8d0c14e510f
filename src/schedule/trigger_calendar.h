// When a trigger fires: systemd OnCalendar expressions for the timer unit,
// and our own arithmetic for the next start and the due check that filters
// a calendar which fires more often than the trigger.
#pragma once

#include <cstdint>
#include <ctime>
#include <optional>
#include <string>
#include <vector>

#include "schedule/task_trigger.h"

namespace schedule {

struct CalendarSpec {
  // OnCalendar= lines for one timer; empty when no calendar can start it.
  std::vector<std::string> onCalendar;
  // false when the calendar fires at more times than the trigger starts
  // (or has no calendar): the service then asks IsDue before running.
  bool exact = false;
};

// Uses the current time to decide whether the begin date still lies ahead.
CalendarSpec CalendarFor(const TASK_TRIGGER& trigger);
CalendarSpec CalendarFor(const TASK_TRIGGER& trigger, std::time_t now);

// First start strictly after `after`, in the local time zone; nullopt when
// the trigger never starts again (or is not a time trigger, or disabled).
std::optional<std::time_t> NextRunAfter(const TASK_TRIGGER& trigger, std::time_t after);

// True when a start of the trigger lies in (now - toleranceSeconds, now].
bool IsDue(const TASK_TRIGGER& trigger, std::time_t now, std::int64_t toleranceSeconds);

}  // namespace schedule
