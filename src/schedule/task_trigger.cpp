#include "schedule/task_trigger.h"

namespace schedule {

bool IsTimeTrigger(const TASK_TRIGGER& t) { return t.TriggerType <= TASK_TIME_TRIGGER_MONTHLYDOW; }

}  // namespace schedule
