// The task list panel: the scheduled recordings this program made, with
// their schedule and status, and the operations on them.
#include <QCoreApplication>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QHeaderView>
#include <QTreeWidgetItem>

#include "app/task_store_choice.h"
#include "app/tfrmmain.h"
#include "dialogs/tfrmoption.h"
#include "schedule/task_scheduler.h"
#include "schedule/task_status.h"
#include "schedule/ui/tnewtaskwizard.h"
#include "schedule/ui/tpropsdlg.h"
#include "services/message_service.h"

namespace {
constexpr int kNameRole = Qt::UserRole;
const QString kCreator = QStringLiteral("Zovedu");

QString RowTaskName(const QTreeWidgetItem* row) { return row->data(0, kNameRole).toString(); }

// The name without its ".job", as every list and message shows it.
QString DisplayNameOf(const QString& name) {
  return name.endsWith(QStringLiteral(".job"), Qt::CaseInsensitive) ? name.left(name.size() - 4) : name;
}

QIcon ApplicationIcon(const QString& application) {
  static QFileIconProvider provider;
  return provider.icon(QFileInfo(application));
}
}  // namespace

TTaskScheduler& Tfrmmain::ActiveScheduler() {
  if (!Scheduler) {
    Scheduler = std::make_unique<TTaskScheduler>(MakeTaskBackend());
    Scheduler->AutoRefresh = false;
    Scheduler->Duplicate = TTaskDuplicate::tdError;
    Scheduler->OnBeforeTaskAdded = [this](TTaskScheduler* sender, TTaskItem* task, bool& canAdd) {
      SchedulerBeforeTaskAdded(sender, task, canAdd);
    };
  }
  if (!Scheduler->Active()) Scheduler->SetActive(true);
  return *Scheduler;
}

void Tfrmmain::SchedulerBeforeTaskAdded(TTaskScheduler*, TTaskItem* task, bool& canAdd) {
  task->Activate();
  try {
    canAdd = task->Creator() == kCreator;
  } catch (...) {
    task->Deactivate(false);
    throw;
  }
  task->Deactivate(false);
}

void Tfrmmain::RefreshTaskList() {
  tasklist->clear();
  TTaskScheduler& scheduler = ActiveScheduler();
  scheduler.Refresh();
  for (int i = 0; i < scheduler.Count(); ++i) {
    TTaskItem* task = scheduler.Tasks(i);
    auto* row = new QTreeWidgetItem(tasklist, QStringList{task->DisplayName()});
    row->setData(0, kNameRole, task->Name());
    UpdateTaskListItem(row);
  }
  tasklistClick();
}

void Tfrmmain::UpdateTaskListItem(QTreeWidgetItem* row) {
  TTaskItem* task = ActiveScheduler().FindTask(RowTaskName(row));
  if (!task) {
    row->setText(1, QString());
    row->setText(2, QString());
    return;
  }
  task->Activate();
  try {
    row->setText(1, QString());
    row->setText(2, QString());
    row->setIcon(0, ApplicationIcon(task->ApplicationName()));
    row->setText(1, task->ScheduleText());
    row->setText(2, schedule::StatusText(task->Status()));
  } catch (...) {
    task->Deactivate(false);
    throw;
  }
  task->Deactivate(false);
}

void Tfrmmain::tasklistClick() {
  const bool selected = !tasklist->selectedItems().isEmpty();
  btnedittask->setEnabled(selected);
  btndeltask->setEnabled(selected);
  btnruntask->setEnabled(selected);
}

void Tfrmmain::Add1Click() {
  TaskWizardSources sources;
  for (int i = 0; i < cformat->count(); ++i) sources.formats << cformat->itemText(i);
  sources.formatIndex = 1;
  for (int i = 0; i < Rslist->count(); ++i) sources.inputs << Rslist->itemText(i);
  sources.inputIndex = Rslist->currentIndex();
  sources.volume = Cvolume->value();
  sources.programPath = QCoreApplication::applicationFilePath();
  sources.outputFolder = frmoption_ ? frmoption_->DefaultOutputFolder() : FOutputFolder;
  sources.showFormatSettings = [this](int formatIndex) {
    if (!frmoption_) return;
    const int page = Tfrmoption::FormatSettingsPage(formatIndex);
    if (page < 0) return;
    frmoption_->SelectNode(page + 1);
    frmoption_->ShowModalFromMain();
  };
  TTaskScheduler& scheduler = ActiveScheduler();
  // The wizard may rebuild the scheduler's list, so rows are rebuilt after it
  // whatever its answer.
  RunNewTaskWizard(scheduler, sources, this);
  RefreshTaskList();
}

