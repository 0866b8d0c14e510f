// The additional program: started without a shell, its parameter one
// argument even with blanks and quotes in it.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>
#include <sstream>

#include "schedule/task_launch.h"
#include "support/scratch_dir.h"
#include "support/wav_file.h"

namespace {

std::string ReadText(const std::filesystem::path& p) {
  std::ifstream in(p);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

TEST(AdditionalProgram, ReceivesItsParameterAsOneArgument) {
  zovedu_test::ScratchDir scratch;
  const auto script = scratch / "log args.sh";
  const auto log = scratch / "args.log";
  // One line per argument, then "end" once all are written.
  std::ofstream(script) << "#!/bin/sh\nfor a in \"$@\"; do printf '[%s]\\n' \"$a\" >> '" << log.string()
                        << "'; done\necho end >> '" << log.string() << "'\n";
  ::chmod(script.c_str(), 0755);

  struct Case {
    const char* par;
    std::string lines;
  };
  const Case cases[] = {
      {"https://example.org/live stream?a=1&b=\"2\"", "[https://example.org/live stream?a=1&b=\"2\"]\nend\n"},
      {"", "end\n"},
      {"$HOME; `id`", "[$HOME; `id`]\nend\n"},
  };
  for (const Case& c : cases) {
    std::filesystem::remove(log);
    ASSERT_TRUE(schedule::StartAdditionalProgram(QString::fromStdString(script.string()), QString::fromUtf8(c.par)));
    ASSERT_TRUE(zovedu_test::WaitUntil([&] { return ReadText(log).find("end") != std::string::npos; }));
    EXPECT_EQ(ReadText(log), c.lines) << c.par;
  }
}

TEST(AdditionalProgram, FoundOnPathOrRefused) {
  EXPECT_TRUE(schedule::StartAdditionalProgram("true", ""));
  EXPECT_FALSE(schedule::StartAdditionalProgram("/nonexistent/program", "x"));
  EXPECT_FALSE(schedule::StartAdditionalProgram("no-such-program-zovedu", ""));
  EXPECT_FALSE(schedule::StartAdditionalProgram("", ""));
}

}  // namespace
