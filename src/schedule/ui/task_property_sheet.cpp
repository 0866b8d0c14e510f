#include "schedule/ui/task_property_sheet.h"

#include <QApplication>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>
#include <vector>

#include "schedule/ui/task_property_sheet_schedule.h"
#include "services/accessible_names.h"
#include "services/message_service.h"
#include "services/named_control.h"

namespace {

const QString kNotAvailable = QStringLiteral("Not available on this system");

// Shown with its stored value but not editable here.
void Unavailable(QWidget* w) {
  w->setEnabled(false);
  w->setToolTip(kNotAvailable);
}

QSpinBox* Spin(const char* name, int high, QWidget* parent) {
  auto* s = Named(new QSpinBox(parent), name);
  s->setRange(0, high);
  return s;
}

}  // namespace

TaskPropertySheet::TaskPropertySheet(TTaskItem& task, const PropertySheetOptions& options, QWidget* parent)
    : QDialog(parent), task_(task), options_(options) {
  task_.Record();  // must be activated
  setObjectName(QStringLiteral("TaskPropertySheet"));
  setWindowTitle(options.caption);
  if (options.displayIcon) setWindowIcon(QApplication::windowIcon());
  if (options.noContextHelp) setWindowFlag(Qt::WindowContextHelpButtonHint, false);

  auto* v = new QVBoxLayout(this);
  tabs = Named(new QTabWidget(this), "tabs");
  // Always in the order task, schedule, settings.
  if (options.pages.contains(TPageType::ptTask)) tabs->addTab(tsTask = BuildTaskPage(), QStringLiteral("Task"));
  if (options.pages.contains(TPageType::ptSchedule))
    tabs->addTab(tsSchedule = new TaskSchedulePage(tabs), QStringLiteral("Schedule"));
  if (options.pages.contains(TPageType::ptSettings))
    tabs->addTab(tsSettings = BuildSettingsPage(), QStringLiteral("Settings"));
  v->addWidget(tabs);

  buttons = new QDialogButtonBox(this);
  btnOK = Named(buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole), "btnOK");
  btnCancel = Named(buttons->addButton(QStringLiteral("Cancel"), QDialogButtonBox::RejectRole), "btnCancel");
  btnApply = Named(buttons->addButton(QStringLiteral("&Apply"), QDialogButtonBox::ApplyRole), "btnApply");
  btnOK->setDefault(true);
  btnApply->setVisible(!options.noApplyNow);
  v->addWidget(buttons);

  LoadPages();
  btnApply->setEnabled(false);

  for (QLineEdit* e : {edtApplication, edtParameters, edtWorkDir})
    if (e) connect(e, &QLineEdit::textEdited, this, [this] { PageEdited(); });
  if (memComment) connect(memComment, &QPlainTextEdit::textChanged, this, [this] { PageEdited(); });
  for (QCheckBox* c : {chkEnabled, chkDeleteWhenDone, chkDontStartOnBatteries, chkKillOnBatteries})
    if (c) connect(c, &QCheckBox::toggled, this, [this] { PageEdited(); });
  if (tsSchedule) connect(tsSchedule, &TaskSchedulePage::changed, this, [this] { PageEdited(); });

  connect(btnOK, &QPushButton::clicked, this, [this] {
    if (SaveChanges()) accept();
  });
  connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
  connect(btnApply, &QPushButton::clicked, this, [this] {
    if (SaveChanges() && options_.onApply) options_.onApply();
  });
}

QWidget* TaskPropertySheet::BuildTaskPage() {
  auto* page = Named(new QWidget(tabs), "tsTask");
  auto* form = new QFormLayout(page);
  edtApplication = Named(new QLineEdit(page), "edtApplication");
  edtParameters = Named(new QLineEdit(page), "edtParameters");
  edtWorkDir = Named(new QLineEdit(page), "edtWorkDir");
  memComment = Named(new QPlainTextEdit(page), "memComment");
  chkEnabled = Named(new QCheckBox(QStringLiteral("&Enabled (the task runs at the scheduled times)"), page),
                     "chkEnabled");
  form->addRow(QStringLiteral("R&un:"), edtApplication);
  form->addRow(QStringLiteral("&Parameters:"), edtParameters);
  form->addRow(QStringLiteral("&Start in:"), edtWorkDir);
  form->addRow(QStringLiteral("&Comments:"), memComment);
  form->addRow(chkEnabled);
  return page;
}

