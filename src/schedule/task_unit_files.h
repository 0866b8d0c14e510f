// The text of a task's two systemd user units: the service keeps every
// property of the task in X-Zovedu keys (read back by ParseTaskUnits) and
// starts the recording through systemd-run after the due check; the timer
// holds the calendar of the task's time triggers.
#pragma once

#include <ctime>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "schedule/task_record.h"

namespace schedule {

// A unit-name part for the task: ASCII slug of the name + "-" + 16 hex
// digits of its SHA-256 ("task-" + hex when the slug is empty).
std::string TaskId(const std::string& name);
// "zovedu-task-" + TaskId(name): the units' name without suffix.
std::string UnitBaseName(const std::string& name);

// C escapes for a double-quoted value: \\ \" \n \t \r and \xNN for other
// control bytes, DEL and bytes that are not part of valid UTF-8.
std::string CEscape(std::string_view text);
// The reverse; nullopt on an unknown or incomplete escape.
std::optional<std::string> CUnescape(std::string_view text);

// Blanks (space, tab) separate, double quotes group and are removed, no
// other character has a meaning.
std::vector<std::string> SplitCommandLine(std::string_view line);

// One argument of an Exec*= line, double-quoted, with specifiers ("%") and
// variables ("$") doubled so that systemd passes it unchanged.
std::string QuoteExecArgument(std::string_view argument);
// The first word of an Exec*= line (the program): as above, but "$" stays,
// since systemd does not expand variables there.
std::string QuoteExecPath(std::string_view path);

// ApplicationName followed by the split parameters.
std::vector<std::string> TaskCommand(const TaskRecord& record);

// The systemd-run call that starts the task's command as its own transient
// unit, with ZOVEDU_TASK=<unitBase> in its environment.
std::vector<std::string> SystemdRunArguments(const TaskRecord& record, const std::string& unitBase);

// The .service text; programPath is this program, asked "--task-due <unit>".
std::string ServiceUnitText(const TaskRecord& record, const std::string& programPath);

// OnCalendar= lines of every enabled time trigger; systemd refuses a timer
// without any, so the timer is only installed when this is not empty.
std::vector<std::string> TimerCalendarLines(const TaskRecord& record, std::time_t now);
// The .timer text.
std::string TimerUnitText(const TaskRecord& record, std::time_t now);
std::string TimerUnitText(const TaskRecord& record);

// True when the timer alone cannot decide a start: a calendar that fires
// more often than its trigger, a start-up trigger, or a network condition.
bool TaskNeedsDueCheck(const TaskRecord& record, std::time_t now);

// The task back from a .service text; nullopt when it is not one of ours or
// any X-Zovedu value is malformed.
std::optional<TaskRecord> ParseTaskUnits(const std::string& serviceText);

}  // namespace schedule
