// A screen reader's user records: the program runs on a private display with
// its accessibility bridge on a private accessibility bus, and a pyatspi
// script finds Record and Stop by role and name and presses them. The file
// that results is a whole recording.
#include <chrono>
#include <thread>

#include "child_process.h"
#include "program_on_server.h"
#include "support/program_run.h"

namespace e2e {
namespace {

class RecordOverBusTest : public ProgramOnServerTest {
 protected:
  void SetUp() override {
    ProgramOnServerTest::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    // No recording at start: the script starts it.
    WriteText(settings_, "[OutPut]\nFolder=" + out_.string() + "/\n");
    ASSERT_TRUE(display_.Start(ZOVEDU_XVFB, 30000)) << display_.error();
    std::string why;
    bus_ = tray_test::ChildProcess::Start(ZOVEDU_DBUS_DAEMON, {"--session", "--print-address=1", "--nofork"}, {}, true,
                                          30, busAddress_, why);
    ASSERT_TRUE(bus_) << why;
    while (!busAddress_.empty() && std::isspace(static_cast<unsigned char>(busAddress_.back()))) busAddress_.pop_back();
    std::string unused;
    launcher_ = tray_test::ChildProcess::Start(ZOVEDU_ATSPI_LAUNCHER, {"--launch-immediately"}, BusEnv(), false, 0,
                                               unused, why);
    ASSERT_TRUE(launcher_) << why;
    ASSERT_TRUE(WaitForAccessibilityBus()) << "the accessibility bus did not come up";
  }
  void TearDown() override {
    program_.killAndReap();
    launcher_.reset();
    bus_.reset();
    display_.Stop();
    ProgramOnServerTest::TearDown();
  }

  std::map<std::string, std::string> BusEnv() const {
    return {{"DBUS_SESSION_BUS_ADDRESS", busAddress_}, {"DISPLAY", display_.name()}};
  }

  // The launcher owns its name on the session bus once it serves.
  bool WaitForAccessibilityBus() {
    const auto deadline = Clock::now() + kDeadline;
    while (Clock::now() < deadline) {
      const auto r = zovedu_test::RunProgram(ZOVEDU_DBUS_SEND,
                                             {"--session", "--print-reply", "--dest=org.freedesktop.DBus", "/",
                                              "org.freedesktop.DBus.NameHasOwner", "string:org.a11y.Bus"},
                                             "/dev/null", {{"DBUS_SESSION_BUS_ADDRESS", busAddress_}});
      if (r.ended && r.exitCode == 0 && r.out.find("boolean true") != std::string::npos) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return false;
  }

  bool StartProgram() {
    std::map<std::string, std::string> env = env_;
    for (const auto& [name, value] : BusEnv()) env[name] = value;
    env["QT_QPA_PLATFORM"] = "xcb";
    env["QT_LINUX_ACCESSIBILITY_ALWAYS_ON"] = "1";
    return program_.start(ZOVEDU_PROGRAM, {}, env, root_ / "program.log");
  }

  // Presses the button through the bus and waits until `then` is enabled.
  zovedu_test::RunResult Press(const std::string& name, const std::string& then) {
    return zovedu_test::RunProgram(
        ZOVEDU_PYTHON3, {ZOVEDU_PRESS_BUTTON, std::to_string(program_.pid()), "60", name, "--then-enabled", then},
        "/dev/null", {{"DBUS_SESSION_BUS_ADDRESS", busAddress_}, {"DISPLAY", display_.name()}, {"LC_ALL", "C.UTF-8"}});
  }

  // The file's size once it no longer grows: the recording has ended.
  std::uintmax_t SettledSize(const std::filesystem::path& file) {
    const auto deadline = Clock::now() + kDeadline;
    auto last = FileSize(file).value_or(0);
    while (Clock::now() < deadline) {
      std::this_thread::sleep_for(std::chrono::milliseconds(1500));
      const auto now = FileSize(file).value_or(0);
      if (now == last) return now;
      last = now;
    }
    ADD_FAILURE() << file << " still grows after Stop";
    return last;
  }

  zovedu_test::PrivateDisplay display_;
  std::unique_ptr<tray_test::ChildProcess> bus_, launcher_;
  std::string busAddress_;
};

TEST_F(RecordOverBusTest, RecordAndStopPressedThroughTheAccessibilityBus) {
  ASSERT_TRUE(StartProgram());
  const auto record = Press("Record", "Stop");
  ASSERT_TRUE(record.ended && record.exitCode == 0) << "pressing Record: " << record.describe();
  const auto recording = WaitForRecording(1.0);
  ASSERT_FALSE(recording.empty());
  const auto stop = Press("Stop", "Record");
  ASSERT_TRUE(stop.ended && stop.exitCode == 0) << "pressing Stop: " << stop.describe();
  EXPECT_GE(SettledSize(recording), static_cast<std::uintmax_t>(kBytesPerSecond));
  EXPECT_TRUE(program_.running()) << "the program ended";
  EXPECT_GE(ProbedWavSeconds(recording), 1.0);
}

}  // namespace
}  // namespace e2e