QWidget* TaskPropertySheet::BuildSettingsPage() {
  auto* page = Named(new QWidget(tabs), "tsSettings");
  auto* v = new QVBoxLayout(page);

  auto* done = new QGroupBox(QStringLiteral("Scheduled Task Completed"), page);
  auto* dv = new QVBoxLayout(done);
  chkDeleteWhenDone = Named(
      new QCheckBox(QStringLiteral("&Delete the task if it is not scheduled to run again"), done), "chkDeleteWhenDone");
  auto* stopRow = new QHBoxLayout;
  chkStopAfter = Named(new QCheckBox(QStringLiteral("S&top the task if it runs for:"), done), "chkStopAfter");
  seStopHours = Spin("seStopHours", 999, done);
  stopRow->addWidget(chkStopAfter);
  stopRow->addWidget(seStopHours);
  stopRow->addWidget(new QLabel(QStringLiteral("hour(s)"), done));
  accessible::Name(seStopHours, QStringLiteral("Stop after hours"));
  stopRow->addStretch();
  Unavailable(chkStopAfter);
  Unavailable(seStopHours);
  dv->addWidget(chkDeleteWhenDone);
  dv->addLayout(stopRow);
  v->addWidget(done);

  auto* idle = new QGroupBox(QStringLiteral("Idle Time"), page);
  auto* iv = new QVBoxLayout(idle);
  auto* idleRow = new QHBoxLayout;
  chkStartOnlyIfIdle = Named(
      new QCheckBox(QStringLiteral("&Only start the task if the computer has been idle for at least:"), idle),
      "chkStartOnlyIfIdle");
  seIdleMinutes = Spin("seIdleMinutes", 65535, idle);
  idleRow->addWidget(chkStartOnlyIfIdle);
  idleRow->addWidget(seIdleMinutes);
  idleRow->addWidget(new QLabel(QStringLiteral("minute(s)"), idle));
  auto* retryRow = new QHBoxLayout;
  seIdleRetry = Spin("seIdleRetry", 65535, idle);
  retryRow->addWidget(new QLabel(QStringLiteral("If the computer has not been idle that long, retry for up to:"), idle));
  retryRow->addWidget(seIdleRetry);
  retryRow->addWidget(new QLabel(QStringLiteral("minute(s)"), idle));
  accessible::Name(seIdleMinutes, QStringLiteral("Idle minutes before the start"));
  accessible::Name(seIdleRetry, QStringLiteral("Minutes to retry for idle time"));
  chkKillOnIdleEnd = Named(
      new QCheckBox(QStringLiteral("Stop the task if the computer ceases to be id&le"), idle), "chkKillOnIdleEnd");
  for (QWidget* w : std::initializer_list<QWidget*>{chkStartOnlyIfIdle, seIdleMinutes, seIdleRetry, chkKillOnIdleEnd})
    Unavailable(w);
  iv->addLayout(idleRow);
  iv->addLayout(retryRow);
  iv->addWidget(chkKillOnIdleEnd);
  v->addWidget(idle);

  auto* power = new QGroupBox(QStringLiteral("Power Management"), page);
  auto* pv = new QVBoxLayout(power);
  chkDontStartOnBatteries = Named(
      new QCheckBox(QStringLiteral("Don't start the task if the computer is running on &batteries"), power),
      "chkDontStartOnBatteries");
  chkKillOnBatteries =
      Named(new QCheckBox(QStringLiteral("Stop the task if battery &mode begins"), power), "chkKillOnBatteries");
  chkWake = Named(new QCheckBox(QStringLiteral("&Wake the computer to run this task"), power), "chkWake");
  Unavailable(chkWake);
  pv->addWidget(chkDontStartOnBatteries);
  pv->addWidget(chkKillOnBatteries);
  pv->addWidget(chkWake);
  v->addWidget(power);
  v->addStretch();
  return page;
}

