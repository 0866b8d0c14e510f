// Every fuzz target over every input kept for it: seeds, and each input that
// once crashed, hung or failed a check, until the code is mended. Each input
// runs in a child process, so a crash names its file and the rest still run.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <ostream>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "support/scratch_dir.h"
#include "targets/fuzz_targets.h"

namespace zovedu_fuzz {
// Test names and failures show the target's name.
void PrintTo(const FuzzTarget& target, std::ostream* os) { *os << target.name; }
}  // namespace zovedu_fuzz

namespace {

namespace fs = std::filesystem;
using zovedu_fuzz::FuzzTarget;
using zovedu_fuzz::kFuzzTargets;

const fs::path kInputs = ZOVEDU_FUZZ_INPUTS;

std::vector<FuzzTarget> AllTargets() {
  std::vector<FuzzTarget> all;
  for (const FuzzTarget* t = kFuzzTargets; t->name; ++t) all.push_back(*t);
  return all;
}

std::vector<std::uint8_t> ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Runs the target on the file in a child; "" when it returned, else how it
// ended. The child gets a generous deadline for a busy machine. The writer
// targets' files go to scratch, which stays clean even after an abort.
std::string RunInChild(const FuzzTarget& target, const fs::path& file, const fs::path& scratch) {
  const std::vector<std::uint8_t> data = ReadFile(file);
  std::fflush(nullptr);
  const pid_t pid = fork();
  if (pid < 0) return std::string("fork failed: ") + std::strerror(errno);
  if (pid == 0) {
    setenv("ZOVEDU_FUZZ_SCRATCH", scratch.c_str(), 1);
    target.run(data.data(), data.size());
    std::exit(0);  // exit handlers remove the target's scratch files
  }
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(120);
  int status = 0;
  for (;;) {
    const pid_t done = waitpid(pid, &status, WNOHANG);
    if (done == pid) break;
    if (done < 0) return std::string("waitpid failed: ") + std::strerror(errno);
    if (std::chrono::steady_clock::now() > deadline) {
      kill(pid, SIGKILL);
      waitpid(pid, &status, 0);
      return "did not finish within 120 s";
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  if (WIFEXITED(status) && WEXITSTATUS(status) == 0) return "";
  if (WIFSIGNALED(status)) return std::string("killed by ") + strsignal(WTERMSIG(status));
  return "exited with " + std::to_string(WEXITSTATUS(status));
}

class FuzzReplay : public testing::TestWithParam<FuzzTarget> {};

TEST_P(FuzzReplay, EveryKeptInputRunsCleanly) {
  const fs::path dir = kInputs / GetParam().name;
  if (!fs::is_directory(dir)) GTEST_SKIP() << "no inputs kept for " << GetParam().name;
  const zovedu_test::ScratchDir scratch;
  for (const fs::directory_entry& e : fs::directory_iterator(dir)) {
    if (!e.is_regular_file()) continue;
    EXPECT_EQ(RunInChild(GetParam(), e.path(), scratch.path()), "") << "input " << e.path().string();
  }
}

INSTANTIATE_TEST_SUITE_P(Targets, FuzzReplay, testing::ValuesIn(AllTargets()),
                         [](const testing::TestParamInfo<FuzzTarget>& info) { return std::string(info.param.name); });

// A folder whose name matches no target would hold inputs nothing replays.
TEST(FuzzInputs, EveryFolderBelongsToATarget) {
  std::set<std::string> names;
  for (const FuzzTarget& t : AllTargets()) names.insert(t.name);
  for (const fs::directory_entry& e : fs::directory_iterator(kInputs))
    EXPECT_TRUE(names.count(e.path().filename().string())) << e.path().string() << " belongs to no fuzz target";
}

}  // namespace
