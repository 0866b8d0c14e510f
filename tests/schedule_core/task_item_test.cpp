// One task: activation, its properties, when it is written, its triggers.
#include <QStringList>
#include <functional>
#include <unistd.h>

#include "scheduler_fixture.h"
#include "schedule/task_status.h"

namespace zovedu_test {
namespace {

class TaskItem : public SchedulerFixture {
 protected:
  TTaskItem* Listed(const std::string& name) {
    Store(name);
    scheduler->Refresh();
    return scheduler->FindTask(QString::fromStdString(name));
  }
};

TEST_F(TaskItem, DeactivateWritesOnlyWhatChanged) {
  struct Case {
    const char* what;
    std::function<void(TTaskItem&)> change;
    bool written;
  };
  const Case cases[] = {
      {"nothing", [](TTaskItem&) {}, false},
      {"trigger record edited in place", [](TTaskItem& t) { t.Triggers().Items(0).Trigger.wStartHour = 7; }, false},
      {"empty data", [](TTaskItem& t) { t.SetData(QByteArray()); }, false},
      {"comment set to its own value", [](TTaskItem& t) { t.SetComment(t.Comment()); }, true},
      {"data", [](TTaskItem& t) { t.SetData("abc"); }, true},
      {"trigger added", [](TTaskItem& t) { t.Triggers().Add(); }, true},
      {"triggers cleared", [](TTaskItem& t) { t.Triggers().Clear(); }, true},
      {"account", [](TTaskItem& t) { t.SetAccountInformation("ann", "secret"); }, true},
  };
  TTaskItem* task = Listed("Rec.job");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    store->saveLog.clear();
    task->Activate();
    c.change(*task);
    task->Deactivate(true);
    EXPECT_FALSE(task->Activated());
    EXPECT_EQ(store->saveLog.size(), c.written ? 1u : 0u);
  }
  // What was written: the applied trigger list, the account without password.
  const schedule::TaskRecord& saved = store->tasks.at("Rec.job");
  EXPECT_TRUE(saved.triggers.empty());
  EXPECT_EQ(saved.account, "ann");
  EXPECT_EQ(saved.data, (std::vector<std::uint8_t>{'a', 'b', 'c'}));

