// The scheduled run: "-run" [task file] on the command line or handed over
// by a later start, the task file applied to the live settings, and what the
// run of a task keeps track of around its recording.
#include <unistd.h>

#include <QCheckBox>
#include <QComboBox>
#include <QDBusConnection>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QRadioButton>
#include <QSlider>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <ctime>

#include "app/task_store_choice.h"
#include "app/remote_control.h"
#include "app/tfrmmain.h"
#include "dialogs/tfrmoption.h"
#include "schedule/record_config.h"
#include "schedule/task_launch.h"
#include "schedule/task_run_state.h"
#include "schedule/task_status.h"
#include "schedule/task_unit_files.h"
#include "services/message_service.h"

namespace {

const QString kUnitPrefix = QStringLiteral("zovedu-task-");
const QString kUPowerService = QStringLiteral("org.freedesktop.UPower");
const QString kUPowerPath = QStringLiteral("/org/freedesktop/UPower");

std::string TaskIdOf(const QString& unit) {
  return unit.startsWith(kUnitPrefix) ? unit.mid(kUnitPrefix.size()).toStdString() : std::string();
}

// The task a run is for, found by its unit name in the store the task list
// uses; nullopt when it is gone or the store cannot be read.
std::optional<schedule::TaskRecord> TaskOfUnit(schedule::TaskBackend& store, const QString& unit) {
  try {
    for (const std::string& name : store.TaskNames())
      if (QString::fromStdString(schedule::UnitBaseName(name)) == unit) return store.Load(name);
  } catch (const std::exception& e) {
    qWarning("Zovedu: the task %s cannot be read: %s", qPrintable(unit), e.what());
  }
  return std::nullopt;
}

}  // namespace

bool IsRunArgument(const QString& argument) {
  return argument.compare(QLatin1String("-run"), Qt::CaseInsensitive) == 0;
}

QString FirstFreeName(const QString& path, const std::function<bool(const QString&)>& exists) {
  if (!exists(path)) return path;
  const QFileInfo info(path);
  const QString folder = info.path() == QLatin1String(".") && !path.startsWith(QLatin1String("./"))
                             ? QString()
                             : info.path() + QLatin1Char('/');
  const QString suffix = info.suffix();
  const QString base = suffix.isEmpty() ? info.fileName() : info.fileName().chopped(suffix.size() + 1);
  const QString ext = suffix.isEmpty() ? QString() : QLatin1Char('.') + suffix;
  for (int n = 2;; ++n) {
    const QString candidate = folder + base + QLatin1Char('-') + QString::number(n) + ext;
    if (!exists(candidate)) return candidate;
  }
}

void Tfrmmain::SetCommandLine(const QStringList& arguments, const QString& taskUnit) {
  FCommandLine = arguments;
  // Only a scheduled run records for a task.
  FTaskUnit = arguments.size() > 1 && IsRunArgument(arguments.at(1)) ? taskUnit : QString();
}

void Tfrmmain::RunModeCheck() {
  if (FCommandLine.size() < 2 || !IsRunArgument(FCommandLine.at(1))) return;
  if (FCommandLine.size() > 2 && QFileInfo(FCommandLine.at(2)).isFile()) ApplyTaskConfig(FCommandLine.at(2));
  PrepareTaskRun();
  btnrecClick();
  if (FRecordChannel == 0) {
    // Nothing records: later recordings are the user's own.
    FTaskUnit.clear();
    FScheduledRun = false;
    RestoreUserSplit();
  }
}

