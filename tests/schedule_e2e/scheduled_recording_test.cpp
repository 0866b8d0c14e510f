// A scheduled recording from end to end: a one-time task saved as user units
// of a private service manager, whose timer starts the built program through
// its due check; the program records its task file's stop time from the
// private sound server with no display, the task list shows it running and
// then done, and a later "-run" start hands over to the running program.
#include <gtest/gtest.h>
#include <signal.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <optional>
#include <sstream>
#include <thread>
#include <vector>

#include "schedule/record_config.h"
#include "schedule/systemd/systemd_backend.h"
#include "schedule/task_run_state.h"
#include "schedule/task_scheduler.h"
#include "schedule/task_status.h"
#include "schedule/task_unit_files.h"
#include "schedule_systemd/private_user_manager.h"
#include "schedule_systemd/task_triggers_for_tests.h"
#include "support/program_run.h"
#include "support/scratch_dir.h"

namespace fs = std::filesystem;
using namespace schedule;

using zovedu_test::ReadText;
using zovedu_test::WaitFor;

namespace {

// Long enough that a start a few seconds late on a busy machine still
// records (a run later than its stop time is skipped).
constexpr int kStopSeconds = 5;
constexpr double kTolerance = 0.3;

// The container's duration as ffprobe reads it; nullopt when it cannot.
std::optional<double> Duration(const fs::path& file) {
  if (!fs::exists(file)) return std::nullopt;
  const zovedu_test::RunResult r = zovedu_test::RunProgram(
      ZOVEDU_FFPROBE, {"-v", "error", "-show_entries", "format=duration", "-of", "default=nw=1:nk=1",
                       file.string()});
  if (r.exitCode != 0) return std::nullopt;
  try {
    return std::stod(r.out);
  } catch (const std::exception&) {
    return std::nullopt;
  }
}

bool Near(const std::optional<double>& seconds, double expected) {
  return seconds && *seconds >= expected - kTolerance && *seconds <= expected + kTolerance;
}

// A late run records what is left of the stop time after its lateness in
// whole seconds, taken as it starts; its lastRun, written a moment later,
// may already be one second further on.
std::vector<double> TimerRunLengths(std::time_t planned, std::time_t lastRun) {
  const std::time_t late = lastRun - planned;
  std::vector<double> lengths{static_cast<double>(std::max<std::time_t>(1, kStopSeconds - late))};
  if (late > 0) lengths.push_back(static_cast<double>(std::max<std::time_t>(1, kStopSeconds - late + 1)));
  return lengths;
}

bool NearAny(const std::optional<double>& seconds, const std::vector<double>& lengths) {
  for (double expected : lengths)
    if (Near(seconds, expected)) return true;
  return false;
}

bool EnvIs(const char* name, const char* value) {
  const char* set = std::getenv(name);
  return set && std::string(set) == value;
}

class ScheduledRecordingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (EnvIs("ZOVEDU_NO_PULSE", "1")) GTEST_SKIP() << "ZOVEDU_NO_PULSE=1";
    const char* server = std::getenv("PULSE_SERVER");
    std::string noServer;
    if (!server || !*server)
      noServer = "PULSE_SERVER is not set: eval \"$(scripts/pulse/start-test-server.sh)\" first";
    else if (const auto info = zovedu_test::RunProgram(ZOVEDU_PACTL, {"info"}); info.exitCode != 0)
      noServer = std::string("no sound server answers at ") + server + ": " + info.describe();
    if (!noServer.empty()) {
      if (EnvIs("CI", "true")) FAIL() << noServer;
      GTEST_SKIP() << noServer;
    }
    pulseServer_ = server;

    std::string whyNot;
    manager_ = zovedu_test::PrivateUserManager::Start(scratch_ / "manager", whyNot);
    ZOVEDU_REQUIRE_USER_MANAGER(manager_, whyNot);

    // A private home whose documents folder is named, so that the program's
    // settings stay in the scratch folder.
    home_ = scratch_ / "home";
    fs::create_directories(home_ / "Documents");
    fs::create_directories(home_ / "Music");
    std::ofstream(manager_->configHome / "user-dirs.dirs")
        << "XDG_DOCUMENTS_DIR=\"$HOME/Documents\"\nXDG_MUSIC_DIR=\"$HOME/Music\"\n";

    // The runs see the sound server and no display: the program has to
    // choose the offscreen platform itself.
    const auto set = manager_->Systemctl({"set-environment", "HOME=" + home_.string(),
                                          "PULSE_SERVER=" + pulseServer_});
    ASSERT_EQ(set.exitCode, 0) << set.describe();
    const auto unset = manager_->Systemctl({"unset-environment", "DISPLAY", "WAYLAND_DISPLAY",
                                            "XAUTHORITY", "QT_QPA_PLATFORM", "ZOVEDU_AUDIO_BACKEND",
                                            "ZOVEDU_TASK", "XDG_DOCUMENTS_DIR", "XDG_MUSIC_DIR"});
    ASSERT_EQ(unset.exitCode, 0) << unset.describe();
  }

  void TearDown() override {
    // A run still alive after a failure ends here; the manager's stop takes
    // anything else it started.
    if (programPid_ > 0 && ProcessAlive(programPid_)) ::kill(programPid_, SIGKILL);
    if (HasFailure() && manager_) {
      std::cerr << "Task units:\n"
                << manager_->Systemctl({"status", "--no-pager", unitBase_ + ".timer", unitBase_ + ".service"}).out
                << "\nRuns:\n"
                << manager_->Systemctl({"list-units", "--all", "--no-pager", "run-*"}).out << "\nManager log:\n"
                << ReadText(scratch_ / "manager" / "manager.log") << "\n";
    }
  }

  // What the task list shows for the task, read afresh from the units.
  std::string ListedStatus(const std::string& name) {
    TTaskScheduler scheduler(std::make_unique<SystemdBackend>(ZOVEDU_PROGRAM));
    scheduler.SetActive(true);
    scheduler.Refresh();
    TTaskItem* item = scheduler.FindTask(QString::fromStdString(name));
    if (!item) return "(not listed)";
    item->Activate();
    const std::string text = StatusText(item->Status()).toStdString();
    item->Deactivate(false);
    return text;
  }

  zovedu_test::ScratchDir scratch_;
  std::unique_ptr<zovedu_test::PrivateUserManager> manager_;
  fs::path home_;
  std::string pulseServer_;
  pid_t programPid_ = 0;
  std::string unitBase_;
};

