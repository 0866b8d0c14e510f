// SIGINT (Ctrl+C), SIGTERM (kill, logout) and SIGHUP (the terminal went
// away) end the program the same way: the running recording is completed
// into a valid file, the recordings list and the window's settings are saved
// and the program exits with status 0.
//
// The built program records at once from the private sound server's default
// source, with a private home and runtime folder.
#include <sys/wait.h>

#include <csignal>

#include "program_on_server.h"

namespace e2e {
namespace {

struct EndSignal {
  int number;
  const char* name;
  int times;  // Ctrl+C under scripts/run: the terminal's and the forwarded one
};

void PrintTo(const EndSignal& s, std::ostream* os) { *os << s.name << " x" << s.times; }

class EndSignalTest : public ProgramOnServerTest, public ::testing::WithParamInterface<EndSignal> {};

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
  EXPECT_GT(ProbedWavSeconds(recording), 1.5);

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
