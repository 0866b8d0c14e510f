// `zovedu --record`, `--pause` and `--stop` drive the running program, which
// records from the sound server; with nothing running, `--stop` says so.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <thread>

#include "e2e/program_run.h"
#include "support/program_run.h"
#include "support/scratch_dir.h"
#include "support/wav_file.h"

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

void WriteText(const fs::path& path, const std::string& text) {
  fs::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
}

double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

class RemoteControlTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* server = std::getenv("PULSE_SERVER");
    if (!server || !*server) {
      const char* ci = std::getenv("CI");
      if (ci && std::string(ci) == "true") FAIL() << "PULSE_SERVER is not set";
      GTEST_SKIP() << "PULSE_SERVER is not set: eval \"$(scripts/pulse/start-test-server.sh)\" first";
    }
    const fs::path home = scratch / "home", config = home / ".config";
    fs::create_directories(out);
    fs::create_directories(home / "Music");
    fs::create_directory(runtime);
    fs::permissions(runtime, fs::perms::owner_all);
    WriteText(config / "user-dirs.dirs", "XDG_DOCUMENTS_DIR=\"$HOME/Documents\"\nXDG_MUSIC_DIR=\"$HOME/Music\"\n");
    WriteText(home / "Documents" / "ridi" / "ridi.ini", "[OutPut]\nFolder=" + out.string() + "/\n");
    const char* display = std::getenv("DISPLAY");
    env = {{"HOME", home.string()},
           {"XDG_CONFIG_HOME", config.string()},
           {"XDG_STATE_HOME", (home / ".local" / "state").string()},
           {"XDG_RUNTIME_DIR", runtime.string()},
           {"QT_QPA_PLATFORM", display && *display ? "" : "offscreen"},
           {"ZOVEDU_TASK", ""}};
  }

  // A command line handed to the running program; the answer comes once it acted.
  zovedu_test::RunResult Command(const std::string& which) {
    zovedu_test::EnvChanges changes;
    for (const auto& [k, v] : env) changes[k] = v.empty() ? std::nullopt : std::optional<std::string>(v);
    return zovedu_test::RunProgram(ZOVEDU_PROGRAM, {which}, "/dev/null", changes);
  }

  bool Socket() const { return fs::is_socket(runtime / "zovedu" / "instance"); }

  std::vector<fs::path> Recordings() const {
    std::vector<fs::path> files;
    for (const auto& e : fs::directory_iterator(out))
      if (e.path().extension() == ".wav") files.push_back(e.path());
    return files;
  }

  // Asks the program to close as a logout would, which completes the file.
  void EndProgram() {
    program.signal(SIGTERM);
    EXPECT_TRUE(program.waitForExit(std::chrono::seconds(30))) << e2e::ReadText(scratch / "program.log");
  }

  zovedu_test::ScratchDir scratch;
  fs::path out = scratch / "out", runtime = scratch / "runtime";
  std::map<std::string, std::string> env;
  e2e::RunningProgram program;
};

TEST_F(RemoteControlTest, RecordPauseResumeStopGiveOneFileOfTheRecordedTime) {
  ASSERT_TRUE(program.start(ZOVEDU_PROGRAM, {}, env, scratch / "program.log"));
  ASSERT_TRUE(zovedu_test::WaitUntil([&] { return Socket() || program.poll(); }, std::chrono::seconds(60)));
  ASSERT_FALSE(program.poll()) << e2e::ReadText(scratch / "program.log");

  // Each command returns once the program has acted, so the lengths the
  // file must have are measured between those returns.
  auto step = [&](const char* which) {
    const zovedu_test::RunResult r = Command(which);
    EXPECT_TRUE(r.ended && r.exitCode == 0) << which << ": " << r.describe();
    return Clock::now();
  };
  const auto recording = step("--record");
  std::this_thread::sleep_for(std::chrono::seconds(3));
  const auto paused = step("--pause");
  std::this_thread::sleep_for(std::chrono::seconds(2));
  const auto resumed = step("--pause");
  std::this_thread::sleep_for(std::chrono::seconds(2));
  const auto stopped = step("--stop");
  const double expected = Seconds(paused - recording) + Seconds(stopped - resumed);

  ASSERT_EQ(Recordings().size(), 1u);
  const auto wav = zovedu_test::ReadWav(Recordings().front().string());
  ASSERT_TRUE(wav && wav->byteRate > 0);
  const double length = double(wav->data.size()) / wav->byteRate;
  EXPECT_NEAR(length, expected, 0.3) << "recorded " << length << " s";
  EXPECT_NEAR(length, 5.0, 1.0);
  EXPECT_FALSE(program.poll());
  EndProgram();
}

TEST_F(RemoteControlTest, RecordStartsTheProgramWhenNoneRuns) {
  ASSERT_TRUE(program.start(ZOVEDU_PROGRAM, {"--record"}, env, scratch / "program.log"));
  ASSERT_TRUE(zovedu_test::WaitUntil(
      [&] {
        const auto files = Recordings();
        return (files.size() == 1 && fs::file_size(files.front()) > 44100 * 4) || program.poll();
      },
      std::chrono::seconds(60)));
  ASSERT_FALSE(program.poll()) << e2e::ReadText(scratch / "program.log");
  const zovedu_test::RunResult stop = Command("--stop");
  EXPECT_TRUE(stop.ended && stop.exitCode == 0) << stop.describe();
  EXPECT_TRUE(zovedu_test::ReadWav(Recordings().front().string()).has_value());
  EndProgram();
}

TEST_F(RemoteControlTest, PauseAndStopWithoutProgramSaySoAndFail) {
  for (const char* which : {"--stop", "--pause"}) {
    const zovedu_test::RunResult r = Command(which);
    EXPECT_TRUE(r.ended && r.exitCode == 1) << which << ": " << r.describe();
    EXPECT_EQ(r.lastErrLine(), "Zovedu is not running") << which;
  }
  EXPECT_FALSE(Socket());
  EXPECT_TRUE(Recordings().empty());
}

TEST_F(RemoteControlTest, HelpListsTheSwitches) {
  const zovedu_test::RunResult r = Command("--help");
  ASSERT_TRUE(r.ended && r.exitCode == 0) << r.describe();
  for (const char* s : {"--record", "--pause", "--stop", "-run", "--help"})
    EXPECT_NE(r.out.find(s), std::string::npos) << s;
}

}  // namespace
