#include "schedule/task_scheduler.h"

namespace {

// Stored flag values in TTaskFlag order.
constexpr schedule::DWORD kFlagValues[kTaskFlagCount] = {
    schedule::TASK_FLAG_INTERACTIVE,
    schedule::TASK_FLAG_DELETE_WHEN_DONE,
    schedule::TASK_FLAG_DISABLED,
    schedule::TASK_FLAG_HIDDEN,
    schedule::TASK_FLAG_RUN_ONLY_IF_LOGGED_ON,
    schedule::TASK_FLAG_START_ONLY_IF_IDLE,
    schedule::TASK_FLAG_SYSTEM_REQUIRED,
    schedule::TASK_FLAG_KILL_ON_IDLE_END,
    schedule::TASK_FLAG_RESTART_ON_IDLE_RESUME,
    schedule::TASK_FLAG_DONT_START_IF_ON_BATTERIES,
    schedule::TASK_FLAG_KILL_IF_GOING_ON_BATTERIES,
    schedule::TASK_FLAG_RUN_IF_CONNECTED_TO_INTERNET,
};

std::uint16_t Bit(TTaskFlag flag) { return static_cast<std::uint16_t>(1u << static_cast<int>(flag)); }

}  // namespace

TTaskFlags::TTaskFlags(std::initializer_list<TTaskFlag> flags) {
  for (TTaskFlag flag : flags) include(flag);
}

TTaskFlags TTaskFlags::FromWord(schedule::DWORD word) {
  TTaskFlags flags;
  for (int i = 0; i < kTaskFlagCount; ++i)
    if (word & kFlagValues[i]) flags.include(static_cast<TTaskFlag>(i));
  return flags;
}

schedule::DWORD TTaskFlags::ToWord() const {
  schedule::DWORD word = 0;
  for (int i = 0; i < kTaskFlagCount; ++i)
    if (contains(static_cast<TTaskFlag>(i))) word |= kFlagValues[i];
  return word;
}

schedule::DWORD TTaskFlags::FlagValue(TTaskFlag flag) { return kFlagValues[static_cast<int>(flag)]; }

bool TTaskFlags::contains(TTaskFlag flag) const { return (members_ & Bit(flag)) != 0; }
void TTaskFlags::include(TTaskFlag flag) { members_ |= Bit(flag); }
void TTaskFlags::exclude(TTaskFlag flag) { members_ &= static_cast<std::uint16_t>(~Bit(flag)); }
