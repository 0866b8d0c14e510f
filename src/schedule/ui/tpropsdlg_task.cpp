// TPropsDlg: moving the task's properties in and out of the controls, and
// the buttons that act on the task.
#include <QFileDialog>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QLocale>
#include <QMimeDatabase>
#include <QStringDecoder>

#include "schedule/task_scheduler.h"
#include "schedule/ui/task_properties_dialog.h"
#include "schedule/ui/tpropsdlg.h"
#include "services/message_service.h"

namespace {

constexpr int kMaxDataBytes = 65535;  // the store keeps the length in 16 bits

// Data bytes as text: UTF-8 when they are valid UTF-8, else Latin-1; the
// line break that ends the last line is not shown as an empty line.
QString DataAsText(const QByteArray& data) {
  QStringDecoder utf8(QStringDecoder::Utf8);
  QString text = utf8.decode(data);
  if (utf8.hasError()) text = QString::fromLatin1(data);
  if (text.endsWith(QLatin1Char('\n'))) text.chop(1);
  if (text.endsWith(QLatin1Char('\r'))) text.chop(1);
  return text;
}

// The box's lines, each ended by a line break, as UTF-8.
QByteArray TextAsData(const QString& text) {
  QByteArray data;
  for (const QString& line : text.split(QLatin1Char('\n'))) data += line.toUtf8() + '\n';
  return data;
}

}  // namespace

void TPropsDlg::LoadFromTask(TTaskItem* task) {
  task_ = task;
  setWindowTitle(QStringLiteral("%1 Properties").arg(task->DisplayName()));
  edtTaskName->setText(task->DisplayName());
  edtApplicationName->setText(task->ApplicationName());
  edtParameters->setText(task->Parameters());
  edtWorkDir->setText(task->WorkingDirectory());
  UpdateIcon();
  edtCreator->setText(task->Creator());
  memComments->setPlainText(task->Comment());

  const TTaskFlags flags = task->Flags();
  storedRunOnlyIfLoggedOn_ = flags.contains(TTaskFlag::tfRunOnlyIfLoggedOn);
  {
    const QSignalBlocker block(clbFlags);
    for (int i = 0; i < kTaskFlagCount; ++i)
      clbFlags->item(i)->setCheckState(flags.contains(static_cast<TTaskFlag>(i)) ? Qt::Checked : Qt::Unchecked);
    // User units run only while the user is logged on.
    clbFlags->item(static_cast<int>(TTaskFlag::tfRunOnlyIfLoggedOn))->setCheckState(Qt::Checked);
  }
  clbFlagsClickCheck();

  memData->setPlainText(DataAsText(task->Data()));
  dataEdited_ = false;
  cbPriority->setCurrentIndex(task->Priority());
  const schedule::DWORD idleWait = task->IdleWait();
  seIdleMinutes->setValue(static_cast<int>(idleWait & 0xFFFF));
  seDeadlineMinutes->setValue(static_cast<int>(idleWait >> 16));
  UpdateScheduleInfo();
}

bool TPropsDlg::DataFits() {
  if (!dataEdited_) return true;
  if (TextAsData(memData->toPlainText()).size() <= kMaxDataBytes || memData->toPlainText().isEmpty()) return true;
  PageControl1->setCurrentWidget(tsCustom);
  Messages().show(MsgKind::Error,
                  QStringLiteral("The binary data is longer than %1 bytes and cannot be kept.").arg(kMaxDataBytes),
                  MsgButtons::Ok);
  return false;
}

bool TPropsDlg::SaveToTask() {
  if (!DataFits()) return false;
  task_->SetApplicationName(edtApplicationName->text());
  UpdateIcon();
  task_->SetParameters(edtParameters->text());
  task_->SetWorkingDirectory(edtWorkDir->text());
  task_->SetCreator(edtCreator->text());
  task_->SetComment(memComments->toPlainText());

  TTaskFlags flags;
  for (int i = 0; i < kTaskFlagCount; ++i)
    if (clbFlags->item(i)->checkState() == Qt::Checked) flags.include(static_cast<TTaskFlag>(i));
  // Shown checked because it always holds; the stored bit stays as it was.
  if (!storedRunOnlyIfLoggedOn_) flags.exclude(TTaskFlag::tfRunOnlyIfLoggedOn);
  task_->SetFlags(flags);
  task_->SetPriority(cbPriority->currentIndex());

  // Only a box the user edited is written, and an empty one never.
  if (dataEdited_ && !memData->toPlainText().isEmpty())
    task_->SetData(TextAsData(memData->toPlainText()));
  dataEdited_ = false;

  task_->SetIdleWait(static_cast<schedule::DWORD>(seIdleMinutes->value()) |
                     static_cast<schedule::DWORD>(seDeadlineMinutes->value()) << 16);
  return true;
}

