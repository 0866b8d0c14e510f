// The scheduler's sorted list: names, lookup, adding, deleting.
#include <QStringList>

#include "scheduler_fixture.h"

namespace zovedu_test {
namespace {

using Names = std::vector<QString>;

TEST(TaskNames, NormalisedAndDisplayed) {
  struct Case {
    const char* given;
    const char* normalized;
    const char* display;
  };
  const Case cases[] = {
      {"Rec", "Rec.job", "Rec"},          {"Rec.job", "Rec.job", "Rec"},
      {"Rec.JOB", "Rec.JOB", "Rec"},      {"Rec.jOb", "Rec.jOb", "Rec"},
      {"Rec.jobs", "Rec.jobs.job", "Rec.jobs"}, {"a.job.txt", "a.job.txt.job", "a.job.txt"},
      {"job", "job.job", "job"},          {"Nächte", "Nächte.job", "Nächte"},
  };
  for (const Case& c : cases) {
    const QString normalized = TTaskScheduler::NormalizedName(QString::fromUtf8(c.given));
    EXPECT_EQ(normalized, QString::fromUtf8(c.normalized)) << c.given;
    EXPECT_EQ(TTaskItem(nullptr, normalized).DisplayName(), QString::fromUtf8(c.display)) << c.given;
  }
  // A stored name without the extension is shown unchanged.
  EXPECT_EQ(TTaskItem(nullptr, "Plain").DisplayName(), "Plain");
}

class TaskList : public SchedulerFixture {};

TEST_F(TaskList, SortedWithoutCaseAndFoundOnlyByExactSpelling) {
  for (const char* name : {"beta.job", "alpha.job", "Gamma.job", "Alpha.job", "delta.job"}) Store(name);
  scheduler->Refresh();
  EXPECT_EQ(ListedNames(), (Names{"Alpha.job", "alpha.job", "beta.job", "delta.job", "Gamma.job"}));

  // Every spelling finds its own item, with or without the extension.
  for (int i = 0; i < scheduler->Count(); ++i) {
    TTaskItem* item = scheduler->Tasks(i);
    EXPECT_EQ(scheduler->FindTask(item->DisplayName()), item);
    EXPECT_EQ(scheduler->FindTask(item->Name()), item);
  }
  EXPECT_EQ(scheduler->FindTask("ALPHA"), nullptr);
  EXPECT_EQ(scheduler->FindTask("gamma"), nullptr);
  EXPECT_EQ(scheduler->Count(), 5);

  // A spelling that appears in the store later is inserted next to its
  // neighbours in case; new names land at their place; the order holds.
  Store("ALPHA.job");
  Store("epsilon.job");
  Store("aa.job");
  TTaskItem* upper = scheduler->FindTask("ALPHA");
  ASSERT_NE(upper, nullptr);
  EXPECT_EQ(upper->Name(), "ALPHA.job");
  ASSERT_NE(scheduler->FindTask("epsilon"), nullptr);
  ASSERT_NE(scheduler->FindTask("aa"), nullptr);
  EXPECT_EQ(scheduler->AddTask("Zulu")->Name(), "Zulu.job");
  EXPECT_EQ(scheduler->AddTask("Beta")->Name(), "Beta.job");
  EXPECT_EQ(ListedNames(), (Names{"aa.job", "ALPHA.job", "Alpha.job", "alpha.job", "Beta.job", "beta.job",
                                  "delta.job", "epsilon.job", "Gamma.job", "Zulu.job"}));
}

TEST_F(TaskList, FilterKeepsTasksOutAndMayActivateThem) {
  Store("Mine.job");
  Store("Other.job", "Someone else");
  scheduler->OnBeforeTaskAdded = [](TTaskScheduler*, TTaskItem* task, bool& canAdd) {
    task->Activate();
    canAdd = task->Creator() == "Zovedu";
    task->Deactivate(false);
  };
  scheduler->Refresh();
  EXPECT_EQ(ListedNames(), Names{"Mine.job"});
  EXPECT_FALSE(scheduler->Tasks(0)->Activated());
  EXPECT_TRUE(store->saveLog.empty());
}

TEST_F(TaskList, AddTaskOfExistingNameFollowsDuplicateMode) {
  enum Where { kListed, kFilteredOut, kStoredAfterRefresh };
  struct Case {
    Where where;
    TTaskDuplicate mode;
  };
  for (const Case c : {Case{kListed, TTaskDuplicate::tdError}, Case{kFilteredOut, TTaskDuplicate::tdError},
                       Case{kStoredAfterRefresh, TTaskDuplicate::tdError}, Case{kListed, TTaskDuplicate::tdActivateFirst},
                       Case{kFilteredOut, TTaskDuplicate::tdActivateFirst},
                       Case{kStoredAfterRefresh, TTaskDuplicate::tdActivateFirst}}) {
    SCOPED_TRACE(testing::Message() << "where " << c.where << " mode " << static_cast<int>(c.mode));
    store->tasks.clear();
    scheduler->OnBeforeTaskAdded = nullptr;
    Store("Other.job");
    if (c.where != kStoredAfterRefresh) Store("Rec.job").comment = "kept";
    if (c.where == kFilteredOut)
      scheduler->OnBeforeTaskAdded = [](TTaskScheduler*, TTaskItem* t, bool& canAdd) { canAdd = t->Name() != "Rec.job"; };
    scheduler->Refresh();
    if (c.where == kStoredAfterRefresh) Store("Rec.job").comment = "kept";
    scheduler->Duplicate = c.mode;
    const int before = scheduler->Count();

    if (c.mode == TTaskDuplicate::tdError) {
      EXPECT_EQ(MessageOf<ETaskError>([&] { scheduler->AddTask("Rec"); }),
                "Task with the name \"Rec\" already exists.");
      EXPECT_EQ(scheduler->Count(), before);
    } else if (c.where == kListed) {
      TTaskItem* listed = scheduler->FindTask("Rec");
      EXPECT_EQ(scheduler->AddTask("Rec.job"), listed);
      EXPECT_FALSE(listed->Activated());  // returned as it is
    } else {
      TTaskItem* added = scheduler->AddTask("Rec");
      ASSERT_TRUE(added->Activated());
      EXPECT_EQ(added->Comment(), "kept");
      EXPECT_EQ(added->Triggers().Count(), 0);  // not read on this path
      EXPECT_EQ(ListedNames(), (Names{"Other.job", "Rec.job"}));
    }
    EXPECT_EQ(store->tasks.at("Rec.job").comment, "kept");
  }
}

TEST_F(TaskList, NewTaskLivesInMemoryUntilSaved) {
  TTaskItem* task = scheduler->AddTask("Evening");
  ASSERT_TRUE(task->Activated());
  EXPECT_EQ(task->Flags().ToWord(), 0xC0u);
  EXPECT_EQ(task->Triggers().Count(), 0);
  task->Deactivate(false);
  EXPECT_TRUE(store->tasks.empty());
  scheduler->Refresh();
  EXPECT_EQ(scheduler->Count(), 0);

  // Dropped by a rebuild of the list while still activated.
  scheduler->AddTask("Evening")->SetComment("draft");
  scheduler->Refresh();
  EXPECT_TRUE(store->tasks.empty());
  EXPECT_TRUE(store->saveLog.empty());

  // Saved with nothing changed after AddTask: written with its battery flags.
  task = scheduler->AddTask("Evening");
  task->Triggers().Add().SetTriggerType(schedule::TASK_EVENT_TRIGGER_AT_LOGON);
  task->Deactivate(true);
  ASSERT_EQ(store->tasks.count("Evening.job"), 1u);
  const schedule::TaskRecord& saved = store->tasks.at("Evening.job");
  EXPECT_EQ(saved.flags, 0xC0u);
  ASSERT_EQ(saved.triggers.size(), 1u);
  EXPECT_EQ(saved.triggers[0].TriggerType, schedule::TASK_EVENT_TRIGGER_AT_LOGON);
  EXPECT_EQ(saved.triggers[0].cbTriggerSize, 48);
}

TEST_F(TaskList, NamesRefusedOrKeptAsTyped) {
  for (const char* bad : {"", "   ", ".job", " .JOB", "a\tb", "line\nbreak", "bell\x07", "del\x7f"}) {
    EXPECT_EQ(MessageOf<ETaskError>([&] { scheduler->AddTask(QString::fromUtf8(bad)); }),
              QStringLiteral("The task name \"%1\" is not valid.").arg(QString::fromUtf8(bad)))
        << bad;
  }
  EXPECT_EQ(scheduler->Count(), 0);
  const QStringList good = {"say \"hi\"", "a/b", "back\\slash", "100% %1 %s", "$HOME", "Größe 10:00"};
  for (const QString& name : good) scheduler->AddTask(name)->Deactivate(true);
  scheduler->Refresh();
  for (const QString& name : good) {
    TTaskItem* task = scheduler->FindTask(name);
    ASSERT_NE(task, nullptr) << name.toStdString();
    EXPECT_EQ(task->DisplayName(), name);
  }
}

TEST_F(TaskList, DeleteLeavesListEvenWhenStoreRefuses) {
  Store("A.job");
  Store("B.job");
  scheduler->Refresh();
  scheduler->DeleteTask("A");
  EXPECT_EQ(ListedNames(), Names{"B.job"});
  EXPECT_EQ(store->tasks.count("A.job"), 0u);

  store->removeError = "Permission denied";
  EXPECT_EQ(MessageOf<EOSError>([&] { scheduler->DeleteTask("B.job"); }), "Permission denied");
  EXPECT_EQ(scheduler->Count(), 0);
  EXPECT_EQ(store->tasks.count("B.job"), 1u);

  store->removeError.reset();
  EXPECT_FALSE(MessageOf<EOSError>([&] { scheduler->DeleteTask("Never there"); }).isEmpty());
}

TEST_F(TaskList, AutoRefreshSeesTheStore) {
  scheduler->AutoRefresh = true;
  EXPECT_EQ(scheduler->Count(), 0);
  Store("Late.job");
  EXPECT_NE(scheduler->FindTask("Late"), nullptr);
  store->tasks.clear();
  EXPECT_EQ(scheduler->FindTask("Late"), nullptr);
  EXPECT_EQ(scheduler->Count(), 0);
}

TEST_F(TaskList, SchedulerErrors) {
  Store("A.job");
  scheduler->Refresh();
  TTaskItem* task = scheduler->Tasks(0);
  EXPECT_EQ(MessageOf<ESchedulerError>([&] { scheduler->Tasks(1); }), "Task index out of bounds (1)");
  EXPECT_EQ(MessageOf<ESchedulerError>([&] { scheduler->Tasks(-1); }), "Task index out of bounds (-1)");

  store->tasks.clear();
  EXPECT_EQ(MessageOf<ESchedulerError>([&] { task->Activate(); }), "Could not activate \"A\" task.");
  EXPECT_FALSE(task->Activated());

  const QString notRunning = "Task Scheduler service is not running.";
  scheduler->SetActive(false);
  EXPECT_EQ(MessageOf<ESchedulerError>([&] { task->Activate(); }), notRunning);
  EXPECT_EQ(MessageOf<ESchedulerError>([&] { scheduler->Refresh(); }), notRunning);
  EXPECT_EQ(scheduler->Count(), 0);  // emptied before the check

  store->serviceRunning = false;
  EXPECT_EQ(MessageOf<ESchedulerError>([&] { scheduler->SetActive(true); }), notRunning);
  EXPECT_FALSE(scheduler->Active());
  store->serviceRunning = true;
  scheduler->SetActive(true);
  EXPECT_TRUE(scheduler->Active());
}

}  // namespace
}  // namespace zovedu_test
