#include "schedule/ui/trigger_panels.h"

#include <QDate>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QTime>
#include <QVBoxLayout>
#include <cstring>

#include "services/accessible_names.h"
#include "services/named_control.h"

namespace {

QLabel* Caption(const char* text, QWidget* parent) { return new QLabel(QString::fromLatin1(text), parent); }

// A caption that names the field beside it; its mnemonic focuses the field.
QLabel* Caption(const char* text, QWidget* field, QWidget* parent) {
  QLabel* label = Caption(text, parent);
  accessible::Caption(label, field);
  return label;
}

QTimeEdit* TimePicker(const char* name, QWidget* parent) {
  auto* t = Named(new QTimeEdit(QTime::currentTime(), parent), name);
  t->setDisplayFormat(QStringLiteral("HH:mm"));
  return t;
}

QDateEdit* DatePicker(const char* name, QWidget* parent) {
  auto* d = Named(new QDateEdit(QDate::currentDate(), parent), name);
  d->setCalendarPopup(true);
  return d;
}

QSpinBox* Spin(const char* name, int low, int high, QWidget* parent) {
  auto* s = Named(new QSpinBox(parent), name);
  s->setRange(low, high);
  return s;
}

// Each panel opens with the same two lines.
QVBoxLayout* PanelStart(QWidget* panel, QTimeEdit* time) {
  auto* v = new QVBoxLayout(panel);
  v->addWidget(Caption("Select the time and day you want this task to start.", panel));
  auto* row = new QHBoxLayout;
  row->addWidget(Caption("Start &time:", time, panel));
  row->addWidget(time);
  row->addStretch();
  v->addLayout(row);
  return v;
}

// Day bits: Sunday 0x1 ... Saturday 0x40; the boxes are shown Monday first.
constexpr schedule::WORD kDayBits[7] = {0x2, 0x4, 0x8, 0x10, 0x20, 0x40, 0x1};
const char* const kDayCaptions[7] = {"&Monday", "Tuesda&y", "&Wednesday", "T&hursday",
                                     "&Friday", "&Saturday", "S&unday"};
const char* const kMonthCaptions[12] = {"&Jan", "&Feb", "&Mar", "A&pr", "Ma&y", "J&un",
                                        "Ju&l", "Au&g", "&Sep", "&Oct", "No&v", "D&ec"};

int LowestBit(unsigned value) {
  for (int i = 0; i < 32; ++i)
    if (value & (1u << i)) return i;
  return -1;
}

}  // namespace

