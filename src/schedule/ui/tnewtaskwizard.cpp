// The wizard's flow: which page follows which, the task it holds from the
// Task Name page on, and what Finish and Cancel do with it.
#include "schedule/ui/tnewtaskwizard.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>

#include "schedule/record_config.h"
#include "schedule/task_scheduler.h"
#include "schedule/ui/task_property_sheet.h"
#include "schedule/ui/trigger_panels.h"
#include "services/message_service.h"

namespace {
const QString kProductPage = QStringLiteral("https://www.zovedu.org/");
constexpr int kWavFormat = 0, kTtaFormat = 6;

bool IsEventTrigger(int type) {
  return type == schedule::TASK_EVENT_TRIGGER_AT_SYSTEMSTART || type == schedule::TASK_EVENT_TRIGGER_AT_LOGON;
}
}  // namespace

TNewTaskWizard::TNewTaskWizard(TTaskScheduler& scheduler, const TaskWizardSources& sources, QWidget* parent)
    : QDialog(parent), scheduler_(scheduler), sources_(sources) {
  BuildPages();
  Eoutput->setText(QDir(sources_.outputFolder.isEmpty() ? QDir::homePath() : sources_.outputFolder)
                       .filePath(QStringLiteral("Rectest.mp3")));
  formatcom->addItems(sources_.formats);
  formatcom->setCurrentIndex(sources_.formats.size() > 1 ? 1 : 0);
  sourcecom->addItems(sources_.inputs);
  sourcecom->setCurrentIndex(sources_.inputIndex);
  barrecvolume->setValue(sources_.volume);
  lrecvolume->setText(QStringLiteral("Record Volume:%1").arg(barrecvolume->value()));
  eapp->setText(FindBrowserPath());
  epar->setText(kProductPage);
  ConnectControls();
  RecordSettingsChosen();
  pages->setCurrentWidget(tsStartPage);
  UpdateButtons();
}

TNewTaskWizard::~TNewTaskWizard() = default;

QString TNewTaskWizard::FindBrowserPath() { return QStringLiteral("xdg-open"); }

void TNewTaskWizard::ConnectControls() {
  connect(btnNext, &QPushButton::clicked, this, [this] {
    if (CurrentPage() == tsFinished) {
      accept();
      return;
    }
    GoNext();
    UpdateButtons();
  });
  connect(btnBack, &QPushButton::clicked, this, [this] {
    GoBack();
    UpdateButtons();
  });
  connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
  connect(recordsettingcom, &QComboBox::currentIndexChanged, this, [this] { RecordSettingsChosen(); });
  connect(formatcom, &QComboBox::currentIndexChanged, this, [this] { FormatChosen(); });
  connect(sourcecom, &QComboBox::currentIndexChanged, this, [this] { barrecvolume->setValue(50); });
  connect(barrecvolume, &QSlider::valueChanged, this,
          [this](int v) { lrecvolume->setText(QStringLiteral("Record Volume:%1").arg(v)); });
  connect(ctimestop, &QCheckBox::toggled, this, [this] { RecordSettingsChosen(); });
  connect(cadditionaltask, &QCheckBox::toggled, this, [this] { RecordSettingsChosen(); });
  connect(btnsavefile, &QPushButton::clicked, this, [this] { SaveFileClick(); });
  connect(btnsettings, &QPushButton::clicked, this, [this] { SettingsClick(); });
  connect(Button1, &QPushButton::clicked, this, [this] { ApplicationClick(); });
  connect(btnAdvanced, &QPushButton::clicked, this, [this] { AdvancedClick(); });
  // What decides whether Next may be pressed.
  for (QLineEdit* e : {estoptime, edtTaskName, edtAccount, edtPassword1, edtPassword2})
    connect(e, &QLineEdit::textChanged, this, &TNewTaskWizard::UpdateNextEnabled);
  for (QRadioButton* r : {rbDaily, rbWeekly, rbMonthly, rbOneTime, rbStartup, rbLogon})
    connect(r, &QRadioButton::toggled, this, &TNewTaskWizard::UpdateNextEnabled);
  connect(triggerPanels, &TriggerPanels::changed, this, &TNewTaskWizard::UpdateNextEnabled);
}