void TPropsDlg::UpdateIcon() {
  const QString path = edtApplicationName->text();
  const QFileInfo info(path);
  QIcon icon;
  if (!path.isEmpty() && info.exists()) icon = QFileIconProvider().icon(info);
  if (icon.isNull()) {
    const QMimeType type = QMimeDatabase().mimeTypeForFile(path, QMimeDatabase::MatchExtension);
    icon = QIcon::fromTheme(type.iconName(), QIcon::fromTheme(type.genericIconName()));
  }
  if (icon.isNull()) icon = QFileIconProvider().icon(QFileIconProvider::File);
  Image1->setPixmap(icon.pixmap(32, 32));
}

QString TPropsDlg::RunTimeText(const QDateTime& when) {
  if (!when.isValid()) return QStringLiteral("Never");
  const QLocale locale;
  return locale.toString(when.time(), QLocale::LongFormat) + QStringLiteral(", ") +
         locale.toString(when.date(), QLocale::LongFormat);
}

void TPropsDlg::UpdateScheduleInfo() {
  lblLastRunTime->setText(RunTimeText(task_->LastRunTime()));
  lblNextRunTime->setText(RunTimeText(task_->NextRunTime()));
  QStringList lines;
  task_->Triggers().ListTriggerStrings(lines);
  cbSchedule->clear();
  cbSchedule->addItems(lines);
  cbSchedule->setCurrentIndex(0);
}

// The idle boxes count only with "Start Only If Idle"; disabled ones are
// drawn greyed by the style.
void TPropsDlg::clbFlagsClickCheck() {
  const bool idle =
      clbFlags->item(static_cast<int>(TTaskFlag::tfStartOnlyIfIdle))->checkState() == Qt::Checked;
  for (QSpinBox* box : {seIdleMinutes, seDeadlineMinutes}) box->setEnabled(idle);
}

void TPropsDlg::btnBrowseClick() {
  const QString chosen = QFileDialog::getOpenFileName(this, QString(), edtApplicationName->text(),
                                                      QStringLiteral("Applications (*);;All Files (*)"));
  if (chosen.isEmpty()) return;
  edtApplicationName->setText(chosen);
  UpdateIcon();
}

void TPropsDlg::btnEditClick() {
  TaskPropertiesDialog1->TaskName = task_->DisplayName();
  if (TaskPropertiesDialog1->Execute()) SheetSaved();
}

// The sheet wrote the task: the flags it shows are taken from there, so that
// OK here does not put back what was loaded before; the other boxes keep
// what was chosen here.
void TPropsDlg::SheetSaved() {
  const TTaskFlags stored = task_->Flags();
  const QSignalBlocker block(clbFlags);
  for (TTaskFlag flag :
       {TTaskFlag::tfDeleteWhenDone, TTaskFlag::tfDontStartIfOnBatteries, TTaskFlag::tfKillIfGoingOnBatteries})
    clbFlags->item(static_cast<int>(flag))->setCheckState(stored.contains(flag) ? Qt::Checked : Qt::Unchecked);
  UpdateScheduleInfo();
}

void TPropsDlg::btnApplyClick() {
  if (!SaveToTask()) return;
  task_->Save();
}

void TPropsDlg::btnOKClick() {
  if (DataFits()) accept();
}

void TPropsDlg::TaskPropertiesDialog1Apply() { SheetSaved(); }

bool ShowTaskProperties(TTaskItem* task, TTaskScheduler& scheduler, QWidget* parent) {
  TPropsDlg dialog(scheduler, parent);
  // A failure here leaves the task activated and the dialog unshown.
  task->Activate();
  dialog.LoadFromTask(task);
  bool ok = false;
  try {
    ok = dialog.exec() == QDialog::Accepted;
    if (ok) dialog.SaveToTask();
  } catch (...) {
    task->Deactivate(ok);
    throw;
  }
  task->Deactivate(ok);
  return ok;
}