TriggerPanels::TriggerPanels(QWidget* parent) : QStackedWidget(parent) {
  // One time.
  pnlOneTimeOnly = Named(new QWidget(this), "pnlOneTimeOnly");
  dtStartTimeOnce = TimePicker("dtStartTimeOnce", pnlOneTimeOnly);
  dtStartDateOnce = DatePicker("dtStartDateOnce", pnlOneTimeOnly);
  {
    QVBoxLayout* v = PanelStart(pnlOneTimeOnly, dtStartTimeOnce);
    auto* row = new QHBoxLayout;
    row->addWidget(Caption("Start &date:", dtStartDateOnce, pnlOneTimeOnly));
    row->addWidget(dtStartDateOnce);
    row->addStretch();
    v->addLayout(row);
    v->addStretch();
  }

  // Daily.
  pnlDaily = Named(new QWidget(this), "pnlDaily");
  dtStartTimeDaily = TimePicker("dtStartTimeDaily", pnlDaily);
  dtStartDateDaily = DatePicker("dtStartDateDaily", pnlDaily);
  rbEveryDay = Named(new QRadioButton(QStringLiteral("Every da&y"), pnlDaily), "rbEveryDay");
  rbEveryDays = Named(new QRadioButton(QStringLiteral("&Every"), pnlDaily), "rbEveryDays");
  seIntervalDaily = Spin("seIntervalDaily", 1, 255, pnlDaily);
  lblDays = Named(Caption("days", pnlDaily), "lblDays");
  rbEveryDay->setChecked(true);
  accessible::Name(seIntervalDaily, QStringLiteral("Every how many days"));
  {
    QVBoxLayout* v = PanelStart(pnlDaily, dtStartTimeDaily);
    v->addWidget(Caption("Perform this task:", pnlDaily));
    v->addWidget(rbEveryDay);
    auto* every = new QHBoxLayout;
    every->addWidget(rbEveryDays);
    every->addWidget(seIntervalDaily);
    every->addWidget(lblDays);
    every->addStretch();
    v->addLayout(every);
    auto* date = new QHBoxLayout;
    date->addWidget(Caption("Start &date:", dtStartDateDaily, pnlDaily));
    date->addWidget(dtStartDateDaily);
    date->addStretch();
    v->addLayout(date);
    v->addStretch();
  }

  // Weekly.
  pnlWeekly = Named(new QWidget(this), "pnlWeekly");
  dtStartTimeWeekly = TimePicker("dtStartTimeWeekly", pnlWeekly);
  seWeekInterval = Spin("seWeekInterval", 1, 52, pnlWeekly);
  accessible::Name(seWeekInterval, QStringLiteral("Every how many weeks"));
  {
    QVBoxLayout* v = PanelStart(pnlWeekly, dtStartTimeWeekly);
    auto* every = new QHBoxLayout;
    every->addWidget(Caption("Every", pnlWeekly));
    every->addWidget(seWeekInterval);
    every->addWidget(Caption("weeks", pnlWeekly));
    every->addStretch();
    v->addLayout(every);
    v->addWidget(Caption("Select the week day below:", pnlWeekly));
    auto* grid = new QGridLayout;
    for (int i = 0; i < 7; ++i) {
      dayBoxes[i] = new QCheckBox(QString::fromLatin1(kDayCaptions[i]), pnlWeekly);
      dayBoxes[i]->setObjectName(QStringLiteral("cbDay%1").arg(i));
      dayBoxes[i]->setProperty("tag", kDayBits[i]);
      grid->addWidget(dayBoxes[i], i / 4, i % 4);
    }
    v->addLayout(grid);
    v->addStretch();
  }

  // Monthly.
  pnlMonthly = Named(new QWidget(this), "pnlMonthly");
  dtStartTimeMonthly = TimePicker("dtStartTimeMonthly", pnlMonthly);
  rbMonthlyDay = Named(new QRadioButton(QStringLiteral("&Day"), pnlMonthly), "rbMonthlyDay");
  rbMonthlyDow = Named(new QRadioButton(QStringLiteral("T&he"), pnlMonthly), "rbMonthlyDow");
  seMonthDay = Spin("seMonthDay", 1, 31, pnlMonthly);
  cbWhichWeek = Named(new QComboBox(pnlMonthly), "cbWhichWeek");
  cbWhichWeek->addItems({"First", "Second", "Third", "Forth", "Last"});
  cbDaysOfTheWeek = Named(new QComboBox(pnlMonthly), "cbDaysOfTheWeek");
  cbDaysOfTheWeek->addItems({"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"});
  rbMonthlyDay->setChecked(true);
  accessible::Name(seMonthDay, QStringLiteral("Day of the month"));
  accessible::Name(cbWhichWeek, QStringLiteral("Which week of the month"));
  accessible::Name(cbDaysOfTheWeek, QStringLiteral("Day of the week"));
  seMonthDay->setValue(QDate::currentDate().day());
  {
    QVBoxLayout* v = PanelStart(pnlMonthly, dtStartTimeMonthly);
    auto* day = new QHBoxLayout;
    day->addWidget(rbMonthlyDay);
    day->addWidget(seMonthDay);
    day->addStretch();
    v->addLayout(day);
    auto* dow = new QHBoxLayout;
    dow->addWidget(rbMonthlyDow);
    dow->addWidget(cbWhichWeek);
    dow->addWidget(cbDaysOfTheWeek);
    dow->addStretch();
    v->addLayout(dow);
    v->addWidget(Caption("of the month(s):", pnlMonthly));
    auto* grid = new QGridLayout;
    for (int i = 0; i < 12; ++i) {
      monthBoxes[i] = new QCheckBox(QString::fromLatin1(kMonthCaptions[i]), pnlMonthly);
      monthBoxes[i]->setObjectName(QStringLiteral("cbMonth%1").arg(i + 1));
      monthBoxes[i]->setProperty("tag", 1 << i);
      grid->addWidget(monthBoxes[i], i / 6, i % 6);
    }
    v->addLayout(grid);
    v->addStretch();
  }

  for (QWidget* panel : {pnlOneTimeOnly, pnlDaily, pnlWeekly, pnlMonthly}) addWidget(panel);

  for (QRadioButton* r : {rbEveryDay, rbEveryDays, rbMonthlyDay, rbMonthlyDow})
    connect(r, &QRadioButton::toggled, this, [this] {
      UpdateEnabled();
      emit changed();
    });
  for (QCheckBox* b : dayBoxes) connect(b, &QCheckBox::toggled, this, &TriggerPanels::changed);
  for (QCheckBox* b : monthBoxes) connect(b, &QCheckBox::toggled, this, &TriggerPanels::changed);
  for (QComboBox* c : {cbWhichWeek, cbDaysOfTheWeek})
    connect(c, &QComboBox::currentIndexChanged, this, &TriggerPanels::changed);
  UpdateEnabled();
}

