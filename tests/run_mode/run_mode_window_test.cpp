// The window's run mode: which command lines start it, a task file applied
// key by key, the stop time on the recording clock with the user's split
// options back afterwards, a daily task's file never replacing yesterday's,
// the task's run state and late start, the battery stop, deleting a finished
// task, and what another start hands over.
#include <gtest/gtest.h>

#include <QDir>
#include <QLineEdit>
#include <QTimer>
#include <sys/stat.h>
#include <QTimeZone>
#include <QRadioButton>

#include "app/recording_window_fixture.h"
#include "app/task_store_choice.h"
#include "schedule/in_memory_backend.h"
#include "services/clock.h"
#include "settings/ini_file.h"
#include "support/wav_file.h"
#include "schedule/task_run_state.h"
#include "schedule/task_unit_files.h"
#include "schedule_systemd/task_triggers_for_tests.h"

namespace {

TEST(RunArgument, OnlyTheWholeSwitchInAnyCase) {
  const std::pair<const char*, bool> cases[] = {
      {"-run", true}, {"-RUN", true}, {"-Run", true}, {"-runx", false}, {"/run", false}, {"run", false}, {"", false}};
  for (const auto& [arg, expected] : cases) EXPECT_EQ(IsRunArgument(arg), expected) << arg;
}

TEST(FirstFreeName, TakesTheFirstFreeNumberFromTwo) {
  const QStringList taken = {"/m/show.mp3", "/m/show-2.mp3", "/m/noext", "/m/a.b/c.tar.gz"};
  const auto exists = [&](const QString& p) { return taken.contains(p); };
  const std::pair<const char*, const char*> cases[] = {
      {"/m/new.mp3", "/m/new.mp3"},
      {"/m/show.mp3", "/m/show-3.mp3"},
      {"/m/noext", "/m/noext-2"},
      {"/m/a.b/c.tar.gz", "/m/a.b/c.tar-2.gz"},
  };
  for (const auto& [path, expected] : cases) EXPECT_EQ(FirstFreeName(path, exists), expected) << path;
}

// Every store the window makes is this one store, so that what a run
// removes can be seen.
class SharedStore : public schedule::TaskBackend {
 public:
  explicit SharedStore(schedule::InMemoryBackend& store) : store_(store) {}
  bool ServiceRunning() override { return store_.ServiceRunning(); }
  std::vector<std::string> TaskNames() override { return store_.TaskNames(); }
  std::optional<schedule::TaskRecord> Load(const std::string& name) override { return store_.Load(name); }
  void Save(const schedule::TaskRecord& task) override { store_.Save(task); }
  void Remove(const std::string& name) override { store_.Remove(name); }
  void Run(const schedule::TaskRecord& task) override { store_.Run(task); }
  schedule::TaskRunState RunState(const std::string& name) override { return store_.RunState(name); }

