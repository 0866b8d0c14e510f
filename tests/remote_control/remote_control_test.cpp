// `zovedu --record`, `--pause` and `--stop` drive the running program, which
// records from the sound server; with nothing running, `--stop` says so.
#include <gtest/gtest.h>

#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
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

// A client that gives up while the program's question is still open gets
// no answer written to its gone connection: the program lives on, and the
// file the question was about is untouched.
TEST_F(RemoteControlTest, AClientThatGaveUpIsNeverAnswered) {
  const char* display = std::getenv("DISPLAY");
  if (!display || !*display) GTEST_SKIP() << "needs a display to see the question";
  for (int run = 1; run <= 10; ++run) {
    SCOPED_TRACE("run " + std::to_string(run));
    WriteText(out / "Rectest-01.wav", "keep me");
    ASSERT_TRUE(program.start(ZOVEDU_PROGRAM, {}, env, scratch / "program.log"));
    ASSERT_TRUE(zovedu_test::WaitUntil([&] { return Socket() || program.poll(); }, std::chrono::seconds(60)));
    ASSERT_FALSE(program.poll()) << e2e::ReadText(scratch / "program.log");

    // The request as `zovedu --record` sends it, from a client that then leaves.
    const int client = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    ASSERT_GE(client, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::string path = (runtime / "zovedu" / "instance").string();
    ASSERT_LT(path.size(), sizeof address.sun_path);
    std::strcpy(address.sun_path, path.c_str());
    ASSERT_EQ(::connect(client, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    const std::string request = R"({"arguments":["zovedu","--record"],"task":""})";
    const unsigned char size[4] = {0, 0, static_cast<unsigned char>(request.size() >> 8),
                                   static_cast<unsigned char>(request.size() & 0xFF)};
    ASSERT_EQ(::write(client, size, 4), 4);
    ASSERT_EQ(::write(client, request.data(), request.size()), static_cast<ssize_t>(request.size()));
    // The overwrite question opens; the client gives up and leaves.
    std::string box;
    ASSERT_TRUE(zovedu_test::WaitUntil([&] {
      const auto r = zovedu_test::RunProgram("/usr/bin/xdotool", {"search", "--name", "^Confirm$"});
      box = r.out.substr(0, r.out.find('\n'));
      return !box.empty();
    }, std::chrono::seconds(30))) << e2e::ReadText(scratch / "program.log");
    ::close(client);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));  // the program takes the hang-up
    // The question is cancelled; the handler ends without anyone to answer.
    const auto key = zovedu_test::RunProgram("/usr/bin/xdotool", {"key", "--window", box, "Escape"});
    EXPECT_TRUE(key.ended) << key.describe();
    ASSERT_TRUE(zovedu_test::WaitUntil([&] {
      const auto r = zovedu_test::RunProgram("/usr/bin/xdotool", {"search", "--name", "^Confirm$"});
      return r.out.empty() || program.poll();
    }, std::chrono::seconds(30)));
    // Still there, and still answering.
    const zovedu_test::RunResult pause = Command("--pause");
    EXPECT_TRUE(pause.ended && pause.exitCode == 0) << pause.describe();
    ASSERT_FALSE(program.poll()) << "the program ended: " << e2e::DescribeStatus(*program.status()) << "\n"
                                 << e2e::ReadText(scratch / "program.log");
    EXPECT_EQ(e2e::ReadText(out / "Rectest-01.wav"), "keep me");
    EndProgram();
    ASSERT_TRUE(program.status().has_value());
    EXPECT_TRUE(WIFEXITED(*program.status()) && WEXITSTATUS(*program.status()) == 0)
        << e2e::DescribeStatus(*program.status());
  }
}

}  // namespace
