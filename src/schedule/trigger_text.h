// The one-line English description of a trigger record the task list and
// the dialogs show, e.g. "At 09:05 every day, starting 10.12.2026".
#pragma once

#include <QString>

#include "schedule/task_trigger.h"

namespace schedule {

QString TriggerText(const TASK_TRIGGER& trigger);

}  // namespace schedule
