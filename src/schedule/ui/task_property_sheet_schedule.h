// The "Schedule" page of the task property sheet: the task's triggers in a
// list, each edited with the wizard's trigger panels, plus an end date.
// Edits stay in the page's own copy until the sheet saves them.
#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QPushButton>
#include <QWidget>
#include <vector>

#include "schedule/task_trigger.h"

class TriggerPanels;

class TaskSchedulePage : public QWidget {
  Q_OBJECT

 public:
  explicit TaskSchedulePage(QWidget* parent = nullptr);

  void Load(const std::vector<schedule::TASK_TRIGGER>& triggers);
  // The edited triggers. False when a time trigger lacks a day or month;
  // that trigger is then shown.
  bool Collect(std::vector<schedule::TASK_TRIGGER>& triggers);
  bool Changed() const { return changed_; }
  void ClearChanged() { changed_ = false; }

  // The trigger type each line of cbKind stands for (monthly: its base 3).
  static int KindType(int kindIndex);
  static int KindIndex(int triggerType);

  QComboBox* cbTriggers;
  QPushButton *btnNew, *btnDelete;
  QComboBox* cbKind;
  TriggerPanels* panels;
  QCheckBox* chkEndDate;
  QDateEdit* dtEndDate;

 signals:
  void changed();

 private:
  void ShowTrigger(int index);
  void StoreShown();
  void RefreshTexts();
  void KindChosen();
  void ControlsEdited();
  void NewTrigger();
  void DeleteTrigger();
  void UpdateEnabled();

  std::vector<schedule::TASK_TRIGGER> triggers_;
  int current_ = -1;
  bool loading_ = false;
  bool changed_ = false;
};
