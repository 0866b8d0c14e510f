#include "schedule/trigger_text.h"

#include <QStringList>

namespace schedule {
namespace {

QString DateText(int year, int month, int day) { return QString::asprintf("%02d.%02d.%04d", day, month, year); }

// Week days Monday first; bit 0x1 is Sunday.
QString WeekDays(WORD bits) {
  static const char* const kNames[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
  QStringList names;
  for (int i = 1; i <= 7; ++i)
    if (bits & (1u << (i % 7))) names << QString::fromLatin1(kNames[i % 7]);
  return names.join(QStringLiteral(", "));
}

QString Months(WORD bits) {
  static const char* const kNames[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                       "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  if ((bits & 0xFFF) == 0xFFF) return QStringLiteral("every month");
  QStringList names;
  for (int i = 0; i < 12; ++i)
    if (bits & (1u << i)) names << QString::fromLatin1(kNames[i]);
  return names.join(QStringLiteral(", "));
}

QString MonthDays(DWORD bits) {
  QStringList days;
  for (int i = 0; i < 31; ++i)
    if (bits & (1u << i)) days << QString::number(i + 1);
  return days.join(QStringLiteral(", "));
}

QString WhichWeek(WORD week) {
  static const char* const kNames[] = {"first", "second", "third", "fourth", "last"};
  return week >= 1 && week <= 5 ? QString::fromLatin1(kNames[week - 1]) : QStringLiteral("last");
}

// Every N, with "day" or "week" as the unit.
QString Every(WORD interval, const char* unit) {
  if (interval <= 1) return QStringLiteral("every %1").arg(QString::fromLatin1(unit));
  return QStringLiteral("every %1 %2s").arg(interval).arg(QString::fromLatin1(unit));
}

}  // namespace

QString TriggerText(const TASK_TRIGGER& t) {
  const QString at = QString::asprintf("At %02d:%02d ", t.wStartHour, t.wStartMinute);
  const QString starting =
      QStringLiteral(", starting ") + DateText(t.wBeginYear, t.wBeginMonth, t.wBeginDay);
  QString text;
  switch (t.TriggerType) {
    case TASK_TIME_TRIGGER_ONCE:
      return at + QStringLiteral("on ") + DateText(t.wBeginYear, t.wBeginMonth, t.wBeginDay);
    case TASK_TIME_TRIGGER_DAILY:
      text = at + Every(t.Type.Daily.DaysInterval, "day") + starting;
      break;
    case TASK_TIME_TRIGGER_WEEKLY:
      text = at + QStringLiteral("every ") + WeekDays(t.Type.Weekly.rgfDaysOfTheWeek) + QStringLiteral(" of ") +
             Every(t.Type.Weekly.WeeksInterval, "week") + starting;
      break;
    case TASK_TIME_TRIGGER_MONTHLYDATE:
      text = at + QStringLiteral("on day ") + MonthDays(t.Type.MonthlyDate.rgfDays) + QStringLiteral(" of ") +
             Months(t.Type.MonthlyDate.rgfMonths) + starting;
      break;
    case TASK_TIME_TRIGGER_MONTHLYDOW:
      text = at + QStringLiteral("on the ") + WhichWeek(t.Type.MonthlyDOW.wWhichWeek) + QLatin1Char(' ') +
             WeekDays(t.Type.MonthlyDOW.rgfDaysOfTheWeek) + QStringLiteral(" of ") +
             Months(t.Type.MonthlyDOW.rgfMonths) + starting;
      break;
    case TASK_EVENT_TRIGGER_ON_IDLE:
      return QStringLiteral("When idle");
    case TASK_EVENT_TRIGGER_AT_SYSTEMSTART:
      return QStringLiteral("At system startup");
    case TASK_EVENT_TRIGGER_AT_LOGON:
      return QStringLiteral("At logon");
    default:
      return QStringLiteral("Unknown trigger");
  }
  if (t.rgFlags & TASK_TRIGGER_FLAG_HAS_END_DATE)
    text += QStringLiteral(", until ") + DateText(t.wEndYear, t.wEndMonth, t.wEndDay);
  return text;
}

}  // namespace schedule