  // Deactivate(false) forgets changes; Save writes the copy as it is,
  // without the trigger collection, and counts as written.
  task->Activate();
  task->SetComment("changed");
  task->Deactivate(false);
  EXPECT_EQ(store->tasks.at("Rec.job").comment, "");
  task->Activate();
  task->Triggers().Add();
  task->SetComment("saved");
  task->Save();
  EXPECT_EQ(store->tasks.at("Rec.job").comment, "saved");
  EXPECT_TRUE(store->tasks.at("Rec.job").triggers.empty());
  store->saveLog.clear();
  task->Deactivate(true);
  EXPECT_TRUE(store->saveLog.empty());
}

TEST_F(TaskItem, FailedWriteKeepsTheWorkingCopy) {
  TTaskItem* task = Listed("Rec.job");
  task->Activate();
  task->SetComment("new");
  store->saveError = "No space left on device";
  EXPECT_EQ(MessageOf<EOSError>([&] { task->Deactivate(true); }), "No space left on device");
  EXPECT_EQ(MessageOf<EOSError>([&] { task->Save(); }), "No space left on device");
  ASSERT_TRUE(task->Activated());
  store->saveError.reset();
  task->Deactivate(true);
  EXPECT_EQ(store->tasks.at("Rec.job").comment, "new");
}

TEST_F(TaskItem, EveryAccessNeedsActivation) {
  TTaskItem* task = Listed("Rec.job");
  const std::pair<const char*, std::function<void()>> actions[] = {
      {"ApplicationName", [&] { task->ApplicationName(); }},
      {"SetComment", [&] { task->SetComment("x"); }},
      {"Flags", [&] { task->Flags(); }},
      {"SetPriority", [&] { task->SetPriority(1); }},
      {"SetData", [&] { task->SetData("x"); }},
      {"Status", [&] { task->Status(); }},
      {"LastRunTime", [&] { task->LastRunTime(); }},
      {"NextRunTime", [&] { task->NextRunTime(); }},
      {"Triggers", [&] { task->Triggers(); }},
      {"ScheduleText", [&] { task->ScheduleText(); }},
      {"Run", [&] { task->Run(); }},
      {"Save", [&] { task->Save(); }},
      {"Deactivate", [&] { task->Deactivate(false); }},
      {"SetAccountInformation", [&] { task->SetAccountInformation("a", ""); }},
  };
  for (const auto& [what, action] : actions)
    EXPECT_EQ(MessageOf<ETaskError>(action), "Task \"Rec\" is not activated.") << what;
  EXPECT_TRUE(store->saveLog.empty());
  EXPECT_TRUE(store->runLog.empty());
}

TEST_F(TaskItem, PriorityFlagsAndDataConversions) {
  TTaskItem* task = scheduler->AddTask("Rec");
  const std::pair<schedule::DWORD, int> reads[] = {{0x40, 0}, {0x20, 1}, {0x80, 2}, {0x100, 3}, {0, 1}, {0x8000, 1}};
  for (const auto& [stored, index] : reads) {
    task->Record().priorityClass = stored;
    EXPECT_EQ(task->Priority(), index) << stored;
  }
  const schedule::DWORD writes[] = {0x40, 0x20, 0x80, 0x100};
  for (int index = 0; index < 4; ++index) {
    task->SetPriority(index);
    EXPECT_EQ(task->Record().priorityClass, writes[index]);
  }

  // Each member maps to its own bit; bits outside the table are dropped.
  schedule::DWORD all = 0;
  for (int i = 0; i < kTaskFlagCount; ++i) {
    const TTaskFlag flag = static_cast<TTaskFlag>(i);
    const schedule::DWORD bit = TTaskFlags::FlagValue(flag);
    EXPECT_EQ(TTaskFlags{flag}.ToWord(), bit);
    EXPECT_TRUE(TTaskFlags::FromWord(bit).contains(flag));
    EXPECT_EQ(all & bit, 0u);
    all |= bit;
  }
  EXPECT_EQ(all, 0x3EF7u);
  EXPECT_EQ(TTaskFlags::FromWord(0xFFFFFFFF).ToWord(), all);
  task->SetFlags(TTaskFlags{TTaskFlag::tfDisabled, TTaskFlag::tfHidden});
  EXPECT_EQ(task->Record().flags, 0x204u);

  task->SetData("first");
  task->SetData(QByteArray());  // nothing to write: kept
  EXPECT_EQ(task->Data(), "first");
  task->SetData(QByteArray(65535, 'x'));
  EXPECT_EQ(task->Data().size(), 65535);
  EXPECT_EQ(MessageOf<ETaskError>([&] { task->SetData(QByteArray(65536, 'y')); }),
            "The data block is larger than 65535 bytes.");
  EXPECT_EQ(task->Data().size(), 65535);
}

TEST_F(TaskItem, TriggerListsAndScheduleText) {
  TTaskItem* task = scheduler->AddTask("Rec");
  TTriggers& triggers = task->Triggers();
  QStringList lines{"stale"};
  triggers.ListTriggerStrings(lines);
  EXPECT_EQ(lines, QStringList{"<Task not scheduled>"});
  EXPECT_EQ(task->ScheduleText(), "Task not scheduled");

  TTrigger& daily = triggers.Add();
  daily.SetTriggerType(schedule::TASK_TIME_TRIGGER_DAILY);
  daily.SetStartDate(QDate(2026, 12, 10));
  daily.SetStartTime(QTime(9, 5, 59));
  daily.Trigger.Type.Daily.DaysInterval = 1;
  triggers.ListTriggerStrings(lines);
  EXPECT_EQ(lines, QStringList{"At 09:05 every day, starting 10.12.2026"});
  EXPECT_EQ(task->ScheduleText(), lines.front());

  triggers.Add().SetTriggerType(schedule::TASK_EVENT_TRIGGER_AT_LOGON);
  triggers.Add().SetTriggerType(schedule::TASK_EVENT_TRIGGER_AT_SYSTEMSTART);
  triggers.ListTriggerStrings(lines);
  EXPECT_EQ(lines, (QStringList{"1. At 09:05 every day, starting 10.12.2026", "2. At logon", "3. At system startup"}));
  EXPECT_EQ(task->ScheduleText(), "Multiple schedule times");

  EXPECT_EQ(MessageOf<ETriggerError>([&] { triggers.Items(3); }), "Trigger index out of bounds (3)");
  EXPECT_EQ(MessageOf<ETriggerError>([&] { triggers.Items(-1); }), "Trigger index out of bounds (-1)");

  // The type part is copied whole; a loaded record comes back byte for byte.
  schedule::TRIGGER_TYPE_UNION data;
  std::memset(static_cast<void*>(&data), 0xA5, sizeof data);
  triggers.Items(1).SetTypeData(data);
  task->Deactivate(true);
  task->Activate();
  EXPECT_EQ(task->Triggers().Count(), 3);
  EXPECT_EQ(std::memcmp(&task->Triggers().Items(1).Trigger.Type, &data, sizeof data), 0);
  EXPECT_EQ(task->Triggers().Items(0).Trigger.wStartHour, 9);
  EXPECT_EQ(task->Record(), store->tasks.at("Rec.job"));
}

TEST_F(TaskItem, RunTimesStatusAndRunComeFromTheStore) {
  TTaskItem* task = Listed("Rec.job");
  task->Activate();
  EXPECT_FALSE(task->LastRunTime().isValid());
  EXPECT_FALSE(task->NextRunTime().isValid());  // logon trigger only
  EXPECT_EQ(task->Status(), schedule::SCHED_S_TASK_HAS_NOT_RUN);

  store->runStates["Rec.job"].lastRun = 1700000000;
  EXPECT_EQ(task->LastRunTime().toSecsSinceEpoch(), 1700000000);
  EXPECT_EQ(task->Status(), schedule::SCHED_S_TASK_READY);
  store->runStates["Rec.job"].runningPid = ::getpid();
  EXPECT_EQ(task->Status(), schedule::SCHED_S_TASK_RUNNING);

  TTrigger& tomorrow = task->Triggers().Add();
  tomorrow.SetTriggerType(schedule::TASK_TIME_TRIGGER_ONCE);
  const QDateTime at = QDateTime::currentDateTime().addDays(1);
  tomorrow.SetStartDate(at.date());
  tomorrow.SetStartTime(at.time());
  task->Triggers().Apply();
  EXPECT_EQ(task->NextRunTime(), QDateTime(at.date(), QTime(at.time().hour(), at.time().minute())));

  task->Run();
  EXPECT_EQ(store->runLog, std::vector<std::string>{"Rec.job"});
}

}  // namespace
}  // namespace zovedu_test
