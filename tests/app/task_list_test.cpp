// The task panel of the main window over a store kept in memory: which
// tasks it lists, and what delete, disable and run do to the store.
#include <QTemporaryDir>
#include <QTreeWidget>

#include "app/single_instance.h"

#include "app/task_store_choice.h"
#include "main_window_fixture.h"
#include "schedule/in_memory_backend.h"
#include "schedule/task_status.h"

namespace {

// The window owns its scheduler's store; the test keeps looking at it
// through this forwarder.
class SharedStore : public schedule::TaskBackend {
 public:
  explicit SharedStore(schedule::InMemoryBackend& store) : store_(store) {}
  bool ServiceRunning() override { return store_.ServiceRunning(); }
  std::vector<std::string> TaskNames() override { return store_.TaskNames(); }
  std::optional<schedule::TaskRecord> Load(const std::string& n) override { return store_.Load(n); }
  void Save(const schedule::TaskRecord& t) override { store_.Save(t); }
  void Remove(const std::string& n) override { store_.Remove(n); }
  void Run(const schedule::TaskRecord& t) override { store_.Run(t); }
  schedule::TaskRunState RunState(const std::string& n) override { return store_.RunState(n); }

 private:
  schedule::InMemoryBackend& store_;
};

class TaskListTest : public MainWindowTest {
 public:
  void SetUp() override {
    MainWindowTest::SetUp();
    SetTaskBackendFactory([this] { return std::make_unique<SharedStore>(store); });
  }
  void TearDown() override {
    MainWindowTest::TearDown();
    SetTaskBackendFactory({});
  }
  void Store(const std::string& name, const std::string& creator, schedule::DWORD flags = 0) {
    schedule::TaskRecord record;
    record.name = name;
    record.creator = creator;
    record.flags = flags;
    record.applicationName = "/usr/bin/zovedu";
    record.triggers.resize(1);
    record.triggers[0].TriggerType = schedule::TASK_EVENT_TRIGGER_AT_LOGON;
    store.tasks[name] = record;
  }
  QStringList Rows(const Tfrmmain& w, int column = 0) const {
    QStringList rows;
    for (int i = 0; i < w.tasklist->topLevelItemCount(); ++i) rows << w.tasklist->topLevelItem(i)->text(column);
    return rows;
  }
  void Select(Tfrmmain& w, int row) {
    w.tasklist->setCurrentItem(w.tasklist->topLevelItem(row));
    w.tasklistClick();
  }
  schedule::InMemoryBackend store;
};

TEST_F(TaskListTest, ListsOnlyThisProgramsTasksInNameOrder) {
  Store("record b.job", "Zovedu");
  Store("Record A.job", "Zovedu");
  Store("other.job", "zovedu");  // differs in capitals only: not ours
  Store("cron.job", "Someone");
  Tfrmmain& w = Open();
  EXPECT_EQ(Rows(w), (QStringList{"Record A", "record b"}));
  EXPECT_EQ(Rows(w, 1), (QStringList{"At logon", "At logon"}));
  EXPECT_EQ(Rows(w, 2), (QStringList{"Has not run", "Has not run"}));
  EXPECT_FALSE(w.btnedittask->isEnabled());
  Select(w, 0);
  EXPECT_TRUE(w.btnedittask->isEnabled() && w.btndeltask->isEnabled() && w.btnruntask->isEnabled());
}

TEST_F(TaskListTest, DeleteAsksAndRemovesTheSelectedTask) {
  Store("Record A.job", "Zovedu");
  Store("Record B.job", "Zovedu");
  Tfrmmain& w = Open();
  Select(w, 0);
  messages.answer(MsgAnswer::No);
  w.DeleteTask1Click();
  EXPECT_EQ(store.tasks.size(), 2u);

  messages.answer(MsgAnswer::Yes);
  w.DeleteTask1Click();
  EXPECT_EQ(store.tasks.count("Record A.job"), 0u);
  EXPECT_EQ(Rows(w), QStringList{"Record B"});
  EXPECT_EQ(messages.shown.back().text, "Are you sure you want to delete the selected task(s)?");
}

TEST_F(TaskListTest, AFailedDeleteNamesTheTaskAndKeepsItListed) {
  Store("Record A.job", "Zovedu");
  Tfrmmain& w = Open();
  Select(w, 0);
  store.removeError = "Permission denied";
  messages.answer(MsgAnswer::Yes);
  w.DeleteTask1Click();
  EXPECT_EQ(Rows(w), QStringList{"Record A"});
  EXPECT_TRUE(messages.shown.back().text.contains("Record A: Permission denied")) << messages.shown.back().text.toStdString();
}

TEST_F(TaskListTest, DisableTogglesAndTheRowFollows) {
  Store("Record A.job", "Zovedu");
  Tfrmmain& w = Open();
  Select(w, 0);
  w.Disable1Click();
  EXPECT_TRUE(store.tasks["Record A.job"].flags & schedule::TASK_FLAG_DISABLED);
  EXPECT_EQ(Rows(w, 2), QStringList{"Disabled"});
  w.Disable1Click();
  EXPECT_FALSE(store.tasks["Record A.job"].flags & schedule::TASK_FLAG_DISABLED);
  EXPECT_EQ(Rows(w, 2), QStringList{"Has not run"});
}

TEST_F(TaskListTest, RunTaskStartsItFreesTheInstanceAndCloses) {
  Store("Record A.job", "Zovedu");
  Tfrmmain& w = Open();
  bool released = false;
  w.ReleaseInstance = [&released] { released = true; };
  Select(w, 0);
  w.RunTask1Click();
  EXPECT_EQ(store.runLog, std::vector<std::string>{"Record A.job"});
  EXPECT_TRUE(released);
  EXPECT_FALSE(w.isVisible());
  EXPECT_TRUE(messages.shown.empty());  // no closing question
}

// When the run cannot be started, this program takes the single-instance
// socket back and stays open: later starts still find it.
TEST_F(TaskListTest, ARunTaskThatFailsKeepsTheInstanceAndTheWindow) {
  QTemporaryDir runtime;
  const QByteArray savedRuntime = qgetenv("XDG_RUNTIME_DIR");
  qputenv("XDG_RUNTIME_DIR", runtime.path().toUtf8());
  Store("Record A.job", "Zovedu");
  Tfrmmain& w = Open();
  SingleInstance instance;
  const SingleInstance::Request self{{"zovedu"}, QString()};
  ASSERT_FALSE(instance.Acquire(self).has_value());
  ASSERT_TRUE(instance.Listening());
  w.ReleaseInstance = [&] { instance.Release(); };
  w.ReacquireInstance = [&] { instance.Acquire(self); };
  store.runError = "systemd-run: failed";
  Select(w, 0);
  EXPECT_THROW(w.RunTask1Click(), std::exception);
  EXPECT_TRUE(instance.Listening());
  EXPECT_TRUE(w.isVisible());
  qputenv("XDG_RUNTIME_DIR", savedRuntime);
}

TEST_F(TaskListTest, WithoutAServiceManagerTheProgramStartsAndThePanelSaysSo) {
  store.serviceRunning = false;
  Tfrmmain& w = Open();
  EXPECT_TRUE(messages.shown.empty());
  w.btnschedule->click();
  ASSERT_FALSE(messages.shown.empty());
  EXPECT_EQ(messages.shown.back().text, "Task Scheduler service is not running.");
}

}  // namespace