 private:
  schedule::InMemoryBackend& store_;
};

class RunModeTest : public RecordingWindowTest {
 protected:
  // Run states go to a private folder.
  void SetUp() override {
    RecordingWindowTest::SetUp();
    ASSERT_TRUE(state.isValid());
    qputenv("XDG_STATE_HOME", state.path().toUtf8());
  }
  void TearDown() override {
    RecordingWindowTest::TearDown();
    qunsetenv("XDG_STATE_HOME");
  }
  QTemporaryDir state;
  QString TaskFile(const QByteArray& keys) {
    const QString path = OutFile("Record.cfg");
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("[Record]\n" + keys);
    return path;
  }
};

TEST_F(RunModeTest, BadKeyIsSkippedAndTheRestApplied) {
  Tfrmmain& w = Open();
  w.Cvolume->setValue(70);
  const int format = w.cformat->currentIndex();
  w.ApplyTaskConfig(TaskFile("OutName=" + OutFile("show.wav").toUtf8() + "\nOutFormat=99\nSource=0\nVolume=0\n"));
  EXPECT_EQ(w.cformat->currentIndex(), format);
  EXPECT_EQ(w.Cvolume->value(), 0);
  EXPECT_TRUE(w.FScheduledRun);
  EXPECT_EQ(w.FScheduledOutName, OutFile("show.wav"));

  // Without OutName the other keys still apply, with the automatic name.
  w.ApplyTaskConfig(TaskFile("OutFormat=5\nVolume=35\nStoptime=x\n"));
  EXPECT_EQ(w.cformat->currentIndex(), 5);
  EXPECT_EQ(w.Cvolume->value(), 35);
  EXPECT_FALSE(w.FScheduledRun);
  EXPECT_FALSE(options->csplitstop->isChecked());
}

// The stop time is recording time: the program's clock jumping over
// midnight and into summer time while it records changes nothing.
TEST_F(RunModeTest, StopTimeEndsTheRecordingAndTheUserSplitComesBack) {
  const QTimeZone berlin("Europe/Berlin");
  FixedClock clock(QDateTime(QDate(2027, 3, 27), QTime(23, 59, 59), berlin));
  SetClock(&clock);
  struct RestoreClock {
    ~RestoreClock() { SetClock(nullptr); }
  } restore;
  Tfrmmain& w = Open();
  options->csplitnew->setChecked(true);
  options->csplit74->setChecked(true);
  options->esplitcl->setText("17");
  w.SetCommandLine({"zovedu", "-RUN", TaskFile("OutName=" + OutFile("show.wav").toUtf8() + "\nStoptime=3\n")});
  w.RunModeCheck();
  ASSERT_NE(w.FRecordChannel, 0u);
  EXPECT_TRUE(options->csplitstop->isChecked());
  EXPECT_TRUE(options->csplitcl->isChecked());
  Second();
  clock.set(QDateTime(QDate(2027, 3, 28), QTime(0, 0, 1), berlin));  // past midnight
  Second();
  clock.set(QDateTime(QDate(2027, 3, 28), QTime(3, 0, 2), berlin));  // 02:00 became 03:00
  EXPECT_NE(w.FRecordChannel, 0u);
  Second();
  EXPECT_EQ(w.FRecordChannel, 0u);
  EXPECT_EQ(Wav("show.wav")->data.size(), 3u * 44100 * 4);
  EXPECT_TRUE(options->csplitnew->isChecked());
  EXPECT_FALSE(options->csplitstop->isChecked());
  EXPECT_TRUE(options->csplit74->isChecked());
  EXPECT_EQ(options->esplitcl->text(), "17");
}

TEST_F(RunModeTest, ExistingOutNameGoesToTheNextFreeNameUnlessOverwriting) {
  Tfrmmain& w = Open();
  QFile old(OutFile("show.wav"));
  ASSERT_TRUE(old.open(QIODevice::WriteOnly));
  old.write("yesterday");
  old.close();
  const QString task = TaskFile("OutName=" + OutFile("show.wav").toUtf8() + "\n");
  w.SetCommandLine({"zovedu", "-run", task});
  w.RunModeCheck();
  Second();
  w.btnstopClick();
  EXPECT_TRUE(Wav("show-2.wav").has_value());
  EXPECT_EQ(zovedu_test::ReadFile(OutFile("show.wav").toStdString()).size(), 9u);
  EXPECT_TRUE(messages.shown.empty());

  options->coverwrite->setChecked(true);
  w.RunModeCheck();
  Second();
  w.btnstopClick();
  EXPECT_TRUE(Wav("show.wav").has_value());
  EXPECT_FALSE(QFile::exists(OutFile("show-3.wav")));
}

TEST_F(RunModeTest, TaskRunKeepsItsStateAndRecordsOnlyWhatIsLeft) {
  const std::string id = "t-0123456789abcdef";
  const QString unit = QString::fromStdString("zovedu-task-" + id);
  Tfrmmain& w = Open();
  const QString userLength = options->esplitcl->text();
  const auto startLate = [&](std::time_t late, const char* stopTime) {
    schedule::TaskRunState before;
    before.dueStart = std::time(nullptr) - late;
    ASSERT_TRUE(schedule::WriteRunState(id, before));
    w.SetCommandLine({"zovedu", "-run", TaskFile("OutName=" + OutFile("late.wav").toUtf8() + "\nStoptime=" + stopTime + "\n")},
                     unit);
    w.RunModeCheck();
    ASSERT_NE(w.FRecordChannel, 0u);
  };

  // Started 20 s after its planned start: 100 s become about 80 s (less
  // when this machine took a while since).
  startLate(20, "100");
  const schedule::TaskRunState during = schedule::ReadRunState(id);
  EXPECT_EQ(during.runningPid, ::getpid());
  EXPECT_TRUE(during.lastRun.has_value());
  EXPECT_FALSE(during.dueStart.has_value());
  const int left = options->esplitcl->text().toInt();
  EXPECT_TRUE(left <= 80 && left >= 60) << left;
  w.btnstopClick();
  EXPECT_EQ(schedule::ReadRunState(id).runningPid, 0);
  EXPECT_EQ(options->esplitcl->text(), userLength);

  // Later than the whole stop time: one second is still recorded.
  startLate(1000, "5");
  Second();
  EXPECT_EQ(w.FRecordChannel, 0u);
  EXPECT_EQ(Wav("late-2.wav")->data.size(), 44100u * 4);
  EXPECT_EQ(schedule::ReadRunState(id).runningPid, 0);

  // A recording the user starts afterwards is no task's run.
  schedule::TaskRunState cleared = schedule::ReadRunState(id);
  const auto lastRun = cleared.lastRun;
  w.btnrecClick();
  Second();
  w.btnstopClick();
  EXPECT_EQ(schedule::ReadRunState(id).lastRun, lastRun);
}

TEST_F(RunModeTest, GoingOnBatteryStopsOnlyATaskRecording) {
  Tfrmmain& w = Open();
  const auto power = [&](const char* interfaceName, bool onBattery) {
    const QVariantMap changed{{QStringLiteral("OnBattery"), onBattery}};
    ASSERT_TRUE(QMetaObject::invokeMethod(&w, "UPowerPropertiesChanged", Qt::DirectConnection,
                                          Q_ARG(QString, QString::fromLatin1(interfaceName)),
                                          Q_ARG(QVariantMap, changed), Q_ARG(QStringList, QStringList())));
  };
  // The user's own recording goes on.
  w.btnrecClick();
  Second();
  power("org.freedesktop.UPower", true);
  EXPECT_NE(w.FRecordChannel, 0u);
  w.btnstopClick();

  w.SetCommandLine({"zovedu", "-run", TaskFile("OutName=" + OutFile("task.wav").toUtf8() + "\n")},
                   "zovedu-task-t-0123456789abcdef");
  w.RunModeCheck();
  Second();
  power("org.freedesktop.UPower", false);
  power("org.freedesktop.UPower.Device", true);
  EXPECT_NE(w.FRecordChannel, 0u);
  Second();
  power("org.freedesktop.UPower", true);
  EXPECT_EQ(w.FRecordChannel, 0u);
  EXPECT_EQ(Wav("task.wav")->data.size(), 2u * 44100 * 4);
}

TEST_F(RunModeTest, FinishedTaskIsDeletedOnlyWhenAskedAndNoRunIsLeft) {
  schedule::InMemoryBackend store;
  SetTaskBackendFactory([&store] { return std::make_unique<SharedStore>(store); });
  Tfrmmain& w = Open();
  const std::time_t now = std::time(nullptr);
  struct Case {
    const char* name;
    schedule::DWORD flags;
    schedule::TASK_TRIGGER_TYPE type;
    bool kept;
  };
  const Case cases[] = {
      {"Once.job", schedule::TASK_FLAG_DELETE_WHEN_DONE, schedule::TASK_TIME_TRIGGER_ONCE, false},
      {"Daily.job", schedule::TASK_FLAG_DELETE_WHEN_DONE, schedule::TASK_TIME_TRIGGER_DAILY, true},
      {"Keep.job", 0, schedule::TASK_TIME_TRIGGER_ONCE, true},
  };
  for (const Case& c : cases) {
    schedule::TaskRecord task;
    task.name = c.name;
    task.flags = c.flags;
    task.triggers = {zovedu_test::TriggerAt(c.type, now - 3600)};
    store.tasks[c.name] = task;
    w.SetCommandLine({"zovedu", "-run", TaskFile("Stoptime=1\n")}, QString::fromStdString(schedule::UnitBaseName(c.name)));
    w.RunModeCheck();
    ASSERT_NE(w.FRecordChannel, 0u) << c.name;
    EXPECT_TRUE(store.tasks.count(c.name)) << c.name;
    Second();
    EXPECT_EQ(w.FRecordChannel, 0u) << c.name;
    EXPECT_EQ(store.tasks.count(c.name) == 1, c.kept) << c.name;
  }
}

TEST_F(RunModeTest, HandOverRaisesTheWindowOrRecordsUnlessRecordingAlready) {
  Tfrmmain& w = Open();
  w.showMinimized();
  EXPECT_EQ(w.HandOver({"zovedu"}, QString()), "shown");
  EXPECT_FALSE(w.isMinimized());
  // A finished recording plays; the handed-over run stops it unasked.
  options->cplay->setChecked(true);
  w.btnrecClick();
  Second();
  w.btnstopClick();
  ASSERT_NE(w.FPlayStream, 0u);
  const QString task = TaskFile("OutName=" + OutFile("handed.wav").toUtf8() + "\n");
  EXPECT_EQ(w.HandOver({"zovedu", "-run", task}, QString()), "started");
  EXPECT_NE(w.FRecordChannel, 0u);
  EXPECT_EQ(w.FPlayStream, 0u);
  EXPECT_TRUE(messages.shown.empty());
  EXPECT_EQ(w.HandOver({"zovedu", "-run", task}, QString()), "busy");
  Second();
  w.btnstopClick();
  EXPECT_TRUE(Wav("handed.wav").has_value());
}

// A run handed over while the options dialog is open waits until it closes:
// the dialog's OK saves the user's own split options, and the run starts
// after, with the task's.
TEST_F(RunModeTest, AHandedOverRunWaitsForAnOpenDialog) {
  Tfrmmain& w = Open();
  const QString task = TaskFile("OutName=" + OutFile("handed.wav").toUtf8() + "\nStoptime=60\n");
  QString answer;
  QTimer::singleShot(0, &w, [&] {
    answer = w.HandOver({"zovedu", "-run", task}, QString());
    EXPECT_EQ(w.FRecordChannel, 0u) << "started under the open dialog";
    EXPECT_FALSE(options->csplitstop->isChecked());
    options->btnok->click();
  });
  options->exec();
  EXPECT_EQ(answer, "waiting");
  EXPECT_FALSE(IniFile(SettingsFilePath(w.FWorkFolder)).ReadBool("Split", "Stop", true));
  ASSERT_TRUE(zovedu_test::WaitUntil([&] {
    Deliver();
    return w.FRecordChannel != 0;
  }));
  EXPECT_TRUE(options->csplitstop->isChecked());
  EXPECT_EQ(options->esplitcl->text(), "60");
  Second();
  w.btnstopClick();
  EXPECT_TRUE(Wav("handed.wav").has_value());
}

// The program a task file names runs only when the file and its folder are
// the user's alone; otherwise the recording starts without it and says why.
TEST_F(RunModeTest, ATaskFileOthersMayChangeStartsNoProgram) {
  Tfrmmain& w = Open();
  const struct {
    const char* name;
    mode_t folderMode, fileMode;
    bool runs;
  } cases[] = {{"private", 0700, 0600, true}, {"folder open to all", 0777, 0600, false},
               {"file writable by the group", 0755, 0664, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    messages.shown.clear();
    const QString folder = out.filePath(QString::fromLatin1(c.name));
    ASSERT_TRUE(QDir().mkpath(folder));
    ::chmod(QFile::encodeName(folder).constData(), c.folderMode);
    const QString marker = folder + "/ran", path = folder + "/Record.cfg";
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("[Record]\nVolume=35\napp=/usr/bin/touch\npar=" + marker.toUtf8() + "\n");
    f.close();
    ::chmod(QFile::encodeName(path).constData(), c.fileMode);
    w.ApplyTaskConfig(path);
    Deliver();
    EXPECT_EQ(w.Cvolume->value(), 35);
    if (c.runs) {
      EXPECT_TRUE(zovedu_test::WaitUntil([&] { return QFile::exists(marker); }));
      EXPECT_TRUE(messages.shown.empty());
    } else {
      ASSERT_EQ(messages.shown.size(), 1u);
      EXPECT_TRUE(messages.texts()[0].startsWith("The program /usr/bin/touch named in the task file " + path +
                                                 " was not started: other users may change"))
          << messages.texts()[0].toStdString();
      EXPECT_FALSE(QFile::exists(marker));
    }
  }
}

}  // namespace
