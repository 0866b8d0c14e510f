// The trigger record of a scheduled task, in the 48-byte layout the task
// files and the rest of the scheduling code exchange.
#pragma once

#include <cstddef>
#include <cstdint>

namespace schedule {

using WORD = std::uint16_t;
using DWORD = std::uint32_t;

enum TASK_TRIGGER_TYPE : DWORD {
  TASK_TIME_TRIGGER_ONCE = 0,
  TASK_TIME_TRIGGER_DAILY = 1,
  TASK_TIME_TRIGGER_WEEKLY = 2,
  TASK_TIME_TRIGGER_MONTHLYDATE = 3,
  TASK_TIME_TRIGGER_MONTHLYDOW = 4,
  TASK_EVENT_TRIGGER_ON_IDLE = 5,
  TASK_EVENT_TRIGGER_AT_SYSTEMSTART = 6,
  TASK_EVENT_TRIGGER_AT_LOGON = 7,
};

constexpr DWORD TASK_TRIGGER_FLAG_HAS_END_DATE = 0x1;
constexpr DWORD TASK_TRIGGER_FLAG_DISABLED = 0x4;

// rgfDaysOfTheWeek bits: Sunday 0x1 ... Saturday 0x40.
// rgfMonths bits: January 0x1 ... December 0x800.
// rgfDays bits: day 1 is 0x1 ... day 31 is 0x40000000.
// wWhichWeek: 1..4 first to fourth, 5 the last week of the month.
constexpr WORD TASK_LAST_WEEK = 5;

struct DAILY {
  WORD DaysInterval;
};
struct WEEKLY {
  WORD WeeksInterval;
  WORD rgfDaysOfTheWeek;
};
struct MONTHLYDATE {
  DWORD rgfDays;
  WORD rgfMonths;
};
struct MONTHLYDOW {
  WORD wWhichWeek;
  WORD rgfDaysOfTheWeek;
  WORD rgfMonths;
};
union TRIGGER_TYPE_UNION {
  DAILY Daily;
  WEEKLY Weekly;
  MONTHLYDATE MonthlyDate;
  MONTHLYDOW MonthlyDOW;
};

// A new record is all zero except its size field.
struct TASK_TRIGGER {
  WORD cbTriggerSize = 48;
  WORD Reserved1 = 0;
  WORD wBeginYear = 0;
  WORD wBeginMonth = 0;
  WORD wBeginDay = 0;
  WORD wEndYear = 0;
  WORD wEndMonth = 0;
  WORD wEndDay = 0;
  WORD wStartHour = 0;
  WORD wStartMinute = 0;
  DWORD MinutesDuration = 0;
  DWORD MinutesInterval = 0;
  DWORD rgFlags = 0;
  TASK_TRIGGER_TYPE TriggerType = TASK_TIME_TRIGGER_ONCE;
  TRIGGER_TYPE_UNION Type = {};
  WORD Reserved2 = 0;
  WORD wRandomMinutesInterval = 0;
};

static_assert(sizeof(TRIGGER_TYPE_UNION) == 8);
static_assert(sizeof(TASK_TRIGGER) == 48);
static_assert(offsetof(TASK_TRIGGER, MinutesDuration) == 20);
static_assert(offsetof(TASK_TRIGGER, TriggerType) == 32);
static_assert(offsetof(TASK_TRIGGER, Type) == 36);
static_assert(offsetof(TASK_TRIGGER, wRandomMinutesInterval) == 46);

// The record's time-based kinds: types 0..4.
bool IsTimeTrigger(const TASK_TRIGGER& t);

}  // namespace schedule
