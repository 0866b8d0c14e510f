// The per-task state file the runs leave behind.
#include "schedule/task_run_state.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sys/stat.h>

#include "support/scratch_dir.h"

namespace schedule {
namespace {

namespace fs = std::filesystem;

// Points XDG_STATE_HOME into a scratch folder for one test.
class RunStateFile : public ::testing::Test {
 protected:
  void SetUp() override {
    if (const char* old = std::getenv("XDG_STATE_HOME")) saved_ = old;
    setenv("XDG_STATE_HOME", (scratch_ / "state").c_str(), 1);
  }
  void TearDown() override {
    if (saved_) setenv("XDG_STATE_HOME", saved_->c_str(), 1);
    else unsetenv("XDG_STATE_HOME");
  }
  fs::path Folder() const { return scratch_ / "state" / "zovedu" / "tasks"; }
  void WriteRaw(const std::string& id, const std::string& text) const {
    std::ofstream(Folder() / id) << text;
  }

  zovedu_test::ScratchDir scratch_;
  std::optional<std::string> saved_;
};

TEST_F(RunStateFile, RoundTripsInAPrivateFolder) {
  EXPECT_EQ(RunStateFolder(), Folder().string());
  EXPECT_EQ(ReadRunState("rec-0123456789abcdef"), TaskRunState{});

  TaskRunState full;
  full.lastRun = 1781085900;
  full.runningPid = 4242;
  full.terminated = true;
  full.dueStart = 1781085600;
  full.bootId = "3f2c9a1e-boot";
  const TaskRunState states[] = {full, TaskRunState{}, [] {
                                   TaskRunState s;
                                   s.lastRun = 0;  // the epoch is a time, not "never"
                                   return s;
                                 }()};
  for (const TaskRunState& state : states) {
    ASSERT_TRUE(WriteRunState("rec-0123456789abcdef", state));
    EXPECT_EQ(ReadRunState("rec-0123456789abcdef"), state);
  }
  struct stat st{};
  ASSERT_EQ(::stat(Folder().c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0700u);
  // Only the state file itself remains.
  EXPECT_EQ(std::distance(fs::directory_iterator(Folder()), fs::directory_iterator()), 1);

  RemoveRunState("rec-0123456789abcdef");
  EXPECT_FALSE(fs::exists(Folder() / "rec-0123456789abcdef"));
}

TEST_F(RunStateFile, DamagedFileReadsAsEmpty) {
  fs::create_directories(Folder());
  for (const char* text : {"lastRun=12x\n", "garbage\n", "runningPid=-5\n", "terminated=2\n", "colour=blue\n",
                           "lastRun=\n", "\x01\x02\xff"}) {
    WriteRaw("t", std::string("runningPid=7\n") + text);
    EXPECT_EQ(ReadRunState("t"), TaskRunState{}) << text;
  }
  WriteRaw("t", "runningPid=7\n\nlastRun=100\n");
  EXPECT_EQ(ReadRunState("t").runningPid, 7);
  EXPECT_EQ(ReadRunState("t").lastRun, 100);
}

TEST_F(RunStateFile, UnwritableFolderFailsCleanly) {
  std::ofstream(scratch_ / "file") << "x";
  setenv("XDG_STATE_HOME", (scratch_ / "file").c_str(), 1);
  EXPECT_FALSE(WriteRunState("t", TaskRunState{}));
  EXPECT_FALSE(WriteRunState("../escape", TaskRunState{}));
}

}  // namespace
}  // namespace schedule
