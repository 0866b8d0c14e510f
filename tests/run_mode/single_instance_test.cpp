// One program per user: later starts of the built program hand their
// command line to the first one, and a socket folder others could reach
// is not used.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>

#include "app/single_instance.h"
#include "e2e/program_run.h"
#include "support/program_run.h"
#include "support/scratch_dir.h"
#include "support/wav_file.h"

namespace {

namespace fs = std::filesystem;

void WriteText(const fs::path& path, const std::string& text) {
  fs::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
}

class SecondStartTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const fs::path home = scratch / "home", config = home / ".config";
    fs::create_directories(out);
    fs::create_directories(home / "Music");
    fs::create_directory(runtime);
    fs::permissions(runtime, fs::perms::owner_all);
    WriteText(config / "user-dirs.dirs", "XDG_DOCUMENTS_DIR=\"$HOME/Documents\"\nXDG_MUSIC_DIR=\"$HOME/Music\"\n");
    WriteText(home / "Documents" / "ridi" / "ridi.ini", "[OutPut]\nFolder=" + out.string() + "/\n");
    env = {{"HOME", home.string()},
           {"XDG_CONFIG_HOME", config.string()},
           {"XDG_STATE_HOME", (home / ".local" / "state").string()},
           {"XDG_RUNTIME_DIR", runtime.string()},
           {"ZOVEDU_AUDIO_BACKEND", "virtual"},
           {"QT_QPA_PLATFORM", "offscreen"},
           {"ZOVEDU_TASK", ""}};
  }

  void StartFirst() {
    ASSERT_TRUE(first.start(ZOVEDU_PROGRAM, {}, env, scratch / "first.log"));
    ASSERT_TRUE(zovedu_test::WaitUntil([&] { return fs::is_socket(runtime / "zovedu" / "instance") || !first.running(); }));
    ASSERT_FALSE(first.poll()) << e2e::ReadText(scratch / "first.log");
  }

  zovedu_test::RunResult Second(const std::vector<std::string>& args) {
    zovedu_test::EnvChanges changes;
    for (const auto& [k, v] : env) changes[k] = v.empty() ? std::nullopt : std::optional<std::string>(v);
    return zovedu_test::RunProgram(ZOVEDU_PROGRAM, args, "/dev/null", changes);
  }

  zovedu_test::ScratchDir scratch;
  fs::path out = scratch / "out", runtime = scratch / "runtime";
  std::map<std::string, std::string> env;
  e2e::RunningProgram first;
};

TEST_F(SecondStartTest, HandsOverToTheRunningProgram) {
  StartFirst();
  const zovedu_test::RunResult plain = Second({});
  EXPECT_TRUE(plain.ended && plain.exitCode == 0) << plain.describe();
  EXPECT_FALSE(first.poll());

  // A task file with a blank in its path.
  WriteText(out / "my task.cfg", "[Record]\nOutName=" + (out / "handed.wav").string() + "\n");
  const zovedu_test::RunResult run = Second({"-run", (out / "my task.cfg").string()});
  EXPECT_TRUE(run.ended && run.exitCode == 0) << run.describe();
  EXPECT_TRUE(zovedu_test::WaitUntil([&] { return fs::exists(out / "handed.wav") && fs::file_size(out / "handed.wav") > 44100; }));

  const zovedu_test::RunResult busy = Second({"-RUN"});
  EXPECT_TRUE(busy.ended && busy.exitCode == 1) << busy.describe();
  EXPECT_EQ(busy.lastErrLine(), "Zovedu is recording already; the scheduled task did not start.");
  EXPECT_FALSE(first.poll());
}

TEST_F(SecondStartTest, ScheduledRunWithoutDesktopRecordsOffscreen) {
  for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"}) env[name] = "";
  WriteText(out / "task.cfg", "[Record]\nOutName=" + (out / "nodesktop.wav").string() + "\n");
  ASSERT_TRUE(first.start(ZOVEDU_PROGRAM, {"-run", (out / "task.cfg").string()}, env, scratch / "first.log"));
  EXPECT_TRUE(zovedu_test::WaitUntil([&] {
    return (fs::exists(out / "nodesktop.wav") && fs::file_size(out / "nodesktop.wav") > 44100) || first.poll();
  }));
  EXPECT_FALSE(first.poll()) << e2e::ReadText(scratch / "first.log");
}

TEST_F(SecondStartTest, DueCheckIsAnsweredWithoutDesktopOrRunningProgram) {
  StartFirst();
  for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"}) env[name] = "";
  // No such task: the check says "not due" itself instead of the running
  // program answering "shown".
  const zovedu_test::RunResult due = Second({"--task-due", "zovedu-task-none-0000000000000000"});
  EXPECT_TRUE(due.ended && due.exitCode == 1) << due.describe();
  EXPECT_FALSE(first.poll());
}

TEST_F(SecondStartTest, StaleSocketIsReplaced) {
  fs::create_directory(runtime / "zovedu");
  fs::permissions(runtime / "zovedu", fs::perms::owner_all);
  WriteText(runtime / "zovedu" / "instance", "left behind");
  StartFirst();
  EXPECT_TRUE(fs::is_socket(runtime / "zovedu" / "instance"));
  const zovedu_test::RunResult plain = Second({});
  EXPECT_TRUE(plain.ended && plain.exitCode == 0) << plain.describe();
}

TEST(InstanceFolder, RefusedWhenOthersCouldReachIt) {
  zovedu_test::ScratchDir runtime;
  qputenv("XDG_RUNTIME_DIR", QByteArray::fromStdString(runtime.path().string()));
  const fs::path folder = runtime / "zovedu";
  fs::create_directory(folder);
  struct Case {
    fs::perms mode;
    uid_t owner;
  };
  std::vector<Case> cases = {{fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec, ::getuid()},
                             {fs::perms::owner_all | fs::perms::others_exec, ::getuid()}};
  if (::getuid() == 0) cases.push_back({fs::perms::owner_all, 65534});  // another user's folder
  for (const Case& c : cases) {
    fs::permissions(folder, c.mode);
    ASSERT_EQ(::chown(folder.c_str(), c.owner, static_cast<gid_t>(-1)), 0);
    QString why;
    EXPECT_TRUE(InstanceFolder(&why).isEmpty());
    EXPECT_FALSE(why.isEmpty());
    SingleInstance instance;
    EXPECT_FALSE(instance.Acquire({{"zovedu"}, {}}).has_value());
    EXPECT_FALSE(instance.Listening());
    EXPECT_FALSE(fs::exists(folder / "instance"));
  }
  ASSERT_EQ(::chown(folder.c_str(), ::getuid(), static_cast<gid_t>(-1)), 0);
  fs::permissions(folder, fs::perms::owner_all);
  EXPECT_EQ(InstanceFolder(), QString::fromStdString(folder.string()));
  qunsetenv("XDG_RUNTIME_DIR");
}

}  // namespace
