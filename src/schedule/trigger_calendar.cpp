#include "schedule/trigger_calendar.h"

#include <algorithm>
#include <cstdio>

namespace schedule {
namespace {

// ---- civil dates (proleptic Gregorian, no time zone) ----

struct Date {
  int y = 0, m = 0, d = 0;
};

std::int64_t DaysFromCivil(int y, int m, int d) {
  y -= m <= 2;
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}
std::int64_t DayNumber(const Date& dt) { return DaysFromCivil(dt.y, dt.m, dt.d); }

Date CivilFromDays(std::int64_t z) {
  z += 719468;
  const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  const int d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  const int m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  return {static_cast<int>(yoe + era * 400) + (m <= 2), m, d};
}

int WeekdaySun0(std::int64_t dayNumber) {  // 1970-01-01 was a Thursday
  return static_cast<int>(((dayNumber % 7) + 11) % 7);
}

int DaysInMonth(int y, int m) {
  static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
  return m == 2 && leap ? 29 : kDays[m - 1];
}

bool ValidDate(int y, int m, int d) { return y > 0 && m >= 1 && m <= 12 && d >= 1 && d <= DaysInMonth(y, m); }

// ---- local wall time to instant ----
// Only localtime_r here: unlike mktime it does not re-read the zone on
// every call; the public entry points call tzset() once instead.

// Seconds the local clock is ahead of UTC at instant t.
long UtcOffset(std::time_t t) {
  std::tm tm{};
  localtime_r(&t, &tm);
  return tm.tm_gmtoff;
}

// The local wall clock of an instant as seconds on a zone-free time line,
// so that wall times compare as numbers.
std::int64_t WallSeconds(std::time_t t) {
  std::tm tm{};
  localtime_r(&t, &tm);
  return DaysFromCivil(tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday) * 86400 + tm.tm_hour * 3600 +
         tm.tm_min * 60 + tm.tm_sec;
}

// The instant of a local wall time. A wall time that occurs twice (clocks
// set back) gives the first occurrence; one that does not occur (clocks set
// forward) gives the end of the gap.
std::optional<std::time_t> ResolveLocal(const Date& dt, int hour, int minute) {
  const std::int64_t wanted = DayNumber(dt) * 86400 + hour * 3600 + minute * 60;
  // Zone offsets stay within a day, so the instant lies within a day of the
  // wall time read as UTC; the offsets a day either side are the candidates.
  const std::time_t tries[2] = {static_cast<std::time_t>(wanted - UtcOffset(wanted - 86400)),
                                static_cast<std::time_t>(wanted - UtcOffset(wanted + 86400))};
  std::optional<std::time_t> exact;
  for (std::time_t t : tries)
    if (WallSeconds(t) == wanted && (!exact || t < *exact)) exact = t;
  if (exact) return exact;
  // In a gap: the two readings straddle the change; find the first instant
  // whose wall clock is at or past the wanted time.
  std::time_t lo = std::min(tries[0], tries[1]);
  std::time_t hi = std::max(tries[0], tries[1]);
  if (WallSeconds(lo) >= wanted) return lo;
  if (WallSeconds(hi) < wanted) return hi;
  while (hi - lo > 1) {  // invariant: wall(lo) < wanted <= wall(hi)
    const std::time_t mid = lo + (hi - lo) / 2;
    (WallSeconds(mid) >= wanted ? hi : lo) = mid;
  }
  return hi;
}

Date LocalDate(std::time_t t) {
  std::tm tm{};
  localtime_r(&t, &tm);
  return {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday};
}

// ---- which days a trigger starts on ----

Date BeginDate(const TASK_TRIGGER& t) { return {t.wBeginYear, t.wBeginMonth, t.wBeginDay}; }
Date EndDate(const TASK_TRIGGER& t) { return {t.wEndYear, t.wEndMonth, t.wEndDay}; }
bool HasEnd(const TASK_TRIGGER& t) { return (t.rgFlags & TASK_TRIGGER_FLAG_HAS_END_DATE) != 0; }

std::int64_t MondayOf(std::int64_t day) { return day - (WeekdaySun0(day) + 6) % 7; }

bool StartsOn(const TASK_TRIGGER& t, std::int64_t day, std::int64_t beginDay) {
  if (day < beginDay) return false;
  const Date dt = CivilFromDays(day);
  const int weekdayBit = 1 << WeekdaySun0(day);
  switch (t.TriggerType) {
    case TASK_TIME_TRIGGER_ONCE:
      return day == beginDay;
    case TASK_TIME_TRIGGER_DAILY: {
      const int every = std::max<int>(1, t.Type.Daily.DaysInterval);
      return (day - beginDay) % every == 0;
    }
    case TASK_TIME_TRIGGER_WEEKLY: {
      const int every = std::max<int>(1, t.Type.Weekly.WeeksInterval);
      const std::int64_t weeks = (MondayOf(day) - MondayOf(beginDay)) / 7;
      return (t.Type.Weekly.rgfDaysOfTheWeek & weekdayBit) && weeks % every == 0;
    }
    case TASK_TIME_TRIGGER_MONTHLYDATE:
      return (t.Type.MonthlyDate.rgfMonths >> (dt.m - 1) & 1) && (t.Type.MonthlyDate.rgfDays >> (dt.d - 1) & 1);
    case TASK_TIME_TRIGGER_MONTHLYDOW: {
      const MONTHLYDOW& w = t.Type.MonthlyDOW;
      if (!(w.rgfMonths >> (dt.m - 1) & 1) || !(w.rgfDaysOfTheWeek & weekdayBit)) return false;
      if (w.wWhichWeek == TASK_LAST_WEEK) return dt.d > DaysInMonth(dt.y, dt.m) - 7;
      return w.wWhichWeek >= 1 && w.wWhichWeek <= 4 && (dt.d - 1) / 7 + 1 == w.wWhichWeek;
    }
    default:
      return false;
  }
}

bool Runnable(const TASK_TRIGGER& t) {
  if (!IsTimeTrigger(t) || (t.rgFlags & TASK_TRIGGER_FLAG_DISABLED)) return false;
  if (!ValidDate(t.wBeginYear, t.wBeginMonth, t.wBeginDay)) return false;
  if (HasEnd(t) && !ValidDate(t.wEndYear, t.wEndMonth, t.wEndDay)) return false;
  return t.wStartHour < 24 && t.wStartMinute < 60;
}

// How far ahead NextRunAfter looks for a matching day (a 29 February
// comes only every four years, sometimes eight).
constexpr std::int64_t kSearchDays = 366 * 30;

// ---- calendar expressions ----

std::string Two(int v) {
  char buf[8];
  std::snprintf(buf, sizeof buf, "%02d", v);
  return buf;
}

// Set bits 0..count-1 of mask as a systemd list of 1-based numbers with
// ranges, e.g. "01,03..05,31"; "*" when every bit is set.
std::string NumberList(DWORD mask, int count) {
  if ((mask & ((1ull << count) - 1)) == (1ull << count) - 1) return "*";
  std::string out;
  for (int i = 0; i < count;) {
    if (!(mask >> i & 1)) {
      ++i;
      continue;
    }
    int j = i;
    while (j + 1 < count && (mask >> (j + 1) & 1)) ++j;
    if (!out.empty()) out += ',';
    out += Two(i + 1);
    if (j > i) out += ".." + Two(j + 1);
    i = j + 1;
  }
  return out;
}

std::string WeekdayList(WORD mask) {
  static const char* const kNames[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
  std::string out;
  for (int i = 0; i < 7; ++i)
    if (mask >> i & 1) out += std::string(out.empty() ? "" : ",") + kNames[i];
  return out;
}

// Date part of the expression, without the time; empty when it never matches.
std::string DatePattern(const TASK_TRIGGER& t) {
  switch (t.TriggerType) {
    case TASK_TIME_TRIGGER_ONCE:
      return std::to_string(t.wBeginYear) + "-" + Two(t.wBeginMonth) + "-" + Two(t.wBeginDay);
    case TASK_TIME_TRIGGER_DAILY:
      return "*-*-*";
    case TASK_TIME_TRIGGER_WEEKLY: {
      const WORD days = t.Type.Weekly.rgfDaysOfTheWeek & 0x7f;
      return days ? WeekdayList(days) + " *-*-*" : "";
    }
    case TASK_TIME_TRIGGER_MONTHLYDATE: {
      const DWORD days = t.Type.MonthlyDate.rgfDays & 0x7fffffff;
      const WORD months = t.Type.MonthlyDate.rgfMonths & 0xfff;
      if (!days || !months) return "";
      return "*-" + NumberList(months, 12) + "-" + NumberList(days, 31);
    }
    case TASK_TIME_TRIGGER_MONTHLYDOW: {
      const MONTHLYDOW& w = t.Type.MonthlyDOW;
      const WORD days = w.rgfDaysOfTheWeek & 0x7f;
      const WORD months = w.rgfMonths & 0xfff;
      if (!days || !months || w.wWhichWeek < 1 || w.wWhichWeek > TASK_LAST_WEEK) return "";
      const std::string head = WeekdayList(days) + " *-" + NumberList(months, 12);
      if (w.wWhichWeek == TASK_LAST_WEEK) return head + "~07/1";  // the last seven days
      const int first = (w.wWhichWeek - 1) * 7 + 1;
      return head + "-" + Two(first) + ".." + Two(first + 6);
    }
    default:
      return "";
  }
}

// How the trigger's start time falls on the days it could start on within
// the next years: the wall times at which starts on gap days really happen
// (02:30 on the day the clocks skip 02:00-03:00 runs at 03:00), and whether
// any day has the start time itself. systemd skips gap days, and refuses a
// calendar whose every match falls into a gap.
struct GapScan {
  std::vector<std::pair<int, int>> gapTimes;
  bool plainDay = false;
};

GapScan ScanClockChanges(const TASK_TRIGGER& t, std::int64_t fromDay) {
  GapScan scan;
  const std::int64_t beginDay = DayNumber(BeginDate(t));
  std::int64_t last = fromDay + 366 * 3;
  if (t.TriggerType == TASK_TIME_TRIGGER_ONCE) fromDay = last = beginDay;
  const std::pair<int, int> start{t.wStartHour, t.wStartMinute};
  for (std::int64_t day = fromDay; day <= last; ++day) {
    if (!StartsOn(t, day, beginDay)) continue;
    const std::optional<std::time_t> at = ResolveLocal(CivilFromDays(day), start.first, start.second);
    if (!at) continue;
    const std::int64_t wall = WallSeconds(*at) % 86400;
    const std::pair<int, int> hm{static_cast<int>(wall / 3600), static_cast<int>(wall / 60 % 60)};
    if (hm == start)
      scan.plainDay = true;
    else if (std::find(scan.gapTimes.begin(), scan.gapTimes.end(), hm) == scan.gapTimes.end())
      scan.gapTimes.push_back(hm);
  }
  return scan;
}

}  // namespace

CalendarSpec CalendarFor(const TASK_TRIGGER& trigger) { return CalendarFor(trigger, std::time(nullptr)); }

CalendarSpec CalendarFor(const TASK_TRIGGER& t, std::time_t now) {
  CalendarSpec spec;
  if (!Runnable(t)) return spec;
  tzset();
  const std::string date = DatePattern(t);
  if (date.empty()) {  // never starts: nothing to schedule, nothing to filter
    spec.exact = true;
    return spec;
  }
  auto at = [&](int h, int m) { return date + " " + Two(h) + ":" + Two(m) + ":00"; };

  const std::int64_t today = DayNumber(LocalDate(now));
  const GapScan scan = ScanClockChanges(t, std::max(today, DayNumber(BeginDate(t))));
  if (scan.plainDay || scan.gapTimes.empty()) spec.onCalendar.push_back(at(t.wStartHour, t.wStartMinute));
  for (const auto& [h, m] : scan.gapTimes) spec.onCalendar.push_back(at(h, m));

  spec.exact = scan.gapTimes.empty();
  if (t.TriggerType != TASK_TIME_TRIGGER_ONCE) {
    if (DayNumber(BeginDate(t)) > today) spec.exact = false;
    if (HasEnd(t)) spec.exact = false;
    if (t.TriggerType == TASK_TIME_TRIGGER_DAILY && t.Type.Daily.DaysInterval > 1) spec.exact = false;
    if (t.TriggerType == TASK_TIME_TRIGGER_WEEKLY && t.Type.Weekly.WeeksInterval > 1) spec.exact = false;
  } else if (HasEnd(t) && DayNumber(EndDate(t)) < DayNumber(BeginDate(t))) {
    spec.exact = false;
  }
  return spec;
}

std::optional<std::time_t> NextRunAfter(const TASK_TRIGGER& t, std::time_t after) {
  if (!Runnable(t)) return std::nullopt;
  tzset();
  const std::int64_t beginDay = DayNumber(BeginDate(t));
  const std::int64_t endDay = HasEnd(t) ? DayNumber(EndDate(t)) : INT64_MAX;
  // A start on day D happens on local date D; look one day back in case the
  // clocks were set back across midnight.
  const std::int64_t first = std::max(beginDay, DayNumber(LocalDate(after)) - 1);
  const std::int64_t last = std::min(endDay, first + kSearchDays);
  for (std::int64_t day = first; day <= last; ++day) {
    if (!StartsOn(t, day, beginDay)) continue;
    const std::optional<std::time_t> at = ResolveLocal(CivilFromDays(day), t.wStartHour, t.wStartMinute);
    if (at && *at > after) return at;
    if (t.TriggerType == TASK_TIME_TRIGGER_ONCE) break;
  }
  return std::nullopt;
}

bool IsDue(const TASK_TRIGGER& t, std::time_t now, std::int64_t toleranceSeconds) {
  if (toleranceSeconds <= 0) return false;
  const std::optional<std::time_t> next = NextRunAfter(t, static_cast<std::time_t>(now - toleranceSeconds));
  return next && *next <= now;
}

}  // namespace schedule
