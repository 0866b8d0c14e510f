// The program's own properties dialog for one task: application, parameters,
// working folder, creator, schedule overview, flags, idle time, priority,
// comment and data, on four pages.
#pragma once

#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>

class TTaskScheduler;
class TTaskItem;
class TTaskPropertiesDialog;

class TPropsDlg : public QDialog {
  Q_OBJECT

 public:
  TPropsDlg(TTaskScheduler& scheduler, QWidget* parent = nullptr);

  // The task must stay activated while the dialog shows it.
  void LoadFromTask(TTaskItem* task);
  // The controls into the task. False (nothing written) when the data box
  // holds more than the task can keep.
  bool SaveToTask();
  void UpdateIcon();
  void UpdateScheduleInfo();
  // Time, ", ", date in the long formats; "Never" for an invalid value.
  static QString RunTimeText(const QDateTime& when);

  void btnBrowseClick();
  void btnEditClick();
  void btnApplyClick();
  void clbFlagsClickCheck();
  void TaskPropertiesDialog1Apply();
  // After the "Edit..." sheet saved the task.
  void SheetSaved();

  TTaskItem* Task() const { return task_; }

  QTabWidget* PageControl1;
  QWidget *tsTask, *tsSchedule, *tsSettings, *tsCustom;
  QLabel* Image1;
  QLineEdit *edtTaskName, *edtApplicationName, *edtParameters, *edtWorkDir, *edtCreator;
  QPushButton* btnBrowse;
  QLabel *lblLastRunTime, *lblNextRunTime;
  QComboBox* cbSchedule;
  QPushButton* btnEdit;
  QListWidget* clbFlags;
  QSpinBox *seIdleMinutes, *seDeadlineMinutes;
  QComboBox* cbPriority;
  QPlainTextEdit *memComments, *memData;
  QPushButton *btnOK, *btnCancel, *btnApply;
  TTaskPropertiesDialog* TaskPropertiesDialog1;

 private:
  QWidget* BuildTaskPage();
  QWidget* BuildSchedulePage();
  QWidget* BuildSettingsPage();
  QWidget* BuildCustomPage();
  bool DataFits();
  void btnOKClick();

  TTaskItem* task_ = nullptr;
  bool storedRunOnlyIfLoggedOn_ = false;
  bool dataEdited_ = false;  // memData changed since it was loaded or written
};

// Opens the dialog for the task (activated for the dialog's life): on OK the
// controls are written and the task saved when it changed; on Cancel nothing
// more is written. True when closed with OK.
bool ShowTaskProperties(TTaskItem* task, TTaskScheduler& scheduler, QWidget* parent = nullptr);