TEST_F(ScheduledRecordingTest, TimerStartsTheRecordingAndALaterRunHandsOver) {
  RecordConfig config;
  config.outName = QString::fromStdString((scratch_ / "sched.wav").string());
  config.outFormat = 0;
  config.source = 0;
  config.volume = 100;
  config.stopTime = kStopSeconds;
  const std::string taskFile = WriteRecordConfig(config).toStdString();

  TaskRecord task;
  task.name = "Scheduled recording.job";
  task.applicationName = ZOVEDU_PROGRAM;
  task.parameters = "-run \"" + taskFile + "\"";
  // One-time starts fall on whole minutes: the next one at least twenty
  // seconds ahead, so that it is still ahead once the save is done.
  const std::time_t planned = (std::time(nullptr) + 20 + 59) / 60 * 60;
  task.triggers.push_back(zovedu_test::TriggerAt(TASK_TIME_TRIGGER_ONCE, planned));
  unitBase_ = UnitBaseName(task.name);
  SystemdBackend store(ZOVEDU_PROGRAM);
  store.Save(task);
  EXPECT_EQ(ListedStatus(task.name), "Has not run");

  // The run marks its recording with its process id and clears it when the
  // recording ends; meanwhile the task list says "Running".
  bool sawRunning = false;
  const int seconds = static_cast<int>(planned - std::time(nullptr)) + 90;
  ASSERT_TRUE(WaitFor([&] {
    const TaskRunState state = store.RunState(task.name);
    if (state.runningPid != 0) {
      programPid_ = state.runningPid;
      sawRunning |= ListedStatus(task.name) == "Running";
    }
    return programPid_ != 0 && store.RunState(task.name).runningPid == 0;
  }, seconds)) << "the scheduled recording did not start and end in time (pid "
               << programPid_ << ")";
  EXPECT_TRUE(sawRunning);
  const fs::path first = scratch_ / "sched.wav";
  const auto firstSeconds = Duration(first);
  ASSERT_TRUE(firstSeconds) << first << " cannot be read";
  const std::optional<std::time_t> lastRun = store.RunState(task.name).lastRun;
  ASSERT_TRUE(lastRun && *lastRun >= planned);
  const std::vector<double> firstLengths = TimerRunLengths(planned, *lastRun);
  EXPECT_TRUE(NearAny(firstSeconds, firstLengths))
      << *firstSeconds << " s recorded, started " << *lastRun - planned << " s late";

  // The program keeps running after its recording; the task is done.
  ASSERT_TRUE(ProcessAlive(programPid_)) << "the run ended with its recording";
  EXPECT_EQ(ListedStatus(task.name), "No more runs");

  // A later start in the same session (the manager's runtime folder) hands
  // its task file to the running program, which records beside the first.
  const zovedu_test::RunResult second = zovedu_test::RunProgram(
      ZOVEDU_PROGRAM, {"-run", taskFile}, "/dev/null",
      {{"HOME", home_.string()}, {"PULSE_SERVER", pulseServer_},
       {"XDG_RUNTIME_DIR", manager_->runtimeDir.string()}, {"DISPLAY", std::nullopt},
       {"WAYLAND_DISPLAY", std::nullopt}, {"QT_QPA_PLATFORM", std::nullopt},
       {"ZOVEDU_TASK", std::nullopt}, {"LC_ALL", "C"}});
  ASSERT_TRUE(second.ended) << second.describe();
  EXPECT_EQ(second.exitCode, 0) << second.describe();
  // A finished recording joins the program's recording list.
  const fs::path handedOver = scratch_ / "sched-2.wav";
  const fs::path recordingList = home_ / "Documents" / "ridi" / "reclist.txt";
  ASSERT_TRUE(WaitFor([&] {
    return ReadText(recordingList).find(handedOver.filename().string()) != std::string::npos;
  }, 60)) << "the handed-over recording did not finish; the list holds:\n" << ReadText(recordingList);
  EXPECT_TRUE(Near(Duration(handedOver), kStopSeconds)) << Duration(handedOver).value_or(-1) << " s";

  // Asked to end, it closes normally and leaves both files complete.
  ASSERT_EQ(::kill(programPid_, SIGTERM), 0);
  EXPECT_TRUE(WaitFor([&] { return !ProcessAlive(programPid_); }, 60)) << "it did not end";
  EXPECT_TRUE(NearAny(Duration(first), firstLengths));
  EXPECT_TRUE(Near(Duration(handedOver), kStopSeconds));
}

}  // namespace