void TNewTaskWizard::RecordSettingsChosen() {
  const bool custom = CustomSettings();
  for (QWidget* w : std::initializer_list<QWidget*>{Eoutput, btnsavefile, btnsettings, formatcom, sourcecom,
                                                    barrecvolume, ctimestop, cadditionaltask})
    w->setEnabled(custom);
  estoptime->setEnabled(custom && ctimestop->isChecked());
  eapp->setEnabled(custom && cadditionaltask->isChecked());
  epar->setEnabled(custom && cadditionaltask->isChecked());
  UpdateNextEnabled();
}

void TNewTaskWizard::FormatChosen() {
  const QString ext = QStringLiteral(".") + formatcom->currentText().toLower();
  const QString name = Eoutput->text();
  const QFileInfo info(name);
  const QString suffix = info.suffix();
  const QString base = suffix.isEmpty() ? name : name.left(name.size() - suffix.size() - 1);
  Eoutput->setText(base + ext);
}

void TNewTaskWizard::SaveFileClick() {
  const QString format = formatcom->currentText();
  const QString chosen = QFileDialog::getSaveFileName(this, QStringLiteral("Save output name"),
                                                      QFileInfo(AbsoluteOutputName()).absolutePath(),
                                                      QStringLiteral("%1 (*.%1)").arg(format));
  if (!chosen.isEmpty()) Eoutput->setText(chosen);
  const QString ext = QStringLiteral(".") + format.toLower();
  if (!Eoutput->text().toLower().endsWith(ext)) Eoutput->setText(Eoutput->text() + ext);
}

void TNewTaskWizard::SettingsClick() {
  const int format = formatcom->currentIndex();
  if (format == kWavFormat) {
    Messages().show(MsgKind::Information, QStringLiteral("No extra settings for WAVE!"), MsgButtons::Ok);
  } else if (format == kTtaFormat) {
    Messages().show(MsgKind::Information, QStringLiteral("No extra settings for TTA!"), MsgButtons::Ok);
  } else if (sources_.showFormatSettings) {
    sources_.showFormatSettings(format);
  }
}

void TNewTaskWizard::ApplicationClick() {
  const QString chosen = QFileDialog::getOpenFileName(this, QString(), eapp->text(),
                                                      QStringLiteral("Applications (*);;All Files (*)"));
  if (chosen.isEmpty()) return;
  eapp->setText(chosen);
  eapp->setToolTip(chosen);
}

void TNewTaskWizard::AdvancedClick() {
  if (!task_) return;
  // The sheet stores the task when it saves: its task file then belongs to a
  // stored task and stays, whatever the wizard does afterwards.
  if (ShowPropertySheet(*task_, this, {TPageType::ptSchedule, TPageType::ptSettings},
                        QStringLiteral("%1 Properties").arg(task_->DisplayName())))
    writtenFiles_.clear();
  UpdateFinishPage();
}

QString TNewTaskWizard::AbsoluteOutputName() const {
  const QString name = Eoutput->text().trimmed();
  if (name.isEmpty() || QDir::isAbsolutePath(name)) return name;
  return QDir(sources_.outputFolder.isEmpty() ? QDir::homePath() : sources_.outputFolder).filePath(name);
}

// ---- page flow ----

std::vector<QWidget*> TNewTaskWizard::Flow() const {
  if (task_ && IsEventTrigger(triggerType_))
    return {tsStartPage, tsCustomData, tsTaskName, tsAccountInfo, tsFinished};
  return {tsStartPage, tsCustomData, tsTaskName, tsTriggerDetails, tsAccountInfo, tsFinished};
}

void TNewTaskWizard::ShowPage(QWidget* page) {
  pages->setCurrentWidget(page);
  if (page == tsTaskName && !task_) SuggestTaskName();
  UpdateFinishPage();
  UpdateNextEnabled();
}

void TNewTaskWizard::UpdateButtons() {
  btnBack->setEnabled(CurrentPage() != tsStartPage);
  btnNext->setText(CurrentPage() == tsFinished ? QStringLiteral("&Finish") : QStringLiteral("&Next >"));
  UpdateNextEnabled();
}

