// What an adapter cannot encode ends it with a non-zero status and a
// one-line message on stderr, before any output file exists: input that is
// no WAV stream or holds an unsupported format, a rate mpcenc cannot encode,
// and a switch the Debian encoder rejects (then its status and message).
#include <gtest/gtest.h>

#include "support/program_run.h"
#include "recorder_stream.h"
#include "support/scratch_dir.h"

namespace tools_adapters {

using namespace zovedu_test;
namespace {

struct Refusal {
  std::string name;
  std::string program;
  std::vector<std::string> switches;  // an empty one stands for the output path
  Bytes input;
  std::string messageHas;  // in the last line of stderr
};

void PrintTo(const Refusal& c, std::ostream* os) { *os << c.name; }

class AdapterRefuses : public ::testing::TestWithParam<Refusal> {};

TEST_P(AdapterRefuses, WithAMessageAndNoFile) {
  const Refusal& c = GetParam();
  const ScratchDir dir;
  const auto input = dir / "input", output = dir / "out";
  WriteBytes(c.input, input);
  std::vector<std::string> args = c.switches;
  for (auto& a : args)
    if (a.empty()) a = output.string();

  const RunResult r = RunProgram(Bin(c.program), args, input);
  ASSERT_TRUE(r.ended) << r.describe();
  EXPECT_NE(r.exitCode, 0) << r.describe();
  EXPECT_NE(r.lastErrLine().find(c.messageHas), std::string::npos) << r.describe();
  EXPECT_FALSE(std::filesystem::exists(output));
}

Bytes Garbage() {
  Bytes b(5000);
  std::uint32_t x = 99;
  for (auto& v : b) v = static_cast<std::uint8_t>((x = x * 1103515245u + 12345u) >> 16);
  return b;
}

Bytes Stream(int rate) { return RecorderStream({rate, 2, 16, 1.0, std::nullopt}); }

// A recorder stream whose format tag says ADPCM (2).
Bytes Adpcm() {
  Bytes b = Stream(44100);
  b[20] = 2;
  return b;
}

std::vector<Refusal> Cases() {
  const std::vector<std::pair<std::string, std::vector<std::string>>> lines = {
      {"lame", {"--preset", "standard", "-", ""}},
      {"mppenc", {"--silent", "--overwrite", "--standard", "--ms", "2", "-", ""}},
      {"wavpack", {"-j1", "-h", "-b23.9", "-i", "-", ""}},
      {"flac", {"-f", "--compression-level-5", "-o", "", "-"}},
      {"oggenc2", {"-q", "2.75", "-", "-o", ""}},
  };
  std::vector<Refusal> cases;
  for (const auto& [program, switches] : lines) {
    cases.push_back({program + "_garbage", program, switches, Garbage(), program + ": the input is not a WAV stream"});
    cases.push_back({program + "_empty", program, switches, {}, program + ": the input is not a WAV stream"});
    cases.push_back({program + "_adpcm", program, switches, Adpcm(), program + ": the WAV stream's sample format"});
  }
  for (int rate : {8000, 22050, 96000})
    cases.push_back({"mppenc_" + std::to_string(rate) + "_hz", "mppenc", lines[1].second, Stream(rate),
                     "not " + std::to_string(rate) + " Hz"});
  cases.push_back({"lame_bad_switch", "lame", {"--bogus-switch", "-", ""}, Stream(44100), "bogus-switch"});
  cases.push_back({"flac_bad_switch", "flac", {"--bogus-switch", "-o", "", "-"}, Stream(44100), "bogus-switch"});
  cases.push_back({"wavpack_no_output", "wavpack", {"-j1", "-i", "-"}, Stream(44100), "wavpack: expected"});
  return cases;
}

INSTANTIATE_TEST_SUITE_P(Inputs, AdapterRefuses, ::testing::ValuesIn(Cases()),
                         [](const auto& info) { return info.param.name; });

}  // namespace
}  // namespace tools_adapters
