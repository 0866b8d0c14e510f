#include "schedule/task_scheduler.h"

#include <algorithm>

namespace {

const QString kNotRunning = QStringLiteral("Task Scheduler service is not running.");

// The list order: without regard to case, ties broken with case so that
// names differing only in case keep one fixed order. Lookup uses the same
// order, so only the exact spelling compares equal.
int CompareNames(const QString& a, const QString& b) {
  const int folded = QString::compare(a, b, Qt::CaseInsensitive);
  return folded != 0 ? folded : QString::compare(a, b, Qt::CaseSensitive);
}

// Empty once the ".job" and surrounding blanks are gone, or holding a
// control character: the store cannot keep such a name.
bool ValidTaskName(const QString& normalized) {
  const QString bare = normalized.left(normalized.size() - 4).trimmed();
  if (bare.isEmpty()) return false;
  return std::none_of(normalized.begin(), normalized.end(),
                      [](QChar c) { return c.category() == QChar::Other_Control; });
}

}  // namespace

TTaskScheduler::TTaskScheduler(std::unique_ptr<schedule::TaskBackend> backend) : backend_(std::move(backend)) {}

TTaskScheduler::~TTaskScheduler() = default;

void TTaskScheduler::SetActive(bool value) {
  active_ = false;
  if (!value) return;
  if (!EnsureServiceRunning()) throw ESchedulerError(kNotRunning);
  active_ = true;
}

bool TTaskScheduler::EnsureServiceRunning() { return backend_->ServiceRunning(); }

QString TTaskScheduler::NormalizedName(const QString& name) {
  if (name.endsWith(QStringLiteral(".job"), Qt::CaseInsensitive)) return name;
  return name + QStringLiteral(".job");
}

bool TTaskScheduler::Search(const QString& name, int& index) const {
  int low = 0, high = Count() - 1;
  bool found = false;
  while (high >= low) {
    const int mid = (low + high) / 2;
    const int order = CompareNames(tasks_[static_cast<std::size_t>(mid)]->Name(), name);
    if (order < 0) {
      low = mid + 1;
    } else {
      high = mid - 1;
      if (order == 0) {
        low = mid;
        found = true;
      }
    }
  }
  index = low;
  return found;
}

void TTaskScheduler::Refresh() {
  tasks_.clear();
  if (!active_) throw ESchedulerError(kNotRunning);
  for (const std::string& stored : backend_->TaskNames()) {
    if (!backend_->Load(stored)) continue;  // gone since it was listed
    auto item = std::make_unique<TTaskItem>(this, QString::fromStdString(stored));
    bool canAdd = true;
    if (OnBeforeTaskAdded) OnBeforeTaskAdded(this, item.get(), canAdd);
    if (canAdd) tasks_.push_back(std::move(item));
  }
  std::sort(tasks_.begin(), tasks_.end(),
            [](const auto& a, const auto& b) { return CompareNames(a->Name(), b->Name()) < 0; });
}

TTaskItem* TTaskScheduler::FindTask(const QString& name) {
  if (AutoRefresh) Refresh();
  const QString normalized = NormalizedName(name);
  int index = 0;
  if (!Search(normalized, index)) {
    if (!active_) throw ESchedulerError(kNotRunning);
    if (!backend_->Load(normalized.toStdString())) return nullptr;
    tasks_.insert(tasks_.begin() + index, std::make_unique<TTaskItem>(this, normalized));
  }
  return tasks_[static_cast<std::size_t>(index)].get();
}

TTaskItem* TTaskScheduler::AddTask(const QString& name) {
  if (AutoRefresh) Refresh();
  const QString normalized = NormalizedName(name);
  if (!ValidTaskName(normalized))
    throw ETaskError(QStringLiteral("The task name \"%1\" is not valid.").arg(name));
  const QString duplicate = QStringLiteral("Task with the name \"%1\" already exists.").arg(name);
  int index = 0;
  if (Search(normalized, index)) {
    if (Duplicate == TTaskDuplicate::tdActivateFirst) return tasks_[static_cast<std::size_t>(index)].get();
    throw ETaskError(duplicate);
  }
  if (!active_) throw ESchedulerError(kNotRunning);
  auto item = std::make_unique<TTaskItem>(this, normalized);
  if (std::optional<schedule::TaskRecord> stored = backend_->Load(normalized.toStdString())) {
    // Stored but not listed (filtered out, or the list is old).
    if (Duplicate != TTaskDuplicate::tdActivateFirst) throw ETaskError(duplicate);
    item->working_ = std::move(stored);  // activated; its triggers stay unread
  } else {
    schedule::TaskRecord fresh;
    fresh.name = normalized.toStdString();
    fresh.flags = schedule::TASK_FLAG_DONT_START_IF_ON_BATTERIES | schedule::TASK_FLAG_KILL_IF_GOING_ON_BATTERIES;
    item->working_ = std::move(fresh);
    item->dirty_ = true;  // exists only here until saved
  }
  tasks_.insert(tasks_.begin() + index, std::move(item));
  return tasks_[static_cast<std::size_t>(index)].get();
}

void TTaskScheduler::DeleteTask(const QString& name) {
  const QString normalized = NormalizedName(name);
  int index = 0;
  if (Search(normalized, index)) tasks_.erase(tasks_.begin() + index);
  if (!active_) throw ESchedulerError(kNotRunning);
  backend_->Remove(normalized.toStdString());
}

TTaskItem* TTaskScheduler::Tasks(int index) const {
  if (index < 0 || index >= Count())
    throw ESchedulerError(QStringLiteral("Task index out of bounds (%1)").arg(index));
  return tasks_[static_cast<std::size_t>(index)].get();
}
