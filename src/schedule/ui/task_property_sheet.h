// The task's property sheet: a modal dialog with a tab per chosen page
// (task, schedule, settings). OK and Apply write the pages' changes to the
// task and save it; Cancel drops what was not applied yet.
#pragma once

#include <QCheckBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QList>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <functional>

#include "schedule/task_scheduler.h"

class TaskSchedulePage;

struct PropertySheetOptions {
  QList<TPageType> pages;
  QString caption;
  bool noApplyNow = false;
  bool noContextHelp = false;
  bool displayIcon = false;
  std::function<void()> onApply;  // after Apply has saved
};

class TaskPropertySheet : public QDialog {
  Q_OBJECT

 public:
  // The task must be activated (ETaskError otherwise).
  TaskPropertySheet(TTaskItem& task, const PropertySheetOptions& options, QWidget* parent = nullptr);

  // Writes the pages' changes to the task and saves it. False when a page
  // refused (the sheet then stays open).
  bool SaveChanges();
  bool Saved() const { return saved_; }

  QTabWidget* tabs;
  QWidget *tsTask = nullptr, *tsSettings = nullptr;
  TaskSchedulePage* tsSchedule = nullptr;
  // Task page
  QLineEdit *edtApplication = nullptr, *edtParameters = nullptr, *edtWorkDir = nullptr;
  QPlainTextEdit* memComment = nullptr;
  QCheckBox* chkEnabled = nullptr;
  // Settings page
  QCheckBox *chkDeleteWhenDone = nullptr, *chkStopAfter = nullptr, *chkStartOnlyIfIdle = nullptr,
            *chkKillOnIdleEnd = nullptr, *chkDontStartOnBatteries = nullptr, *chkKillOnBatteries = nullptr,
            *chkWake = nullptr;
  QSpinBox *seStopHours = nullptr, *seIdleMinutes = nullptr, *seIdleRetry = nullptr;
  QDialogButtonBox* buttons;
  QPushButton *btnOK, *btnCancel, *btnApply;

 private:
  QWidget* BuildTaskPage();
  QWidget* BuildSettingsPage();
  void LoadPages();
  void PageEdited();

  TTaskItem& task_;
  PropertySheetOptions options_;
  bool saved_ = false;
};

// Shows the sheet modally for an activated task; true when OK or Apply saved
// something. The task's triggers are re-read afterwards. An empty caption
// gives "<task> Properties".
bool ShowPropertySheet(TTaskItem& task, QWidget* parent, const QList<TPageType>& pages, const QString& caption,
                       std::function<void()> onApply = {});
bool ShowPropertySheet(TTaskItem& task, QWidget* parent, const PropertySheetOptions& options);