void TNewTaskWizard::UpdateNextEnabled() {
  bool enabled = true;
  QWidget* page = CurrentPage();
  if (page == tsCustomData) {
    // A ticked stop box needs a stop time above 0.
    enabled = !CustomSettings() || !ctimestop->isChecked() || estoptime->text().toInt() > 0;
  } else if (page == tsTaskName) {
    enabled = !edtTaskName->text().isEmpty() &&
              (rbDaily->isChecked() || rbWeekly->isChecked() || rbMonthly->isChecked() || rbOneTime->isChecked() ||
               rbStartup->isChecked() || rbLogon->isChecked());
  } else if (page == tsTriggerDetails) {
    enabled = triggerPanels->CanGoOn(triggerPanels->ChosenType(triggerType_));
  } else if (page == tsAccountInfo) {
    enabled = !edtAccount->text().isEmpty() && edtPassword1->text() == edtPassword2->text();
  }
  btnNext->setEnabled(enabled);
}

int TNewTaskWizard::GetTaskType() const {
  for (QRadioButton* r : {rbDaily, rbWeekly, rbMonthly, rbOneTime, rbStartup, rbLogon}) {
    if (!r->isChecked()) continue;
    const int tag = r->property("tag").toInt();
    if (tag == schedule::TASK_TIME_TRIGGER_MONTHLYDATE && triggerPanels->rbMonthlyDow->isChecked())
      return schedule::TASK_TIME_TRIGGER_MONTHLYDOW;
    return tag;
  }
  return 0;
}

void TNewTaskWizard::GoNext() {
  QWidget* page = CurrentPage();
  if (page == tsCustomData && !LeaveCustomData()) return;
  if (page == tsTaskName) {
    CreateTask();
    if (!task_) return;
    triggerType_ = GetTaskType();
    TTrigger& trigger = task_->Triggers().Items(0);
    trigger.SetTriggerType(static_cast<schedule::TASK_TRIGGER_TYPE>(triggerType_));
    trigger.SetStartDate(QDate::currentDate());
    triggerPanels->ShowPanelFor(triggerType_);
    if (IsEventTrigger(triggerType_)) task_->Triggers().Apply();
  } else if (page == tsTriggerDetails) {
    triggerType_ = triggerPanels->ChosenType(triggerType_);
    TTrigger& trigger = task_->Triggers().Items(0);
    triggerPanels->FillTrigger(trigger.Trigger, triggerType_);
    task_->Triggers().Apply();
  } else if (page == tsAccountInfo && !LeaveAccountInfo()) {
    return;
  }
  const std::vector<QWidget*> flow = Flow();
  for (std::size_t i = 0; i + 1 < flow.size(); ++i)
    if (flow[i] == page) {
      ShowPage(flow[i + 1]);
      return;
    }
}

void TNewTaskWizard::GoBack() {
  QWidget* page = CurrentPage();
  const std::vector<QWidget*> flow = Flow();
  for (std::size_t i = 1; i < flow.size(); ++i)
    if (flow[i] == page) {
      // Back past the trigger details drops the task: passing the Task Name
      // page again creates it anew.
      if (page == tsTriggerDetails) CancelTask();
      ShowPage(flow[i - 1]);
      return;
    }
}

bool TNewTaskWizard::LeaveCustomData() {
  if (!CustomSettings()) return true;
  // The task file's path goes into the parameters between double quotes,
  // which cannot hold another one; the file lies in the output's folder.
  if (AbsoluteOutputName().contains(QLatin1Char('"'))) {
    Messages().show(MsgKind::Error, QStringLiteral("The output file name must not contain a double quote."),
                    MsgButtons::Ok);
    return false;
  }
  if (AbsoluteOutputName().isEmpty() || QFileInfo(AbsoluteOutputName()).isDir()) {
    Messages().show(MsgKind::Error, QStringLiteral("Please enter the name of the output file."), MsgButtons::Ok);
    return false;
  }
  return true;
}

