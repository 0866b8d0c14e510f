// What the WAV stream's header says about its length does not matter,
// samples wider than 16 bits are taken too, and a stream without samples
// still makes a file players recognise.
#include "speexenc_harness.h"

namespace speexenc_test {
namespace {

class SpeexencDeclaredLength : public SpeexencTest, public ::testing::WithParamInterface<std::uint32_t> {};

TEST_P(SpeexencDeclaredLength, TheWholeStreamIsEncoded) {
  const auto spx = file("out.spx");
  const ProgramRun run = encode(WavStream(16000, 2, 16, 3.0, SpeechLikeTone(), GetParam()), {"--vbr", "-w"}, spx);
  ASSERT_EQ(run.exitCode, 0) << run.err;
  ExpectDecodesToTone(spx, dir(), 16000, 2, 3.0);
}

// The data size of one second of 16-bit stereo at 16 kHz, and none at all.
INSTANTIATE_TEST_SUITE_P(Cases, SpeexencDeclaredLength, ::testing::Values(64000u, 0u),
                         [](const auto& info) { return info.param ? "OneSecond" : "Zero"; });

class SpeexencWideSamples : public SpeexencTest, public ::testing::WithParamInterface<int> {};

TEST_P(SpeexencWideSamples, AreTakenAsSixteenBits) {
  const auto spx = file("out.spx");
  const ProgramRun run = encode(WavStream(48000, 2, GetParam(), 3.0, SpeechLikeTone()), {"--bitrate", "24", "-u"}, spx);
  ASSERT_EQ(run.exitCode, 0) << run.err;
  ExpectDecodesToTone(spx, dir(), 32000, 2);
}

INSTANTIATE_TEST_SUITE_P(Cases, SpeexencWideSamples, ::testing::Values(24, 32),
                         [](const auto& info) { return std::to_string(info.param) + "bit"; });

using SpeexencEmptyStream = SpeexencTest;

TEST_F(SpeexencEmptyStream, GivesAFileDecodersReadAsNearlyNothing) {
  const auto spx = file("out.spx");
  const ProgramRun run = encode(WavStream(44100, 2, 16, 0, SpeechLikeTone()), {"--abr", "16", "-u"}, spx);
  ASSERT_EQ(run.exitCode, 0) << run.err;
  for (Decoder decoder : {Decoder::Speexdec, Decoder::Ffmpeg}) {
    SCOPED_TRACE(Name(decoder));
    const auto decoded = Decode(decoder, spx, dir());
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->channels, 2);
    EXPECT_LT(decoded->seconds(), 0.05);
  }
}

}  // namespace
}  // namespace speexenc_test