void TriggerPanels::UpdateEnabled() {
  seIntervalDaily->setEnabled(rbEveryDays->isChecked());
  lblDays->setEnabled(rbEveryDays->isChecked());
  seMonthDay->setEnabled(rbMonthlyDay->isChecked());
  cbWhichWeek->setEnabled(rbMonthlyDow->isChecked());
  cbDaysOfTheWeek->setEnabled(rbMonthlyDow->isChecked());
}

void TriggerPanels::ShowPanelFor(int triggerType) {
  switch (triggerType) {
    case schedule::TASK_TIME_TRIGGER_DAILY: setCurrentWidget(pnlDaily); break;
    case schedule::TASK_TIME_TRIGGER_WEEKLY: setCurrentWidget(pnlWeekly); break;
    case schedule::TASK_TIME_TRIGGER_MONTHLYDATE:
    case schedule::TASK_TIME_TRIGGER_MONTHLYDOW: setCurrentWidget(pnlMonthly); break;
    default: setCurrentWidget(pnlOneTimeOnly); break;
  }
}

int TriggerPanels::ChosenType(int baseType) const {
  if (baseType == schedule::TASK_TIME_TRIGGER_MONTHLYDATE || baseType == schedule::TASK_TIME_TRIGGER_MONTHLYDOW)
    return rbMonthlyDow->isChecked() ? schedule::TASK_TIME_TRIGGER_MONTHLYDOW : schedule::TASK_TIME_TRIGGER_MONTHLYDATE;
  return baseType;
}

schedule::WORD TriggerPanels::TickedDays() const {
  schedule::WORD days = 0;
  for (QCheckBox* b : dayBoxes)
    if (b->isChecked()) days |= static_cast<schedule::WORD>(b->property("tag").toUInt());
  return days;
}

schedule::WORD TriggerPanels::TickedMonths() const {
  schedule::WORD months = 0;
  for (QCheckBox* b : monthBoxes)
    if (b->isChecked()) months |= static_cast<schedule::WORD>(b->property("tag").toUInt());
  return months;
}

void TriggerPanels::FillTrigger(schedule::TASK_TRIGGER& record, int type) const {
  using namespace schedule;
  record.TriggerType = static_cast<TASK_TRIGGER_TYPE>(type);
  TRIGGER_TYPE_UNION part;
  std::memset(static_cast<void*>(&part), 0, sizeof part);
  const auto setStart = [&record](const QTime& t) {
    record.wStartHour = static_cast<WORD>(t.hour());
    record.wStartMinute = static_cast<WORD>(t.minute());
  };
  const auto setBegin = [&record](const QDate& d) {
    record.wBeginYear = static_cast<WORD>(d.year());
    record.wBeginMonth = static_cast<WORD>(d.month());
    record.wBeginDay = static_cast<WORD>(d.day());
  };
  switch (type) {
    case TASK_TIME_TRIGGER_ONCE:
      setStart(dtStartTimeOnce->time());
      setBegin(dtStartDateOnce->date());
      break;
    case TASK_TIME_TRIGGER_DAILY:
      setStart(dtStartTimeDaily->time());
      setBegin(dtStartDateDaily->date());
      part.Daily.DaysInterval = rbEveryDay->isChecked() ? 1 : static_cast<WORD>(seIntervalDaily->value());
      break;
    case TASK_TIME_TRIGGER_WEEKLY:
      setStart(dtStartTimeWeekly->time());
      part.Weekly.WeeksInterval = static_cast<WORD>(seWeekInterval->value());
      part.Weekly.rgfDaysOfTheWeek = TickedDays();
      break;
    case TASK_TIME_TRIGGER_MONTHLYDATE:
      setStart(dtStartTimeMonthly->time());
      part.MonthlyDate.rgfDays = 1u << (seMonthDay->value() - 1);
      part.MonthlyDate.rgfMonths = TickedMonths();
      break;
    case TASK_TIME_TRIGGER_MONTHLYDOW:
      setStart(dtStartTimeMonthly->time());
      part.MonthlyDOW.wWhichWeek = static_cast<WORD>(cbWhichWeek->currentIndex() + 1);
      part.MonthlyDOW.rgfDaysOfTheWeek =
          cbDaysOfTheWeek->currentIndex() < 0 ? 0 : static_cast<WORD>(1u << cbDaysOfTheWeek->currentIndex());
      part.MonthlyDOW.rgfMonths = TickedMonths();
      break;
    default:
      return;  // event triggers have no details
  }
  std::memcpy(static_cast<void*>(&record.Type), &part, sizeof part);
}