void Tfrmmain::ApplyTaskConfig(const QString& path) {
  FScheduledRun = false;
  FScheduledOutName.clear();
  const schedule::RecordConfig c = schedule::ReadRecordConfig(path);
  if (!c.outName.isEmpty()) FScheduledOutName = QDir::cleanPath(QDir::current().absoluteFilePath(c.outName));
  if (const auto format = schedule::ValidIndex(c.outFormat, cformat->count())) cformat->setCurrentIndex(*format);
  if (const auto source = schedule::ValidIndex(c.source, Rslist->count())) {
    Rslist->setCurrentIndex(*source);
    RslistChange();
  }
  if (const auto volume = schedule::ValidVolume(c.volume)) SetVolumePosition(*volume);
  if (const auto stop = schedule::ValidStopTime(c.stopTime); stop && frmoption_) {
    Tfrmoption& o = *frmoption_;
    // Kept once: a second task file in the same run keeps the user's own values.
    if (!FUserSplit) {
      SplitOptions user;
      user.stop = o.csplitstop->isChecked();
      user.newFile = o.csplitnew->isChecked();
      const auto choices = o.SplitChoiceButtons();
      for (int i = 0; i < choices.size(); ++i)
        if (choices[i]->isChecked()) user.choice = i;
      user.length = o.esplitcl->text();
      FUserSplit = user;
    }
    o.csplitstop->setChecked(true);
    o.csplitcl->setChecked(true);
    o.esplitcl->setText(QString::number(*stop));
  }
  if (!c.app.isEmpty()) {
    if (const auto why = schedule::UntrustedTaskFile(path)) {
      // Said once the recording runs, which this must never hold up.
      const QString warning = QStringLiteral("The program %1 named in the task file %2 was not started: %3.")
                                  .arg(c.app, path, *why);
      std::fprintf(stderr, "zovedu: %s\n", qPrintable(warning));
      QTimer::singleShot(0, this, [warning] { Messages().show(MsgKind::Warning, warning, MsgButtons::Ok); });
    } else {
      schedule::StartAdditionalProgram(c.app, c.par);
    }
  }
  FScheduledRun = !FScheduledOutName.isEmpty();
}

QString Tfrmmain::HandOver(const QStringList& arguments, const QString& taskUnit) {
  if (const int action = RemoteAction(RemoteCommandOf(arguments)); action >= 0) {
    // Answered once acted on; a question the action asks may outlast the
    // client's patience, and then no answer goes to it (SingleInstance).
    HotkeyMessage(action);
    return QStringLiteral("done");
  }
  if (arguments.size() < 2 || !IsRunArgument(arguments.at(1))) {
    // From the tray the way back also stops the icon's animation.
    if (TrayIcon1->isVisible()) ShowMainFrom1Click();
    if (isMinimized() || !isVisible()) showNormal();
    raise();
    activateWindow();
    return QStringLiteral("shown");
  }
  if (FRecordChannel != 0 || FStopping || FPendingRun) return QStringLiteral("busy");
  // A question or dialog is open: the run waits until it is answered, so it
  // never starts under the question nor changes what the dialog shows.
  if (HotkeyMustWait()) {
    FPendingRun = PendingRun{arguments, taskUnit};
    if (!FPendingRunTimer) {
      FPendingRunTimer = new QTimer(this);
      FPendingRunTimer->setInterval(200);
      connect(FPendingRunTimer, &QTimer::timeout, this, &Tfrmmain::RunPendingRun);
    }
    FPendingRunTimer->start();
    return QStringLiteral("waiting");
  }
  StartHandedOverRun(arguments, taskUnit);
  return FRecordChannel != 0 ? QStringLiteral("started") : QStringLiteral("failed");
}

void Tfrmmain::StartHandedOverRun(const QStringList& arguments, const QString& taskUnit) {
  // The scheduled recording takes precedence over what is playing.
  if (FPlayStream != 0) StopPlayback();
  FCommandLine = arguments;
  FTaskUnit = taskUnit;
  RunModeCheck();
}

void Tfrmmain::RunPendingRun() {
  if (!FPendingRun || HotkeyMustWait()) return;
  FPendingRunTimer->stop();
  const PendingRun run = *FPendingRun;
  FPendingRun.reset();
  if (FRecordChannel != 0) {
    std::fprintf(stderr, "zovedu: %s\n", "a recording started meanwhile; the scheduled task did not start");
    return;
  }
  StartHandedOverRun(run.arguments, run.task);
}

