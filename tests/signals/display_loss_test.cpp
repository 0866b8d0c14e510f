// The program on a display of its own: when the display server dies under a
// recording, the program ends without corrupting its memory and the file is
// complete; a termination signal while a question is open at start-up ends
// the program at once.
#include <sys/wait.h>

#include <csignal>

#include "program_on_server.h"
#include "support/program_run.h"

namespace e2e {
namespace {

using zovedu_test::PrivateDisplay;

class DisplayLossTest : public ProgramOnServerTest {
 protected:
  // Runs the program on display's screen instead of offscreen.
  bool StartOn(const PrivateDisplay& display) {
    std::map<std::string, std::string> env = env_;
    env["QT_QPA_PLATFORM"] = "xcb";
    env["DISPLAY"] = display.name();
    return program_.start(ZOVEDU_PROGRAM, {}, env, root_ / "program.log");
  }
  // The first window of that title on display; empty when there is none.
  static std::string Window(const PrivateDisplay& display, const std::string& title) {
    const auto r = zovedu_test::RunProgram("/usr/bin/xdotool", {"search", "--name", "^" + title + "$"}, "/dev/null",
                                           {{"DISPLAY", display.name()}});
    return r.out.substr(0, r.out.find('\n'));
  }
};

// Ten times: the display goes while the loopback device records through the
// mixer; each time the program ends by itself, not by a signal, and leaves a
// complete file that is listed.
TEST_F(DisplayLossTest, TheDisplayGoingAwayCompletesTheRecordingEveryTime) {
  for (int run = 1; run <= 10; ++run) {
    SCOPED_TRACE("run " + std::to_string(run));
    for (const auto& entry : std::filesystem::directory_iterator(out_)) std::filesystem::remove(entry.path());
    std::filesystem::remove(reclist_);
    PrivateDisplay display;
    ASSERT_TRUE(display.Start("/usr/bin/Xvfb", 30000)) << display.error();
    ASSERT_TRUE(StartOn(display));
    const auto recording = WaitForRecording(1.0);
    ASSERT_FALSE(recording.empty());
    display.Kill();
    ASSERT_TRUE(program_.waitForExit(kDeadline)) << "the program lives on without its display";
    const int status = *program_.status();
    ASSERT_TRUE(WIFEXITED(status)) << DescribeStatus(status) << "\n" << ReadText(root_ / "program.log");
    const std::string log = ReadText(root_ / "program.log");
    EXPECT_EQ(log.find("corrupted"), std::string::npos) << log;
    EXPECT_EQ(log.find("double free"), std::string::npos) << log;
    // Complete: ffprobe finds the length the header states, and the list
    // holds the file.
    const ToolResult probe = RunTool(ZOVEDU_FFPROBE, {"-v", "error", "-show_entries", "stream=duration_ts", "-of",
                                                      "default=noprint_wrappers=1:nokey=1", recording.string()},
                                     root_);
    ASSERT_TRUE(probe.ok()) << probe.err;
    EXPECT_EQ(probe.err, "");
    const auto frames = std::strtoull(probe.out.c_str(), nullptr, 10);
    EXPECT_GE(frames, 44100u) << probe.out;
    const std::string bytes = ReadText(recording);
    const auto data = bytes.find("data");
    ASSERT_NE(data, std::string::npos);
    EXPECT_EQ(bytes.size(), data + 8 + frames * 4) << "the header does not state the whole data";
    EXPECT_NE(ReadText(reclist_).find(recording.filename().string()), std::string::npos) << ReadText(reclist_);
  }
}

// A question open at start-up (the next file exists) does not hold up a
// termination: the question is cancelled, the file stays as it was, and the
// program ends with status 0.
TEST_F(DisplayLossTest, ATerminationWhileAStartUpQuestionIsOpenEndsTheProgram) {
  PrivateDisplay display;
  ASSERT_TRUE(display.Start("/usr/bin/Xvfb", 30000)) << display.error();
  for (int run = 1; run <= 10; ++run) {
    SCOPED_TRACE("run " + std::to_string(run));
    WriteText(out_ / "Rectest-01.wav", "keep me");
    ASSERT_TRUE(StartOn(display));
    const auto deadline = Clock::now() + kDeadline;
    while (Window(display, "Confirm").empty()) {
      ASSERT_FALSE(program_.poll()) << DescribeStatus(*program_.status()) << "\n" << ReadText(root_ / "program.log");
      ASSERT_TRUE(Clock::now() < deadline) << "no question at start-up";
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    ASSERT_TRUE(program_.signal(SIGTERM));
    ASSERT_TRUE(program_.waitForExit(kDeadline)) << "the program did not end after SIGTERM";
    const int status = *program_.status();
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << DescribeStatus(status);
    EXPECT_EQ(ReadText(out_ / "Rectest-01.wav"), "keep me");
  }
}

}  // namespace
}  // namespace e2e
