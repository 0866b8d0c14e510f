// The task store's whole-file writes never write through or over a file or
// link that stands where a temporary name used to be predictable.
#include "schedule/systemd/unit_file_io.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <unistd.h>

#include "schedule/task_run_state.h"
#include "support/scratch_dir.h"

namespace schedule {
namespace {

namespace fs = std::filesystem;

std::string Text(const fs::path& p) { return ReadWholeFile(p.string()).value_or("<none>"); }

mode_t Mode(const fs::path& p) {
  struct stat st {};
  return ::lstat(p.c_str(), &st) == 0 ? (st.st_mode & 07777) : 0;
}

TEST(UnitFileIo, AWriteLeavesLinksBesideAloneAndKeepsTheUnitsMode) {
  zovedu_test::ScratchDir dir;
  const fs::path unit = dir.path() / "zovedu-task-1.timer", victim = dir.path() / "victim";
  std::ofstream(victim) << "keep me";
  fs::create_symlink(victim, unit.string() + ".tmp~");
  const struct {
    const char* name;
    std::optional<mode_t> existing;  // the unit before the write, with its mode
    mode_t expected;
  } cases[] = {{"a new unit", std::nullopt, 0644}, {"a private unit", 0600, 0600}, {"a unit of 0640", 0640, 0640}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    fs::remove(unit);
    if (c.existing) {
      std::ofstream(unit) << "old";
      ::chmod(unit.c_str(), *c.existing);
    }
    ASSERT_TRUE(WriteFileAtomically(unit.string(), "[Timer]\n"));
    EXPECT_EQ(Text(unit), "[Timer]\n");
    EXPECT_EQ(Mode(unit), c.expected);
    EXPECT_EQ(Text(victim), "keep me");
    EXPECT_TRUE(fs::is_symlink(unit.string() + ".tmp~"));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 3) << "nothing left behind";
  }
}

TEST(UnitFileIo, ARunStateWriteLeavesALinkAtTheOldTemporaryNameAlone) {
  zovedu_test::ScratchDir dir;
  const char* old = std::getenv("XDG_STATE_HOME");
  const std::optional<std::string> saved = old ? std::optional<std::string>(old) : std::nullopt;
  setenv("XDG_STATE_HOME", (dir.path() / "state").c_str(), 1);
  const fs::path folder = RunStateFolder(), victim = dir.path() / "victim";
  fs::create_directories(folder);
  std::ofstream(victim) << "keep me";
  const std::string id = "rec-0123456789abcdef";
  fs::create_symlink(victim, folder / ("." + id + ".tmp" + std::to_string(::getpid())));
  TaskRunState state;
  state.lastRun = 1700000000;
  EXPECT_TRUE(WriteRunState(id, state));
  EXPECT_EQ(ReadRunState(id).lastRun, state.lastRun);
  EXPECT_EQ(Text(victim), "keep me");
  if (saved) setenv("XDG_STATE_HOME", saved->c_str(), 1);
  else unsetenv("XDG_STATE_HOME");
}

}  // namespace
}  // namespace schedule