// Before a task's recording starts: a start the due check let through late
// records only the rest of its stop time.
void Tfrmmain::PrepareTaskRun() {
  const std::string id = TaskIdOf(FTaskUnit);
  if (id.empty()) return;
  schedule::TaskRunState state = schedule::ReadRunState(id);
  const auto planned = state.dueStart;
  if (!planned) return;
  state.dueStart.reset();
  schedule::WriteRunState(id, state);
  if (!FUserSplit || !frmoption_) return;  // no stop time from the task file
  const std::time_t late = std::time(nullptr) - *planned;
  if (late <= 0) return;
  const qint64 stop = frmoption_->esplitcl->text().toLongLong();
  frmoption_->esplitcl->setText(QString::number(std::max<qint64>(1, stop - late)));
}

void Tfrmmain::TaskRecordingStarted() {
  const std::string id = TaskIdOf(FTaskUnit);
  if (id.empty()) return;
  FTaskRecording = true;
  schedule::TaskRunState state = schedule::ReadRunState(id);
  state.lastRun = std::time(nullptr);
  state.runningPid = ::getpid();
  state.terminated = false;
  state.dueStart.reset();
  schedule::WriteRunState(id, state);
  const auto task = TaskOfUnit(*MakeTaskBackend(), FTaskUnit);
  WatchBattery(task && (task->flags & schedule::TASK_FLAG_KILL_IF_GOING_ON_BATTERIES));
}

void Tfrmmain::TaskRecordingEnded() {
  RestoreUserSplit();
  if (!FTaskRecording) return;
  FTaskRecording = false;
  WatchBattery(false);
  const QString unit = FTaskUnit;
  FTaskUnit.clear();  // the next recording is the user's own
  const std::string id = TaskIdOf(unit);
  schedule::TaskRunState state = schedule::ReadRunState(id);
  state.runningPid = 0;
  schedule::WriteRunState(id, state);
  const std::unique_ptr<schedule::TaskBackend> store = MakeTaskBackend();
  const auto task = TaskOfUnit(*store, unit);
  if (!task || !(task->flags & schedule::TASK_FLAG_DELETE_WHEN_DONE)) return;
  if (schedule::TaskNextRun(*task, std::time(nullptr))) return;
  try {
    store->Remove(task->name);
    FillTaskListAtStart();  // the list no longer shows it
  } catch (const std::exception& e) {
    qWarning("Zovedu: the finished task %s was not deleted: %s", task->name.c_str(), e.what());
  }
}

void Tfrmmain::RestoreUserSplit() {
  if (!FUserSplit || !frmoption_) return;
  Tfrmoption& o = *frmoption_;
  const SplitOptions user = *FUserSplit;
  FUserSplit.reset();
  o.esplitcl->setText(user.length);
  const auto choices = o.SplitChoiceButtons();
  if (user.choice >= 0) {
    choices[user.choice]->setChecked(true);
  } else {
    // No choice was made: the group lets none be checked again only
    // while it is not exclusive.
    for (QRadioButton* r : choices) {
      r->setAutoExclusive(false);
      r->setChecked(false);
      r->setAutoExclusive(true);
    }
  }
  o.csplitstop->setChecked(user.stop);
  o.csplitnew->setChecked(user.newFile);
}

void Tfrmmain::WatchBattery(bool on) {
  if (on == FWatchingBattery) return;
  QDBusConnection bus = QDBusConnection::systemBus();
  const QString props = QStringLiteral("org.freedesktop.DBus.Properties");
  const QString signal = QStringLiteral("PropertiesChanged");
  if (!on) {
    bus.disconnect(kUPowerService, kUPowerPath, props, signal, this,
                   SLOT(UPowerPropertiesChanged(QString, QVariantMap, QStringList)));
    FWatchingBattery = false;
    return;
  }
  // Without a system bus or UPower nothing is watched and nothing said.
  if (!bus.isConnected()) return;
  FWatchingBattery = bus.connect(kUPowerService, kUPowerPath, props, signal, this,
                                 SLOT(UPowerPropertiesChanged(QString, QVariantMap, QStringList)));
}

void Tfrmmain::UPowerPropertiesChanged(const QString& interfaceName, const QVariantMap& changed,
                                       const QStringList&) {
  if (interfaceName != kUPowerService || !FTaskRecording) return;
  const auto it = changed.find(QStringLiteral("OnBattery"));
  // The recording is stopped as by the Stop button: its file is completed.
  if (it != changed.end() && it->toBool() && FRecordChannel != 0) btnstopClick();
}
