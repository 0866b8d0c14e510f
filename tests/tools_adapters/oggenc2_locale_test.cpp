// oggenc reads "-q 2.75" in its locale: under a decimal comma it encodes at
// quality 2. bin/oggenc2 gets the same file as under LC_ALL=C whatever the
// locale it runs in.
#include <gtest/gtest.h>

#include "support/program_run.h"
#include "recorder_stream.h"
#include "support/scratch_dir.h"
#include "support/wav_file.h"

namespace tools_adapters {

using namespace zovedu_test;
namespace {

constexpr const char* kLocaleSource = "/usr/share/i18n/locales/de_DE";

TEST(Oggenc2Locale, ADecimalCommaLocaleGivesTheFileOfTheCLocale) {
  if (!std::filesystem::exists(ZOVEDU_LOCALEDEF) || !std::filesystem::exists(kLocaleSource))
    GTEST_SKIP() << "no localedef or de_DE locale source to build a decimal-comma locale";
  const ScratchDir dir;
  // A private locale directory: the system's may lack de_DE.
  const RunResult built = RunProgram(ZOVEDU_LOCALEDEF, {"-i", "de_DE", "-f", "UTF-8", (dir / "de_DE.UTF-8").string()});
  if (built.exitCode != 0) GTEST_SKIP() << "cannot build the de_DE locale: " << built.describe();
  const EnvChanges comma = {{"LOCPATH", dir.path().string()},
                            {"LC_ALL", std::nullopt},
                            {"LANG", std::nullopt},
                            {"LC_NUMERIC", "de_DE.UTF-8"}};

  const StreamLayout layout{44100, 2, 16, 3.0, std::nullopt};
  const auto stream = dir / "stream.wav";
  WriteRecorderStream(layout, stream);
  auto encode = [&](const std::string& program, const std::string& name, const EnvChanges& env) {
    const auto out = dir / name;
    const RunResult r = RunProgram(program, {"-s", "7", "-q", "2.75", "-", "-o", out.string()}, stream, env);
    EXPECT_EQ(r.exitCode, 0) << program << ": " << r.describe();
    return zovedu_test::ReadFile(out.string());
  };

  // Without the comma taking effect the comparison below would prove nothing.
  if (encode(ZOVEDU_DEBIAN_OGGENC, "direct_c.ogg", {{"LC_ALL", "C"}}) ==
      encode(ZOVEDU_DEBIAN_OGGENC, "direct_comma.ogg", comma))
    GTEST_SKIP() << "oggenc reads 2.75 alike in both locales: the comma locale did not take effect";

  const Bytes inC = encode(Bin("oggenc2"), "adapter_c.ogg", {{"LC_ALL", "C"}});
  const Bytes inComma = encode(Bin("oggenc2"), "adapter_comma.ogg", comma);
  ASSERT_FALSE(inC.empty());
  EXPECT_TRUE(inC == inComma) << "oggenc2 encodes -q 2.75 differently under a decimal comma";
}

}  // namespace
}  // namespace tools_adapters
