// Trigger records and local times for the due-check and store tests.
#pragma once

#include <ctime>

#include "schedule/task_trigger.h"

namespace zovedu_test {

inline std::time_t LocalTime(int year, int month, int day, int hour, int minute, int second = 0) {
  std::tm tm{};
  tm.tm_year = year - 1900;
  tm.tm_mon = month - 1;
  tm.tm_mday = day;
  tm.tm_hour = hour;
  tm.tm_min = minute;
  tm.tm_sec = second;
  tm.tm_isdst = -1;
  return std::mktime(&tm);
}

inline schedule::TASK_TRIGGER TriggerAt(schedule::TASK_TRIGGER_TYPE type, std::time_t start) {
  std::tm tm{};
  localtime_r(&start, &tm);
  schedule::TASK_TRIGGER t;
  t.TriggerType = type;
  t.wBeginYear = static_cast<schedule::WORD>(tm.tm_year + 1900);
  t.wBeginMonth = static_cast<schedule::WORD>(tm.tm_mon + 1);
  t.wBeginDay = static_cast<schedule::WORD>(tm.tm_mday);
  t.wStartHour = static_cast<schedule::WORD>(tm.tm_hour);
  t.wStartMinute = static_cast<schedule::WORD>(tm.tm_min);
  if (type == schedule::TASK_TIME_TRIGGER_DAILY) t.Type.Daily.DaysInterval = 1;
  if (type == schedule::TASK_TIME_TRIGGER_WEEKLY) {
    t.Type.Weekly.WeeksInterval = 1;
    t.Type.Weekly.rgfDaysOfTheWeek = static_cast<schedule::WORD>(1u << tm.tm_wday);
  }
  return t;
}

}  // namespace zovedu_test
