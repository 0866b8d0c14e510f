// Trigger arithmetic checked against systemd's own calendar evaluation, in
// a zone with summer time.
#include "schedule/trigger_calendar.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <set>
#include <sstream>

#include <unistd.h>

#include "support/program_run.h"

namespace schedule {
namespace {

// Switches the process to Europe/Berlin for one test, then back.
class TriggerCalendarBerlin : public ::testing::Test {
 protected:
  void SetUp() override {
    if (const char* old = std::getenv("TZ")) saved_ = old;
    setenv("TZ", "Europe/Berlin", 1);
    tzset();
  }
  void TearDown() override {
    if (saved_)
      setenv("TZ", saved_->c_str(), 1);
    else
      unsetenv("TZ");
    tzset();
  }
  std::optional<std::string> saved_;
};

std::time_t Utc(int y, int mo, int d, int h = 0, int mi = 0) {
  std::tm tm{};
  tm.tm_year = y - 1900;
  tm.tm_mon = mo - 1;
  tm.tm_mday = d;
  tm.tm_hour = h;
  tm.tm_min = mi;
  return timegm(&tm);
}

std::string Show(std::time_t t) {
  std::tm tm{};
  localtime_r(&t, &tm);
  char buf[40];
  std::strftime(buf, sizeof buf, "%a %F %T %Z", &tm);
  return buf;
}

const char* const kSystemdAnalyze = "/usr/bin/systemd-analyze";

// Starts that systemd computes for an expression, from `base` on.
std::vector<std::time_t> SystemdRuns(const std::string& expr, std::time_t base, int iterations) {
  const auto r = zovedu_test::RunProgram(
      kSystemdAnalyze,
      {"calendar", "--iterations=" + std::to_string(iterations), "--base-time=@" + std::to_string(base), expr},
      "/dev/null", {{"TZ", "Europe/Berlin"}, {"LC_ALL", "C"}});
  EXPECT_TRUE(r.ended && r.exitCode == 0) << expr << "\n" << r.describe();
  std::vector<std::time_t> runs;
  std::istringstream lines(r.out);
  for (std::string line; std::getline(lines, line);) {
    const auto at = line.find("(in UTC): ");
    if (at == std::string::npos) continue;
    std::tm tm{};
    // "(in UTC): Fri 2027-01-08 08:30:00 UTC"
    if (!strptime(line.c_str() + at + 10 + 4, "%Y-%m-%d %H:%M:%S", &tm)) {
      ADD_FAILURE() << "unreadable line: " << line;
      continue;
    }
    runs.push_back(timegm(&tm));
  }
  return runs;
}

std::vector<std::time_t> OurRuns(const TASK_TRIGGER& t, std::time_t base, std::size_t count,
                                 std::time_t until = INT64_MAX) {
  std::vector<std::time_t> runs;
  std::time_t at = base;
  while (runs.size() < count) {
    const auto next = NextRunAfter(t, at);
    if (!next || *next > until) break;
    runs.push_back(at = *next);
  }
  return runs;
}

std::vector<std::string> Shown(const std::vector<std::time_t>& ts) {
  std::vector<std::string> out;
  for (std::time_t t : ts) out.push_back(Show(t));
  return out;
}

// ---- trigger builders (begin 2027-01-05 unless changed) ----

TASK_TRIGGER Base(TASK_TRIGGER_TYPE type, int h, int mi) {
  TASK_TRIGGER t;
  t.TriggerType = type;
  t.wBeginYear = 2027;
  t.wBeginMonth = 1;
  t.wBeginDay = 5;
  t.wStartHour = static_cast<WORD>(h);
  t.wStartMinute = static_cast<WORD>(mi);
  return t;
}
TASK_TRIGGER Once(int y, int mo, int d, int h, int mi) {
  TASK_TRIGGER t = Base(TASK_TIME_TRIGGER_ONCE, h, mi);
  t.wBeginYear = static_cast<WORD>(y);
  t.wBeginMonth = static_cast<WORD>(mo);
  t.wBeginDay = static_cast<WORD>(d);
  return t;
}
TASK_TRIGGER Daily(int every, int h, int mi) {
  TASK_TRIGGER t = Base(TASK_TIME_TRIGGER_DAILY, h, mi);
  t.Type.Daily.DaysInterval = static_cast<WORD>(every);
  return t;
}
TASK_TRIGGER Weekly(int every, WORD days, int h, int mi) {
  TASK_TRIGGER t = Base(TASK_TIME_TRIGGER_WEEKLY, h, mi);
  t.Type.Weekly = {static_cast<WORD>(every), days};
  return t;
}
TASK_TRIGGER MonthlyDate(DWORD days, WORD months, int h, int mi) {
  TASK_TRIGGER t = Base(TASK_TIME_TRIGGER_MONTHLYDATE, h, mi);
  t.Type.MonthlyDate = {days, months};
  return t;
}
TASK_TRIGGER MonthlyDow(WORD week, WORD days, WORD months, int h, int mi) {
  TASK_TRIGGER t = Base(TASK_TIME_TRIGGER_MONTHLYDOW, h, mi);
  t.Type.MonthlyDOW = {week, days, months};
  return t;
}
TASK_TRIGGER Begin(TASK_TRIGGER t, int y, int mo, int d) {
  t.wBeginYear = static_cast<WORD>(y);
  t.wBeginMonth = static_cast<WORD>(mo);
  t.wBeginDay = static_cast<WORD>(d);
  return t;
}
TASK_TRIGGER End(TASK_TRIGGER t, int y, int mo, int d) {
  t.rgFlags |= TASK_TRIGGER_FLAG_HAS_END_DATE;
  t.wEndYear = static_cast<WORD>(y);
  t.wEndMonth = static_cast<WORD>(mo);
  t.wEndDay = static_cast<WORD>(d);
  return t;
}

constexpr WORD kSun = 0x1, kMon = 0x2, kTue = 0x4, kWed = 0x8, kFri = 0x20, kSat = 0x40;
constexpr WORD kAllMonths = 0xfff;
constexpr DWORD Day(int d) { return 1u << (d - 1); }

struct Row {
  const char* name;
  TASK_TRIGGER trigger;
  std::time_t base;
};

const std::time_t kJan5 = Utc(2027, 1, 4, 23);  // 2027-01-05 00:00 CET

TEST_F(TriggerCalendarBerlin, ExactCalendarsGiveTheSameRunsAsOurArithmetic) {
  if (access(kSystemdAnalyze, X_OK) != 0) GTEST_SKIP() << "no systemd-analyze";
  const Row rows[] = {
      {"once", Once(2027, 6, 1, 9, 30), kJan5},
      {"daily", Daily(1, 9, 30), kJan5},
      {"daily at midnight", Daily(1, 0, 0), kJan5},
      {"weekly Sun Mon", Weekly(1, kSun | kMon, 7, 5), kJan5},
      {"days 1,3-5,31 all months", MonthlyDate(Day(1) | Day(3) | Day(4) | Day(5) | Day(31), kAllMonths, 9, 30), kJan5},
      {"day 31 in Jan Apr Jun", MonthlyDate(Day(31), 0x1 | 0x8 | 0x20, 18, 0), kJan5},
      {"Feb 30", MonthlyDate(Day(30), 0x2, 10, 0), kJan5},
      {"first Friday", MonthlyDow(1, kFri, kAllMonths, 9, 30), kJan5},
      {"third Wed, Jan and Mar-Dec", MonthlyDow(3, kWed, kAllMonths & ~0x2, 20, 15), kJan5},
      {"fourth Sat Sun", MonthlyDow(4, kSat | kSun, kAllMonths, 11, 0), kJan5},
      {"last Friday", MonthlyDow(TASK_LAST_WEEK, kFri, kAllMonths, 9, 30), kJan5},
      {"last Tue in Feb", MonthlyDow(TASK_LAST_WEEK, kTue, 0x2, 12, 0), kJan5},
      {"repeated hour, once", Once(2027, 10, 31, 2, 30), kJan5},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    const CalendarSpec spec = CalendarFor(row.trigger, row.base);
    ASSERT_TRUE(spec.exact);
    ASSERT_EQ(spec.onCalendar.size(), 1u);
    SCOPED_TRACE(spec.onCalendar[0]);
    const auto theirs = SystemdRuns(spec.onCalendar[0], row.base, 20);
    EXPECT_EQ(Shown(OurRuns(row.trigger, row.base, 20)), Shown(theirs));
  }
}

// A calendar that fires more often plus the due check at each firing gives
// exactly our runs.
TEST_F(TriggerCalendarBerlin, SupersetCalendarFilteredByDueCheckGivesOurRuns) {
  if (access(kSystemdAnalyze, X_OK) != 0) GTEST_SKIP() << "no systemd-analyze";
  const Row rows[] = {
      {"every 3 days", Daily(3, 9, 30), kJan5},
      {"every 2 weeks Tue Sun, begun on a Thursday", Begin(Weekly(2, kTue | kSun, 8, 0), 2027, 1, 7), kJan5},
      {"every 5 weeks Mon", Weekly(5, kMon, 6, 45), kJan5},
      {"begin date ahead", Begin(Daily(1, 9, 30), 2027, 3, 1), kJan5},
      {"begin date ahead, monthly", Begin(MonthlyDate(Day(15), kAllMonths, 9, 30), 2027, 4, 16), kJan5},
      {"end date", End(Weekly(1, kMon | kFri, 7, 0), 2027, 2, 19), kJan5},
      {"daily 02:30 over spring forward", Daily(1, 2, 30), Utc(2027, 3, 20)},
      {"daily 02:30 over fall back", Daily(1, 2, 30), Utc(2027, 10, 20)},
      {"Sundays 02:15 over spring forward", Weekly(1, kSun, 2, 15), Utc(2027, 3, 1)},
      {"once in the spring gap", Once(2027, 3, 28, 2, 30), Utc(2027, 3, 1)},
      {"last Sunday 02:00 of March", MonthlyDow(TASK_LAST_WEEK, kSun, 0x4, 2, 0), Utc(2027, 1, 1)},
  };
  constexpr int kIterations = 120;
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    const CalendarSpec spec = CalendarFor(row.trigger, row.base);
    ASSERT_FALSE(spec.exact);
    ASSERT_FALSE(spec.onCalendar.empty());
    std::set<std::time_t> fired;
    std::time_t until = INT64_MAX;  // runs are complete only up to the shortest list's end
    for (const std::string& expr : spec.onCalendar) {
      SCOPED_TRACE(expr);
      const auto runs = SystemdRuns(expr, row.base, kIterations);
      fired.insert(runs.begin(), runs.end());
      if (runs.size() == kIterations) until = std::min(until, runs.back());
    }
    std::vector<std::time_t> due;
    for (std::time_t t : fired)
      if (t <= until && IsDue(row.trigger, t, 60)) due.push_back(t);
    const auto ours = OurRuns(row.trigger, row.base, kIterations, until);
    EXPECT_FALSE(ours.empty());
    EXPECT_EQ(Shown(ours), Shown(due));
  }
}

TEST_F(TriggerCalendarBerlin, NextRunAfterHandlesClockChangesAndShortMonths) {
  struct Case {
    const char* name;
    TASK_TRIGGER trigger;
    std::time_t after;
    std::optional<std::time_t> expected;
  };
  const Case cases[] = {
      {"02:30 in the spring gap runs at 03:00 CEST", Once(2027, 3, 28, 2, 30), Utc(2027, 3, 1), Utc(2027, 3, 28, 1)},
      {"daily 02:30 on the gap day", Daily(1, 2, 30), Utc(2027, 3, 27, 12), Utc(2027, 3, 28, 1)},
      {"repeated 02:30 runs at the first one", Daily(1, 2, 30), Utc(2027, 10, 30, 12), Utc(2027, 10, 31, 0, 30)},
      {"and not at the second", Daily(1, 2, 30), Utc(2027, 10, 31, 0, 30), Utc(2027, 11, 1, 1, 30)},
      {"day 31 skips April", MonthlyDate(Day(31), kAllMonths, 9, 0), Utc(2027, 4, 1), Utc(2027, 5, 31, 7)},
      {"Feb 30 never", MonthlyDate(Day(30), 0x2, 9, 0), Utc(2027, 1, 1), std::nullopt},
      {"last Friday of Feb 2027", MonthlyDow(TASK_LAST_WEEK, kFri, 0x2, 9, 0), Utc(2027, 1, 1), Utc(2027, 2, 26, 8)},
      {"first Friday is Jan 1 2027", Begin(MonthlyDow(1, kFri, 0x1, 9, 0), 2026, 12, 1), Utc(2026, 12, 1), Utc(2027, 1, 1, 8)},
      {"past once", Once(2027, 1, 5, 9, 30), Utc(2027, 1, 5, 8, 30), std::nullopt},
      {"once, strictly after", Once(2027, 1, 5, 9, 30), Utc(2027, 1, 5, 8, 29), Utc(2027, 1, 5, 8, 30)},
      {"end date is the last day", End(Daily(1, 9, 30), 2027, 1, 7), Utc(2027, 1, 6, 12), Utc(2027, 1, 7, 8, 30)},
      {"end date passed", End(Daily(1, 9, 30), 2027, 1, 7), Utc(2027, 1, 7, 12), std::nullopt},
      {"begin date ahead", Begin(Daily(1, 9, 30), 2027, 3, 1), Utc(2027, 1, 5), Utc(2027, 3, 1, 8, 30)},
      {"every 3 days counts from begin", Daily(3, 9, 30), Utc(2027, 1, 5, 12), Utc(2027, 1, 8, 8, 30)},
      {"every 2 weeks counts from begin's Monday", Begin(Weekly(2, kMon, 9, 30), 2027, 1, 10), Utc(2027, 1, 10),
       Utc(2027, 1, 18, 8, 30)},
      {"disabled", [] { TASK_TRIGGER t = Daily(1, 9, 30); t.rgFlags |= TASK_TRIGGER_FLAG_DISABLED; return t; }(),
       Utc(2027, 1, 5), std::nullopt},
      {"idle", Base(TASK_EVENT_TRIGGER_ON_IDLE, 9, 30), Utc(2027, 1, 5), std::nullopt},
      {"system start", Base(TASK_EVENT_TRIGGER_AT_SYSTEMSTART, 9, 30), Utc(2027, 1, 5), std::nullopt},
      {"logon", Base(TASK_EVENT_TRIGGER_AT_LOGON, 9, 30), Utc(2027, 1, 5), std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const auto next = NextRunAfter(c.trigger, c.after);
    ASSERT_EQ(next.has_value(), c.expected.has_value()) << (next ? Show(*next) : "none");
    if (next) {
      EXPECT_EQ(Show(*next), Show(*c.expected));
    }
  }
}

TEST_F(TriggerCalendarBerlin, IsDueAcceptsOnlyStartsWithinTheTolerance) {
  const TASK_TRIGGER t = Daily(1, 9, 30);
  const std::time_t start = Utc(2027, 1, 6, 8, 30);
  EXPECT_TRUE(IsDue(t, start, 60));
  EXPECT_TRUE(IsDue(t, start + 59, 60));
  EXPECT_FALSE(IsDue(t, start + 60, 60));
  EXPECT_FALSE(IsDue(t, start - 1, 60));
  EXPECT_FALSE(IsDue(t, start, 0));
}

TEST_F(TriggerCalendarBerlin, CalendarExpressions) {
  const struct {
    TASK_TRIGGER trigger;
    std::vector<std::string> expected;
  } cases[] = {
      {Once(2027, 6, 1, 9, 5), {"2027-06-01 09:05:00"}},
      {Daily(1, 9, 30), {"*-*-* 09:30:00"}},
      {Weekly(1, kSun | kMon, 21, 0), {"Sun,Mon *-*-* 21:00:00"}},
      {MonthlyDate(Day(1) | Day(3) | Day(4) | Day(5) | Day(31), 0x1 | 0x4 | 0x8 | 0x10, 9, 30),
       {"*-01,03..05-01,03..05,31 09:30:00"}},
      {MonthlyDow(1, kFri, kAllMonths, 9, 30), {"Fri *-*-01..07 09:30:00"}},
      {MonthlyDow(TASK_LAST_WEEK, kFri, 0x800, 9, 30), {"Fri *-12~07/1 09:30:00"}},
      {Once(2027, 3, 28, 2, 30), {"2027-03-28 03:00:00"}},
      {Daily(1, 2, 30), {"*-*-* 02:30:00", "*-*-* 03:00:00"}},
      {Base(TASK_EVENT_TRIGGER_AT_LOGON, 9, 30), {}},
  };
  for (const auto& c : cases) EXPECT_EQ(CalendarFor(c.trigger, kJan5).onCalendar, c.expected);
  EXPECT_FALSE(CalendarFor(Base(TASK_EVENT_TRIGGER_AT_SYSTEMSTART, 0, 0), kJan5).exact);
}

}  // namespace
}  // namespace schedule
