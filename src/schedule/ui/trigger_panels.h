// The trigger details of the wizard, one panel per kind of schedule: one
// time, daily, weekly, monthly. The task properties' schedule page shows the
// same panels to edit a trigger.
#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QRadioButton>
#include <QSpinBox>
#include <QStackedWidget>
#include <QTimeEdit>
#include <array>

#include "schedule/task_trigger.h"

class TriggerPanels : public QStackedWidget {
  Q_OBJECT

 public:
  explicit TriggerPanels(QWidget* parent = nullptr);

  // One time 0, daily 1, weekly 2, monthly 3 and 4.
  void ShowPanelFor(int triggerType);
  // The type the controls describe for the shown kind: monthly is 4 with "T&he".
  int ChosenType(int baseType) const;
  // Type, start time and the 8-byte part; the begin date from the pickers of
  // the one-time and daily panels. Other fields stay as they are.
  void FillTrigger(schedule::TASK_TRIGGER& record, int type) const;
  // The controls from a stored record, and the panel of its type shown.
  void LoadTrigger(const schedule::TASK_TRIGGER& record);
  // Weekly needs a day, monthly a month (and with "T&he" a week and a day).
  bool CanGoOn(int type) const;

  QWidget *pnlOneTimeOnly, *pnlDaily, *pnlWeekly, *pnlMonthly;
  QTimeEdit *dtStartTimeOnce, *dtStartTimeDaily, *dtStartTimeWeekly, *dtStartTimeMonthly;
  QDateEdit *dtStartDateOnce, *dtStartDateDaily;
  QRadioButton *rbEveryDay, *rbEveryDays, *rbMonthlyDay, *rbMonthlyDow;
  QSpinBox *seIntervalDaily, *seWeekInterval, *seMonthDay;
  QLabel* lblDays;
  std::array<QCheckBox*, 7> dayBoxes{};     // Monday first, as shown
  std::array<QCheckBox*, 12> monthBoxes{};  // January first
  QComboBox *cbWhichWeek, *cbDaysOfTheWeek;

 signals:
  void changed();

 private:
  void UpdateEnabled();
  schedule::WORD TickedDays() const;
  schedule::WORD TickedMonths() const;
};
