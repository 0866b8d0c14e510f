#include <ctime>

#include "schedule/task_scheduler.h"
#include "schedule/task_status.h"

namespace {

std::string Utf8(const QString& text) { return text.toStdString(); }
QString FromUtf8(const std::string& text) { return QString::fromStdString(text); }

QDateTime LocalTime(const std::optional<std::time_t>& at) {
  return at ? QDateTime::fromSecsSinceEpoch(static_cast<qint64>(*at)) : QDateTime();
}

}  // namespace

TTaskItem::TTaskItem(TTaskScheduler* owner, const QString& name)
    : owner_(owner), name_(name), triggers_(this) {}

TTaskItem::~TTaskItem() = default;

QString TTaskItem::DisplayName() const {
  if (name_.endsWith(QStringLiteral(".job"), Qt::CaseInsensitive)) return name_.left(name_.size() - 4);
  return name_;
}

void TTaskItem::RequireActivated() const {
  if (!working_)
    throw ETaskError(QStringLiteral("Task \"%1\" is not activated.").arg(DisplayName()));
}

schedule::TaskRecord& TTaskItem::Record() {
  RequireActivated();
  return *working_;
}

const schedule::TaskRecord& TTaskItem::Record() const {
  RequireActivated();
  return *working_;
}

void TTaskItem::Activate() {
  if (!owner_->Active()) throw ESchedulerError(QStringLiteral("Task Scheduler service is not running."));
  working_.reset();
  dirty_ = false;
  std::optional<schedule::TaskRecord> stored = owner_->Backend().Load(Utf8(name_));
  if (!stored)
    throw ESchedulerError(QStringLiteral("Could not activate \"%1\" task.").arg(DisplayName()));
  working_ = std::move(stored);
  triggers_.Load();
}

void TTaskItem::Deactivate(bool save) {
  RequireActivated();
  if (save && dirty_) {
    triggers_.Apply();
    owner_->Backend().Save(*working_);
  }
  working_.reset();
  dirty_ = false;
}

// ---- properties ----

QString TTaskItem::ApplicationName() const { return FromUtf8(Record().applicationName); }
void TTaskItem::SetApplicationName(const QString& value) {
  Record().applicationName = Utf8(value);
  MarkChanged();
}
QString TTaskItem::Parameters() const { return FromUtf8(Record().parameters); }
void TTaskItem::SetParameters(const QString& value) {
  Record().parameters = Utf8(value);
  MarkChanged();
}
QString TTaskItem::WorkingDirectory() const { return FromUtf8(Record().workingDirectory); }
void TTaskItem::SetWorkingDirectory(const QString& value) {
  Record().workingDirectory = Utf8(value);
  MarkChanged();
}
QString TTaskItem::Comment() const { return FromUtf8(Record().comment); }
void TTaskItem::SetComment(const QString& value) {
  Record().comment = Utf8(value);
  MarkChanged();
}
QString TTaskItem::Creator() const { return FromUtf8(Record().creator); }
void TTaskItem::SetCreator(const QString& value) {
  Record().creator = Utf8(value);
  MarkChanged();
}

TTaskFlags TTaskItem::Flags() const { return TTaskFlags::FromWord(Record().flags); }
void TTaskItem::SetFlags(const TTaskFlags& value) {
  Record().flags = value.ToWord();
  MarkChanged();
}

int TTaskItem::Priority() const {
  switch (Record().priorityClass) {
    case schedule::IDLE_PRIORITY_CLASS: return 0;
    case schedule::HIGH_PRIORITY_CLASS: return 2;
    case schedule::REALTIME_PRIORITY_CLASS: return 3;
    default: return 1;
  }
}

void TTaskItem::SetPriority(int value) {
  static constexpr schedule::DWORD kClasses[] = {schedule::IDLE_PRIORITY_CLASS, schedule::NORMAL_PRIORITY_CLASS,
                                                 schedule::HIGH_PRIORITY_CLASS, schedule::REALTIME_PRIORITY_CLASS};
  schedule::TaskRecord& record = Record();
  if (value < 0 || value > 3)
    throw ETaskError(QStringLiteral("The priority %1 is not valid.").arg(value));
  record.priorityClass = kClasses[value];
  MarkChanged();
}

schedule::DWORD TTaskItem::IdleWait() const { return Record().idleWait; }
void TTaskItem::SetIdleWait(schedule::DWORD value) {
  Record().idleWait = value;
  MarkChanged();
}

QByteArray TTaskItem::Data() const {
  const std::vector<std::uint8_t>& data = Record().data;
  return QByteArray(reinterpret_cast<const char*>(data.data()), static_cast<qsizetype>(data.size()));
}

void TTaskItem::SetData(const QByteArray& value) {
  schedule::TaskRecord& record = Record();
  if (value.isEmpty()) return;
  // The store keeps the length in 16 bits.
  if (value.size() > 65535) throw ETaskError(QStringLiteral("The data block is larger than 65535 bytes."));
  record.data.assign(value.begin(), value.end());
  MarkChanged();
}

schedule::DWORD TTaskItem::Status() const {
  const schedule::TaskRecord& record = Record();
  return schedule::TaskStatus(record, owner_->Backend().RunState(Utf8(name_)), std::time(nullptr));
}

QDateTime TTaskItem::LastRunTime() const {
  Record();
  return LocalTime(owner_->Backend().RunState(Utf8(name_)).lastRun);
}

QDateTime TTaskItem::NextRunTime() const { return LocalTime(schedule::TaskNextRun(Record(), std::time(nullptr))); }

TTriggers& TTaskItem::Triggers() {
  RequireActivated();
  return triggers_;
}

QString TTaskItem::ScheduleText() const {
  RequireActivated();
  if (triggers_.Count() == 0) return QStringLiteral("Task not scheduled");
  if (triggers_.Count() > 1) return QStringLiteral("Multiple schedule times");
  QStringList lines;
  triggers_.ListTriggerStrings(lines);
  return lines.front();
}

QString TTaskItem::Account() const { return FromUtf8(Record().account); }

void TTaskItem::Run() { owner_->Backend().Run(Record()); }

void TTaskItem::Save() {
  owner_->Backend().Save(Record());
  dirty_ = false;
}

void TTaskItem::SetAccountInformation(const QString& account, const QString& /*password: never kept*/) {
  Record().account = Utf8(account);
  MarkChanged();
}
