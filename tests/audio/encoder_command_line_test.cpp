// Splitting encoder command lines and finding their programs.
#include <gmock/gmock.h>
#include <sys/stat.h>

#include <QTemporaryDir>
#include <fstream>

#include "audio/encode/command_line.h"

using namespace zaudio;

namespace {
struct SplitCase {
  const char* line;
  std::optional<std::vector<std::string>> args;
};
}  // namespace

class CommandLineSplit : public ::testing::TestWithParam<SplitCase> {};

TEST_P(CommandLineSplit, GivesTheArguments) {
  EXPECT_EQ(SplitCommandLine(GetParam().line), GetParam().args) << GetParam().line;
}

INSTANTIATE_TEST_SUITE_P(
    CommandLine, CommandLineSplit,
    ::testing::Values(SplitCase{"lame -b 128 - out.mp3", {{"lame", "-b", "128", "-", "out.mp3"}}},
                      SplitCase{"  a   b\t\tc  ", {{"a", "b", "c"}}},
                      SplitCase{"enc \"My Music/a b.ogg\" -", {{"enc", "My Music/a b.ogg", "-"}}},
                      SplitCase{"\"/opt/my tools/enc\" -", {{"/opt/my tools/enc", "-"}}},
                      SplitCase{"enc --title=\"A  B\"x -", {{"enc", "--title=A  Bx", "-"}}},
                      SplitCase{"enc \"\" -", {{"enc", "", "-"}}},
                      SplitCase{"enc 'a b'", {{"enc", "'a", "b'"}}},      // single quotes are plain characters
                      SplitCase{"enc a\\\"b c\"", {{"enc", "a\\b c"}}},  // no escapes: the backslash stays
                      SplitCase{"", std::nullopt}, SplitCase{" \t ", std::nullopt},
                      SplitCase{"enc \"open", std::nullopt}));

TEST(CommandLine, ProgramsAreFoundBelowTheExecutablesFolderOrOnThePath) {
  QTemporaryDir tmp;
  const std::string root = tmp.path().toStdString();
  const auto makeFile = [&](const std::string& rel, mode_t mode) {
    std::filesystem::create_directories(std::filesystem::path(root + "/" + rel).parent_path());
    std::ofstream(root + "/" + rel) << "#!/bin/sh\n";
    ::chmod((root + "/" + rel).c_str(), mode);
  };
  makeFile("exe/bin/tool", 0755);
  makeFile("exe/bin/plain", 0644);
  makeFile("first/other", 0755);
  makeFile("second/tool2", 0755);
  std::filesystem::create_directories(root + "/first/tool2");  // a folder is no program
  const std::string exeDir = root + "/exe";
  const std::string path = root + "/first::" + root + "/second";

  struct Case {
    std::string program;
    std::optional<std::string> found;
  };
  for (const Case& c : {Case{"bin/tool", exeDir + "/bin/tool"}, Case{"./bin/tool", exeDir + "/./bin/tool"},
                        Case{"bin/plain", std::nullopt}, Case{"bin/missing", std::nullopt},
                        Case{root + "/second/tool2", root + "/second/tool2"},
                        Case{root + "/exe/bin/plain", std::nullopt}, Case{"tool2", root + "/second/tool2"},
                        Case{"tool", std::nullopt}, Case{"", std::nullopt}}) {
    EXPECT_EQ(ResolveProgram(c.program, exeDir, path), c.found) << c.program;
  }
  EXPECT_EQ(ResolveProgram("tool2", exeDir, ""), std::nullopt);
}
