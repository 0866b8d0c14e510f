// Ten-minute files in formats whose containers do not state the length
// exactly (ADTS AAC has no length at all, a Musepack header rounds it): a
// stream knows the exact length as soon as it is made, before anything has
// been decoded, and it is what ffmpeg decodes from the file. The files are
// mono at the lowest rate each encoder takes, to keep encoding short; the
// containers still misstate the length by a second or more at this size.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "audio/zaudio.h"
#include "format_files.h"
#include "support/program_run.h"
#include "support/scratch_dir.h"

namespace zovedu_test {
namespace {

using namespace zaudio;

constexpr int kSeconds = 600;

struct LongFile {
  const char* name;
  int rate;
  const char* file;
  Creator creator;
  DWORD ctype;
};

// A 440 Hz tone over a little seeded noise, mono 16-bit, kSeconds long.
std::vector<std::string> SourceArgs(int rate) {
  const std::string r = std::to_string(rate), d = std::to_string(kSeconds);
  return {"-v", "error", "-y", "-f", "lavfi", "-i", "sine=f=440:r=" + r + ":d=" + d,
          "-f", "lavfi", "-i", "anoisesrc=a=0.02:seed=1:r=" + r + ":d=" + d,
          "-filter_complex", "amix=inputs=2", "-ac", "1"};
}

void Encode(const LongFile& f, const std::filesystem::path& out, const ScratchDir& dir) {
  auto args = SourceArgs(f.rate);
  if (f.ctype == CTYPE_STREAM_AAC) {
    args.insert(args.end(), {"-c:a", "aac", "-b:a", "16k", "-f", "adts", out.string()});
    const RunResult r = RunProgram(ZOVEDU_FFMPEG, args);
    ASSERT_TRUE(r.ended && r.exitCode == 0) << r.describe();
    return;
  }
  const auto wav = dir / "source.wav";
  args.insert(args.end(), {"-c:a", "pcm_s16le", wav.string()});
  RunResult r = RunProgram(ZOVEDU_FFMPEG, args);
  ASSERT_TRUE(r.ended && r.exitCode == 0) << r.describe();
  // Debian's encoder, found on PATH.
  r = RunProgram("/usr/bin/env", {"mpcenc", "--silent", "--overwrite", wav.string(), out.string()});
  ASSERT_TRUE(r.ended && r.exitCode == 0) << r.describe();
}

class LongFileLength : public ::testing::TestWithParam<LongFile> {};

TEST_P(LongFileLength, IsExactBeforeAnythingIsDecoded) {
  const LongFile& f = GetParam();
  ScratchDir dir;
  const auto path = dir / f.file;
  ASSERT_NO_FATAL_FAILURE(Encode(f, path, dir));

  const RunResult decoded = RunProgram(ZOVEDU_FFMPEG, {"-v", "error", "-i", path.string(), "-f", "s16le", "-"});
  ASSERT_TRUE(decoded.ended && decoded.exitCode == 0) << decoded.describe();
  // The whole of the tone at least, so that a stream cut short cannot pass.
  ASSERT_GE(decoded.out.size(), static_cast<size_t>(kSeconds) * f.rate * 2);

  const HSTREAM h = f.creator(false, path.c_str(), 0, 0, STREAM_DECODE);
  ASSERT_NE(h, 0u) << ErrorGetCode();
  ChannelInfo info;
  ASSERT_TRUE(ChannelGetInfo(h, &info));
  EXPECT_EQ(info.ctype, f.ctype);
  EXPECT_EQ(info.chans, 1u);
  EXPECT_EQ(info.freq, static_cast<DWORD>(f.rate));
  EXPECT_EQ(ChannelGetPosition(h, POS_BYTE), 0u);
  EXPECT_EQ(ChannelGetLength(h, POS_BYTE), decoded.out.size());
  StreamFree(h);
}

INSTANTIATE_TEST_SUITE_P(Formats, LongFileLength,
                         ::testing::Values(LongFile{"Adts", 8000, "long.aac", &AAC_StreamCreateFile, CTYPE_STREAM_AAC},
                                           LongFile{"Mpc", 32000, "long.mpc", &MPC_StreamCreateFile, CTYPE_STREAM_MPC}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace zovedu_test
