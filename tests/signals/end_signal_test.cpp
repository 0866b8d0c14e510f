// SIGINT (Ctrl+C), SIGTERM (kill, logout) and SIGHUP (the terminal went
// away) end the program the same way: the running recording is completed
// into a valid file, the recordings list and the window's settings are saved
// and the program exits with status 0.
//
// The built program records at once from the private sound server's default
// source, with a private home and runtime folder.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/wait.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <thread>

#include "program_run.h"

namespace e2e {
namespace {

using namespace std::chrono_literals;

// 16-bit stereo at 44100 Hz, the default format.
constexpr std::uintmax_t kBytesPerSecond = 44100 * 2 * 2;
constexpr auto kDeadline = 30s;

void WriteText(const std::filesystem::path& path, const std::string& text) {
  std::filesystem::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
}

struct EndSignal {
  int number;
  const char* name;
  int times;  // Ctrl+C under scripts/run: the terminal's and the forwarded one
};

void PrintTo(const EndSignal& s, std::ostream* os) { *os << s.name << " x" << s.times; }

class EndSignalTest : public ::testing::TestWithParam<EndSignal> {
 protected:
  void SetUp() override {
    if (const char* skip = std::getenv("ZOVEDU_NO_PULSE"); skip && std::string(skip) == "1")
      GTEST_SKIP() << "ZOVEDU_NO_PULSE=1";
    const char* server = std::getenv("PULSE_SERVER");
    ASSERT_TRUE(server && *server) << "PULSE_SERVER is not set: eval \"$(scripts/pulse/start-test-server.sh)\" first";
    std::string pattern = (std::filesystem::temp_directory_path() / "zovedu-signals-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    root_ = pattern;
    const auto home = root_ / "home";
    out_ = root_ / "out";
    settings_ = home / "Documents" / "ridi" / "ridi.ini";
    reclist_ = home / "Documents" / "ridi" / "reclist.txt";
    std::filesystem::create_directories(out_);
    const auto runtime = root_ / "runtime";
    std::filesystem::create_directory(runtime);
    std::filesystem::permissions(runtime, std::filesystem::perms::owner_all);
    WriteText(home / ".config" / "user-dirs.dirs", "XDG_DOCUMENTS_DIR=\"$HOME/Documents\"\n");
    // Run=1 starts recording as soon as the window is up.
    WriteText(settings_, "[OutPut]\nFolder=" + out_.string() + "/\n[Misc]\nRun=1\n");
    env_ = {
        {"HOME", home.string()},
        {"XDG_CONFIG_HOME", (home / ".config").string()},
        {"XDG_DATA_HOME", (home / ".local" / "share").string()},
        {"XDG_STATE_HOME", (home / ".local" / "state").string()},
        {"XDG_CACHE_HOME", (home / ".cache").string()},
        {"XDG_DOCUMENTS_DIR", ""},
        {"XDG_MUSIC_DIR", ""},
        {"XDG_RUNTIME_DIR", runtime.string()},
        {"ZOVEDU_AUDIO_BACKEND", ""},
        {"QT_QPA_PLATFORM", "offscreen"},
    };
  }

  void TearDown() override {
    program_.killAndReap();
    if (root_.empty()) return;
    if (HasFailure()) {
      std::cerr << "Program output:\n" << ReadText(root_ / "program.log") << "\nKept " << root_ << "\n";
    } else {
      std::error_code ec;
      std::filesystem::remove_all(root_, ec);
    }
  }

  // The one recording in the output folder once it holds `seconds` of audio.
  std::filesystem::path WaitForRecording(double seconds) {
    const auto deadline = Clock::now() + kDeadline;
    for (;;) {
      for (const auto& entry : std::filesystem::directory_iterator(out_)) {
        if (entry.path().extension() == ".wav" &&
            FileSize(entry.path()).value_or(0) >= static_cast<std::uintmax_t>(seconds * kBytesPerSecond))
          return entry.path();
      }
      if (program_.poll()) {
        ADD_FAILURE() << "the program ended while recording: " << DescribeStatus(*program_.status());
        return {};
      }
      if (Clock::now() >= deadline) {
        ADD_FAILURE() << "no recording of " << seconds << " s in " << out_ << " in time";
        return {};
      }
      std::this_thread::sleep_for(20ms);
    }
  }

  std::filesystem::path root_, out_, settings_, reclist_;
  std::map<std::string, std::string> env_;
  RunningProgram program_;
};

TEST_P(EndSignalTest, CompletesTheRecordingAndSaves) {
  ASSERT_TRUE(program_.start(ZOVEDU_PROGRAM, {}, env_, root_ / "program.log"));
  const auto recording = WaitForRecording(2.0);
  ASSERT_FALSE(recording.empty());

  for (int i = 0; i < GetParam().times; ++i) ASSERT_TRUE(program_.signal(GetParam().number));
  ASSERT_TRUE(program_.waitForExit(kDeadline)) << "the program did not end after " << GetParam().name;
  const int status = *program_.status();
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << DescribeStatus(status);

  // A complete file: ffprobe reads it without a complaint, and the length
  // its header states covers what was recorded before the signal.
  const ToolResult probe = RunTool(ZOVEDU_FFPROBE,
                                   {"-v", "error", "-show_entries", "stream=codec_name,duration", "-of",
                                    "default=noprint_wrappers=1", recording.string()},
                                   root_);
  ASSERT_TRUE(probe.ok()) << DescribeStatus(probe.status) << "\n" << probe.err;
  EXPECT_EQ(probe.err, "");
  EXPECT_NE(probe.out.find("codec_name=pcm_s16le"), std::string::npos) << probe.out;
  const auto at = probe.out.find("duration=");
  ASSERT_NE(at, std::string::npos) << probe.out;
  EXPECT_GT(std::atof(probe.out.c_str() + at + 9), 1.5) << probe.out;

  EXPECT_NE(ReadText(settings_).find("[Main]"), std::string::npos) << "the window's settings were not saved:\n"
                                                                   << ReadText(settings_);
  EXPECT_NE(ReadText(reclist_).find(recording.filename().string()), std::string::npos)
      << "the recordings list does not hold the recording:\n"
      << ReadText(reclist_);
}

INSTANTIATE_TEST_SUITE_P(EndSignals, EndSignalTest,
                         ::testing::Values(EndSignal{SIGINT, "SIGINT", 1}, EndSignal{SIGTERM, "SIGTERM", 1},
                                           EndSignal{SIGHUP, "SIGHUP", 1}, EndSignal{SIGINT, "SIGINTTwice", 2}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace e2e
