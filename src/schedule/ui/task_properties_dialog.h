// A component that shows the property sheet of one task, looked up by name
// in a scheduler: which pages, the title, and a callback after Apply.
#pragma once

#include <QList>
#include <QObject>
#include <QString>
#include <functional>

#include "schedule/task_scheduler.h"

class ETaskDialogError : public EAppError {
 public:
  using EAppError::EAppError;
};

enum class TTaskPropDlgOption { otNoApplyNow, otNoContextHelp, otDisplayIcon };
using TTaskPropDlgOptions = QList<TTaskPropDlgOption>;
using TPageTypes = QList<TPageType>;

class TTaskPropertiesDialog : public QObject {
  Q_OBJECT

 public:
  explicit TTaskPropertiesDialog(QObject* parent = nullptr);

  // Title of the sheet; when empty, "<task> Properties".
  QString Caption;
  TTaskPropDlgOptions Options;
  QString TaskName;  // with or without ".job"
  TTaskScheduler* TaskScheduler = nullptr;
  // After the sheet's Apply has saved; the task's triggers are re-read first.
  std::function<void(TTaskPropertiesDialog* sender, TTaskItem* task)> OnApply;

  const TPageTypes& Pages() const { return pages_; }
  // ETaskDialogError for an empty set; the pages stay as they were.
  void SetPages(const TPageTypes& pages);

  // Shows the sheet for TaskName, activating the task when it is not; the
  // task stays activated. True when the sheet saved changes.
  bool Execute();

 private:
  TPageTypes pages_{TPageType::ptSchedule, TPageType::ptSettings};
};
