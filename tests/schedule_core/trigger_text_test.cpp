// The one-line trigger descriptions.
#include "schedule/trigger_text.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace schedule {
namespace {

TASK_TRIGGER At(TASK_TRIGGER_TYPE type) {
  TASK_TRIGGER t;
  t.TriggerType = type;
  t.wBeginYear = 2026;
  t.wBeginMonth = 12;
  t.wBeginDay = 10;
  t.wStartHour = 9;
  t.wStartMinute = 5;
  return t;
}

TEST(TriggerText, DescribesEveryKind) {
  struct Case {
    TASK_TRIGGER trigger;
    const char* text;
  };
  std::vector<Case> cases;
  auto add = [&](TASK_TRIGGER_TYPE type, const std::function<void(TASK_TRIGGER&)>& edit, const char* text) {
    TASK_TRIGGER t = At(type);
    edit(t);
    cases.push_back({t, text});
  };
  const auto none = [](TASK_TRIGGER&) {};
  add(TASK_TIME_TRIGGER_ONCE, none, "At 09:05 on 10.12.2026");
  add(TASK_TIME_TRIGGER_DAILY, [](TASK_TRIGGER& t) { t.Type.Daily.DaysInterval = 1; },
      "At 09:05 every day, starting 10.12.2026");
  add(TASK_TIME_TRIGGER_DAILY, [](TASK_TRIGGER& t) { t.Type.Daily.DaysInterval = 3; },
      "At 09:05 every 3 days, starting 10.12.2026");
  add(TASK_TIME_TRIGGER_WEEKLY, [](TASK_TRIGGER& t) { t.Type.Weekly = {1, 0x2 | 0x8}; },
      "At 09:05 every Mon, Wed of every week, starting 10.12.2026");
  add(TASK_TIME_TRIGGER_WEEKLY, [](TASK_TRIGGER& t) { t.Type.Weekly = {2, 0x20}; },
      "At 09:05 every Fri of every 2 weeks, starting 10.12.2026");
  add(TASK_TIME_TRIGGER_WEEKLY, [](TASK_TRIGGER& t) { t.Type.Weekly = {1, 0x1 | 0x40}; },
      "At 09:05 every Sat, Sun of every week, starting 10.12.2026");
  add(TASK_TIME_TRIGGER_MONTHLYDATE, [](TASK_TRIGGER& t) { t.Type.MonthlyDate = {1u << 30, 0x1 | 0x2 | 0x800}; },
      "At 09:05 on day 31 of Jan, Feb, Dec, starting 10.12.2026");
  add(TASK_TIME_TRIGGER_MONTHLYDATE, [](TASK_TRIGGER& t) { t.Type.MonthlyDate = {0x1 | 0x4000, 0xFFF}; },
      "At 09:05 on day 1, 15 of every month, starting 10.12.2026");
  add(TASK_TIME_TRIGGER_MONTHLYDOW, [](TASK_TRIGGER& t) { t.Type.MonthlyDOW = {TASK_LAST_WEEK, 0x20, 0xFFF}; },
      "At 09:05 on the last Fri of every month, starting 10.12.2026");
  add(TASK_TIME_TRIGGER_MONTHLYDOW, [](TASK_TRIGGER& t) { t.Type.MonthlyDOW = {2, 0x2, 0x10}; },
      "At 09:05 on the second Mon of May, starting 10.12.2026");
  add(TASK_TIME_TRIGGER_DAILY,
      [](TASK_TRIGGER& t) {
        t.Type.Daily.DaysInterval = 1;
        t.rgFlags = TASK_TRIGGER_FLAG_HAS_END_DATE;
        t.wEndYear = 2026;
        t.wEndMonth = 12;
        t.wEndDay = 31;
      },
      "At 09:05 every day, starting 10.12.2026, until 31.12.2026");
  add(TASK_EVENT_TRIGGER_AT_SYSTEMSTART, none, "At system startup");
  add(TASK_EVENT_TRIGGER_AT_LOGON, none, "At logon");
  add(TASK_EVENT_TRIGGER_ON_IDLE, none, "When idle");
  for (const Case& c : cases) EXPECT_EQ(TriggerText(c.trigger), QString::fromUtf8(c.text));
}

}  // namespace
}  // namespace schedule