void TriggerPanels::LoadTrigger(const schedule::TASK_TRIGGER& record) {
  using namespace schedule;
  const QTime start(record.wStartHour % 24, record.wStartMinute % 60);
  const QDate begin(record.wBeginYear, record.wBeginMonth, record.wBeginDay);
  for (QTimeEdit* t : {dtStartTimeOnce, dtStartTimeDaily, dtStartTimeWeekly, dtStartTimeMonthly}) t->setTime(start);
  if (begin.isValid())
    for (QDateEdit* d : {dtStartDateOnce, dtStartDateDaily}) d->setDate(begin);
  switch (record.TriggerType) {
    case TASK_TIME_TRIGGER_DAILY: {
      const int interval = record.Type.Daily.DaysInterval;
      (interval <= 1 ? rbEveryDay : rbEveryDays)->setChecked(true);
      seIntervalDaily->setValue(interval < 1 ? 1 : interval);
      break;
    }
    case TASK_TIME_TRIGGER_WEEKLY:
      seWeekInterval->setValue(record.Type.Weekly.WeeksInterval);
      for (QCheckBox* b : dayBoxes) b->setChecked(record.Type.Weekly.rgfDaysOfTheWeek & b->property("tag").toUInt());
      break;
    case TASK_TIME_TRIGGER_MONTHLYDATE: {
      rbMonthlyDay->setChecked(true);
      accessible::Name(seMonthDay, QStringLiteral("Day of the month"));
      accessible::Name(cbWhichWeek, QStringLiteral("Which week of the month"));
      accessible::Name(cbDaysOfTheWeek, QStringLiteral("Day of the week"));
      const int day = LowestBit(record.Type.MonthlyDate.rgfDays);
      seMonthDay->setValue(day < 0 ? 1 : day + 1);
      for (QCheckBox* b : monthBoxes) b->setChecked(record.Type.MonthlyDate.rgfMonths & b->property("tag").toUInt());
      break;
    }
    case TASK_TIME_TRIGGER_MONTHLYDOW:
      rbMonthlyDow->setChecked(true);
      cbWhichWeek->setCurrentIndex(static_cast<int>(record.Type.MonthlyDOW.wWhichWeek) - 1);
      cbDaysOfTheWeek->setCurrentIndex(LowestBit(record.Type.MonthlyDOW.rgfDaysOfTheWeek));
      for (QCheckBox* b : monthBoxes) b->setChecked(record.Type.MonthlyDOW.rgfMonths & b->property("tag").toUInt());
      break;
    default:
      break;
  }
  ShowPanelFor(record.TriggerType);
  UpdateEnabled();
}

bool TriggerPanels::CanGoOn(int type) const {
  switch (type) {
    case schedule::TASK_TIME_TRIGGER_WEEKLY: return TickedDays() != 0;
    case schedule::TASK_TIME_TRIGGER_MONTHLYDATE: return TickedMonths() != 0;
    case schedule::TASK_TIME_TRIGGER_MONTHLYDOW:
      return TickedMonths() != 0 && cbWhichWeek->currentIndex() >= 0 && cbDaysOfTheWeek->currentIndex() >= 0;
    default: return true;
  }
}