bool TNewTaskWizard::LeaveAccountInfo() {
  const QString account = edtAccount->text().trimmed();
  if (account.isEmpty() || edtPassword1->text() != edtPassword2->text()) return false;
  task_->SetAccountInformation(account, edtPassword1->text());
  TTaskFlags flags = task_->Flags();
  flags.include(TTaskFlag::tfRunOnlyIfLoggedOn);
  task_->SetFlags(flags);
  return true;
}

void TNewTaskWizard::UpdateFinishPage() {
  if (!task_) return;
  lblTaskResult->setText(edtTaskName->text());
  lblTaskNextTime->setText(task_->ScheduleText());
}

void TNewTaskWizard::SuggestTaskName() {
  if (task_) return;
  for (int n = 1;; ++n) {
    const QString name = QStringLiteral("Record Task %1").arg(n);
    if (!scheduler_.FindTask(name)) {
      edtTaskName->setText(name);
      return;
    }
  }
}

// ---- the held task ----

void TNewTaskWizard::CreateTask() {
  if (task_) return;
  const QString name = edtTaskName->text();
  TTaskItem* task = nullptr;
  if (TTaskItem* existing = scheduler_.FindTask(name)) {
    const QString question =
        QStringLiteral("A task with the name %1 already exists.  Do you want to replace it?").arg(name);
    if (Messages().show(MsgKind::Confirmation, question, MsgButtons::YesNo) != MsgAnswer::Yes) return;
    existing->Activate();
    existing->Triggers().Clear();
    existing->Triggers().Add();
    task = existing;
  } else {
    try {
      task = scheduler_.AddTask(name);
    } catch (const ETaskError& e) {
      Messages().show(MsgKind::Error, e.text(), MsgButtons::Ok);
      return;
    }
    task->Triggers().Add();
  }
  task_ = task;
  task_->SetApplicationName(sources_.programPath);
  if (CustomSettings()) {
    schedule::RecordConfig config;
    config.outName = AbsoluteOutputName();
    config.outFormat = formatcom->currentIndex();
    config.source = sourcecom->currentIndex();
    config.volume = barrecvolume->value();
    config.stopTime = ctimestop->isChecked() ? estoptime->text().toInt() : 0;
    config.additionalTask = cadditionaltask->isChecked();
    config.app = eapp->text();
    config.par = epar->text();
    QString file;
    try {
      file = schedule::WriteRecordConfig(config);
    } catch (const EAppError& e) {
      // No task without its file: drop it and stay on the page.
      Messages().show(MsgKind::Error, e.text(), MsgButtons::Ok);
      CancelTask();
      return;
    }
    writtenFiles_ << file;
    task_->SetParameters(QStringLiteral("-run \"%1\"").arg(file));
  } else {
    task_->SetParameters(QStringLiteral("-run"));
  }
  task_->SetCreator(QStringLiteral("Zovedu"));
  task_->SetComment(QStringLiteral("Zovedu Task"));
  task_->SetWorkingDirectory(QString());
}

void TNewTaskWizard::RemoveWrittenFiles() {
  for (const QString& file : writtenFiles_) QFile::remove(file);
  writtenFiles_.clear();
}

void TNewTaskWizard::SaveTask() {
  if (!task_) return;
  try {
    task_->Deactivate(true);
  } catch (...) {
    RemoveWrittenFiles();  // the task is not saved: its file would only lie around
    throw;
  }
  writtenFiles_.clear();  // the saved task's file stays
}

void TNewTaskWizard::CancelTask() {
  // Task files of tasks that are never saved would only lie around.
  RemoveWrittenFiles();
  if (!task_) return;
  task_ = nullptr;
  scheduler_.Refresh();
}

std::pair<bool, TTaskItem*> RunNewTaskWizard(TTaskScheduler& scheduler, const TaskWizardSources& sources,
                                             QWidget* parent) {
  TNewTaskWizard wizard(scheduler, sources, parent);
  const bool finished = wizard.exec() == QDialog::Accepted;
  if (finished)
    wizard.SaveTask();
  else
    wizard.CancelTask();
  return {finished, finished ? wizard.Task() : nullptr};
}
