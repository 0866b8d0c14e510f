#include "schedule/ui/task_properties_dialog.h"

#include <QApplication>
#include <QPointer>
#include <QWidget>

#include "schedule/ui/task_property_sheet.h"

TTaskPropertiesDialog::TTaskPropertiesDialog(QObject* parent) : QObject(parent) {}

void TTaskPropertiesDialog::SetPages(const TPageTypes& pages) {
  if (pages.isEmpty()) throw ETaskDialogError(QStringLiteral("At least one page must be specified."));
  pages_ = pages;
}

bool TTaskPropertiesDialog::Execute() {
  if (!TaskScheduler) throw ETaskDialogError(QStringLiteral("Task Scheduler not found."));
  TTaskItem* task = TaskScheduler->FindTask(TaskName);
  if (!task) throw ETaskDialogError(QStringLiteral("Could not activate the task \"%1\".").arg(TaskName));
  if (!task->Activated()) task->Activate();

  PropertySheetOptions options;
  for (TPageType page : {TPageType::ptTask, TPageType::ptSchedule, TPageType::ptSettings})
    if (pages_.contains(page)) options.pages << page;
  options.caption = Caption.isEmpty() ? QStringLiteral("%1 Properties").arg(task->DisplayName()) : Caption;
  options.noApplyNow = Options.contains(TTaskPropDlgOption::otNoApplyNow);
  options.noContextHelp = Options.contains(TTaskPropDlgOption::otNoContextHelp);
  options.displayIcon = Options.contains(TTaskPropDlgOption::otDisplayIcon);
  if (OnApply)
    options.onApply = [this, task] {
      task->Triggers().Load();
      if (OnApply) OnApply(this, task);
    };

  // The sheet is modal over the window that was active; focus returns there.
  QPointer<QWidget> active = QApplication::activeWindow();
  QWidget* parent = active ? active.data() : qobject_cast<QWidget*>(this->parent());
  struct Reactivate {
    QPointer<QWidget> window;
    ~Reactivate() {
      if (window) window->activateWindow();
    }
  } reactivate{active};
  return ShowPropertySheet(*task, parent, options);
}