void Tfrmmain::Properties1Click() {
  QTreeWidgetItem* row = tasklist->currentItem();
  if (!row || !row->isSelected()) return;
  TTaskScheduler& scheduler = ActiveScheduler();
  TTaskItem* task = scheduler.FindTask(RowTaskName(row));
  if (!task) return;
  if (ShowTaskProperties(task, scheduler, this)) UpdateTaskListItem(row);
}

void Tfrmmain::DeleteTask1Click() {
  if (Messages().show(MsgKind::Warning, QStringLiteral("Are you sure you want to delete the selected task(s)?"),
                      MsgButtons::YesNo) != MsgAnswer::Yes)
    return;
  const QList<QTreeWidgetItem*> selected = tasklist->selectedItems();
  if (selected.isEmpty()) return;
  TTaskScheduler& scheduler = ActiveScheduler();
  QStringList failed;
  for (int i = selected.size() - 1; i >= 0; --i) {
    const QString name = RowTaskName(selected[i]);
    try {
      scheduler.DeleteTask(name);
      delete selected[i];
    } catch (const std::exception& e) {
      failed << QStringLiteral("%1: %2").arg(DisplayNameOf(name), QString::fromUtf8(e.what()));
    }
  }
  // A failed delete leaves the scheduler's list without the task: the rows
  // are rebuilt from the store, and the user learns which tasks remain.
  if (!failed.isEmpty()) {
    RefreshTaskList();
    Messages().show(MsgKind::Error, QStringLiteral("Could not delete:\n") + failed.join(QLatin1Char('\n')),
                    MsgButtons::Ok);
  }
  tasklistClick();
}

void Tfrmmain::Disable1Click() {
  QTreeWidgetItem* row = tasklist->currentItem();
  if (!row || !row->isSelected()) return;
  TTaskItem* task = ActiveScheduler().FindTask(RowTaskName(row));
  if (!task) return;
  task->Activate();
  try {
    TTaskFlags flags = task->Flags();
    if (flags.contains(TTaskFlag::tfDisabled))
      flags.exclude(TTaskFlag::tfDisabled);
    else
      flags.include(TTaskFlag::tfDisabled);
    task->SetFlags(flags);
    task->Save();
  } catch (...) {
    task->Deactivate(false);
    throw;
  }
  task->Deactivate(false);
  UpdateTaskListItem(row);
}

void Tfrmmain::RunTask1Click() {
  const QList<QTreeWidgetItem*> selected = tasklist->selectedItems();
  if (!selected.isEmpty()) {
    TTaskScheduler& scheduler = ActiveScheduler();
    // The started run must become the running instance itself; when it
    // cannot be started, this program stays the one.
    if (ReleaseInstance) ReleaseInstance();
    for (QTreeWidgetItem* row : selected) {
      TTaskItem* task = scheduler.FindTask(RowTaskName(row));
      if (!task) continue;
      task->Activate();
      try {
        task->Run();
      } catch (...) {
        task->Deactivate(false);
        if (ReacquireInstance) ReacquireInstance();
        throw;
      }
      task->Deactivate(false);
    }
  }
  // The task's run records now; this instance ends through its normal
  // close, which completes a recording of its own, without asking.
  CloseWithoutAsking();
}

void Tfrmmain::Refresh1Click() { RefreshTaskList(); }

void Tfrmmain::FillTaskListAtStart() {
  try {
    RefreshTaskList();
  } catch (const ESchedulerError&) {
    // Said when the task panel or the wizard is used, not at start.
  }
}

void Tfrmmain::TaskPanelOpened() {
  if (!grectask->isVisibleTo(this) || (Scheduler && Scheduler->Active())) return;
  try {
    RefreshTaskList();
  } catch (const ESchedulerError& e) {
    Messages().show(MsgKind::Error, e.text(), MsgButtons::Ok);
  }
}