void TaskPropertySheet::LoadPages() {
  const TTaskFlags flags = task_.Flags();
  if (tsTask) {
    edtApplication->setText(task_.ApplicationName());
    edtParameters->setText(task_.Parameters());
    edtWorkDir->setText(task_.WorkingDirectory());
    memComment->setPlainText(task_.Comment());
    chkEnabled->setChecked(!flags.contains(TTaskFlag::tfDisabled));
  }
  if (tsSchedule) {
    TTriggers& triggers = task_.Triggers();
    std::vector<schedule::TASK_TRIGGER> records;
    for (int i = 0; i < triggers.Count(); ++i) records.push_back(triggers.Items(i).Trigger);
    tsSchedule->Load(records);
  }
  if (tsSettings) {
    const schedule::DWORD idleWait = task_.IdleWait();
    chkDeleteWhenDone->setChecked(flags.contains(TTaskFlag::tfDeleteWhenDone));
    chkStartOnlyIfIdle->setChecked(flags.contains(TTaskFlag::tfStartOnlyIfIdle));
    seIdleMinutes->setValue(static_cast<int>(idleWait & 0xFFFF));
    seIdleRetry->setValue(static_cast<int>(idleWait >> 16));
    chkKillOnIdleEnd->setChecked(flags.contains(TTaskFlag::tfKillOnIdleEnd));
    chkDontStartOnBatteries->setChecked(flags.contains(TTaskFlag::tfDontStartIfOnBatteries));
    chkKillOnBatteries->setChecked(flags.contains(TTaskFlag::tfKillIfGoingOnBatteries));
    chkWake->setChecked(flags.contains(TTaskFlag::tfSystemRequired));
  }
}

void TaskPropertySheet::PageEdited() { btnApply->setEnabled(true); }

bool TaskPropertySheet::SaveChanges() {
  if (!btnApply->isEnabled()) return true;  // nothing edited since the last save
  std::vector<schedule::TASK_TRIGGER> records;
  if (tsSchedule && !tsSchedule->Collect(records)) {
    tabs->setCurrentWidget(tsSchedule);
    Messages().show(MsgKind::Error, QStringLiteral("Choose the days and months on which the task runs."),
                    MsgButtons::Ok);
    return false;
  }
  try {
    TTaskFlags flags = task_.Flags();
    const auto setFlag = [&flags](TTaskFlag flag, bool on) { on ? flags.include(flag) : flags.exclude(flag); };
    if (tsTask) {
      task_.SetApplicationName(edtApplication->text());
      task_.SetParameters(edtParameters->text());
      task_.SetWorkingDirectory(edtWorkDir->text());
      task_.SetComment(memComment->toPlainText());
      setFlag(TTaskFlag::tfDisabled, !chkEnabled->isChecked());
    }
    if (tsSettings) {
      setFlag(TTaskFlag::tfDeleteWhenDone, chkDeleteWhenDone->isChecked());
      setFlag(TTaskFlag::tfDontStartIfOnBatteries, chkDontStartOnBatteries->isChecked());
      setFlag(TTaskFlag::tfKillIfGoingOnBatteries, chkKillOnBatteries->isChecked());
    }
    task_.SetFlags(flags);
    if (tsSchedule) {
      TTriggers& triggers = task_.Triggers();
      triggers.Clear();
      for (const schedule::TASK_TRIGGER& record : records) triggers.Add().Trigger = record;
      triggers.Apply();
    }
    task_.Save();
  } catch (const EAppError& error) {
    ShowAppError(error.text());
    return false;
  }
  saved_ = true;
  btnApply->setEnabled(false);
  return true;
}

bool ShowPropertySheet(TTaskItem& task, QWidget* parent, const PropertySheetOptions& options) {
  task.Record();  // must be activated
  if (options.pages.isEmpty()) return false;
  bool saved = false;
  {
    TaskPropertySheet sheet(task, options, parent);
    sheet.exec();
    saved = sheet.Saved();
  }
  task.Triggers().Load();
  return saved;
}

bool ShowPropertySheet(TTaskItem& task, QWidget* parent, const QList<TPageType>& pages, const QString& caption,
                       std::function<void()> onApply) {
  PropertySheetOptions options;
  options.pages = pages;
  options.caption = caption.isEmpty() ? QStringLiteral("%1 Properties").arg(task.DisplayName()) : caption;
  options.onApply = std::move(onApply);
  return ShowPropertySheet(task, parent, options);
}
