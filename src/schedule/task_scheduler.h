// Access to scheduled tasks: the scheduler with its sorted task list, one
// task with its properties, and its triggers. A task is read and written
// only while it is activated (it then holds a working copy of the stored
// record); Deactivate(true) writes that copy when it changed.
#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "schedule/task_backend.h"
#include "schedule/task_record.h"
#include "services/app_error.h"

class TTaskScheduler;
class TTaskItem;

class ESchedulerError : public EAppError {
 public:
  using EAppError::EAppError;
};
class ETaskError : public EAppError {
 public:
  using EAppError::EAppError;
};
class ETriggerError : public EAppError {
 public:
  using EAppError::EAppError;
};
// A failing store operation, with the system's text.
class EOSError : public EAppError {
 public:
  using EAppError::EAppError;
};

// Flags in the order of the properties dialog's check list.
enum class TTaskFlag {
  tfInteractive,
  tfDeleteWhenDone,
  tfDisabled,
  tfHidden,
  tfRunOnlyIfLoggedOn,
  tfStartOnlyIfIdle,
  tfSystemRequired,
  tfKillOnIdleEnd,
  tfRestartOnIdleResume,
  tfDontStartIfOnBatteries,
  tfKillIfGoingOnBatteries,
  tfRunIfConnectedToInternet,
};
constexpr int kTaskFlagCount = 12;

// A set of TTaskFlag; converts to and from the stored flag word (bits outside
// the twelve are dropped on reading).
class TTaskFlags {
 public:
  TTaskFlags() = default;
  TTaskFlags(std::initializer_list<TTaskFlag> flags);
  static TTaskFlags FromWord(schedule::DWORD word);
  schedule::DWORD ToWord() const;
  static schedule::DWORD FlagValue(TTaskFlag flag);
  bool contains(TTaskFlag flag) const;
  void include(TTaskFlag flag);
  void exclude(TTaskFlag flag);
  bool operator==(const TTaskFlags&) const = default;

 private:
  std::uint16_t members_ = 0;  // bit i: TTaskFlag i
};

enum class TTaskDuplicate { tdError, tdActivateFirst };
enum class TPageType { ptTask, ptSchedule, ptSettings };

class TTrigger {
 public:
  schedule::TASK_TRIGGER Trigger;  // zero-filled, cbTriggerSize 48, when new

  void SetTriggerType(schedule::TASK_TRIGGER_TYPE type);
  void SetStartDate(const QDate& date);
  void SetStartTime(const QTime& time);  // seconds dropped
  void SetTypeData(const schedule::TRIGGER_TYPE_UNION& data);
  QString TriggerString() const;
};

class TTriggers {
 public:
  explicit TTriggers(TTaskItem* owner) : owner_(owner) {}
  int Count() const { return static_cast<int>(items_.size()); }
  TTrigger& Add();
  void Clear();
  TTrigger& Items(int index);  // ETriggerError "Trigger index out of bounds (%d)"
  void Load();                 // from the task's working copy
  void Apply();                // every record into the task's working copy
  void ListTriggerStrings(QStringList& list) const;

 private:
  TTaskItem* owner_;
  std::vector<std::unique_ptr<TTrigger>> items_;
};

class TTaskItem {
 public:
  TTaskItem(TTaskScheduler* owner, const QString& name);
  ~TTaskItem();
  TTaskItem(const TTaskItem&) = delete;
  TTaskItem& operator=(const TTaskItem&) = delete;

  const QString& Name() const { return name_; }
  QString DisplayName() const;
  bool Activated() const { return working_.has_value(); }
  void Activate();
  void Deactivate(bool save);

  QString ApplicationName() const;
  void SetApplicationName(const QString& value);
  QString Parameters() const;
  void SetParameters(const QString& value);
  QString WorkingDirectory() const;
  void SetWorkingDirectory(const QString& value);
  QString Comment() const;
  void SetComment(const QString& value);
  QString Creator() const;
  void SetCreator(const QString& value);
  TTaskFlags Flags() const;
  void SetFlags(const TTaskFlags& value);
  int Priority() const;  // 0 Idle, 1 Normal, 2 High, 3 Real Time
  void SetPriority(int value);
  schedule::DWORD IdleWait() const;
  void SetIdleWait(schedule::DWORD value);
  QByteArray Data() const;
  // Written only when bytes remain; at most 65535 (ETaskError beyond).
  void SetData(const QByteArray& value);
  schedule::DWORD Status() const;
  QDateTime LastRunTime() const;  // invalid: never
  QDateTime NextRunTime() const;  // invalid: none
  TTriggers& Triggers();
  QString ScheduleText() const;
  QString Account() const;
  void Run();
  void Save();
  // Keeps the account name; the password is never stored.
  void SetAccountInformation(const QString& account, const QString& password);

  // The working copy (activated items only); for the trigger collection.
  schedule::TaskRecord& Record();
  const schedule::TaskRecord& Record() const;
  void MarkChanged() { dirty_ = true; }

 private:
  friend class TTaskScheduler;
  void RequireActivated() const;
  TTaskScheduler* owner_;
  QString name_;
  std::optional<schedule::TaskRecord> working_;
  bool dirty_ = false;
  TTriggers triggers_;
};

class TTaskScheduler {
 public:
  // Takes the backend; inactive until Active is set.
  explicit TTaskScheduler(std::unique_ptr<schedule::TaskBackend> backend);
  ~TTaskScheduler();

  bool Active() const { return active_; }
  void SetActive(bool value);  // ESchedulerError when the service check fails
  bool AutoRefresh = false;
  TTaskDuplicate Duplicate = TTaskDuplicate::tdError;
  std::function<void(TTaskScheduler*, TTaskItem*, bool&)> OnBeforeTaskAdded;

  void Refresh();
  TTaskItem* FindTask(const QString& name);
  TTaskItem* AddTask(const QString& name);
  void DeleteTask(const QString& name);
  int Count() const { return static_cast<int>(tasks_.size()); }
  TTaskItem* Tasks(int index) const;  // ESchedulerError "Task index out of bounds (%d)"
  bool EnsureServiceRunning();

  schedule::TaskBackend& Backend() { return *backend_; }
  // name with ".job" appended unless it has that extension in any case
  static QString NormalizedName(const QString& name);

 private:
  bool Search(const QString& name, int& index) const;
  std::unique_ptr<schedule::TaskBackend> backend_;
  bool active_ = false;
  std::vector<std::unique_ptr<TTaskItem>> tasks_;
};
