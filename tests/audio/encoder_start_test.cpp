// What Encoder::Start refuses, and with which error.
#include "encoder_fixture.h"

using namespace zaudio;

namespace {
struct RefusalCase {
  const char* name;
  std::string target;
  CaptureFormat input;
  DWORD flags;
  int error;
};

const CaptureFormat kStereo{44100, 2, SampleType::S16};
}  // namespace

class EncoderStartRefusal : public ::testing::TestWithParam<RefusalCase> {};

TEST_P(EncoderStartRefusal, GivesNoEncoderAndSaysWhy) {
  const RefusalCase& c = GetParam();
  int error = OK;
  EXPECT_EQ(Encoder::Start(c.target, c.input, c.flags, error), nullptr);
  EXPECT_EQ(error, c.error);
  EXPECT_TRUE(encoder_test::ChildProcesses().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Encoder, EncoderStartRefusal,
    ::testing::Values(
        RefusalCase{"FileInAMissingFolder", "/nonexistent-zovedu-folder/x.wav", kStereo, ENCODE_PCM, ERROR_FILEOPEN},
        RefusalCase{"UnknownProgram", "zovedu-no-such-encoder -o x.mp3 -", kStereo, 0, ERROR_FILEOPEN},
        RefusalCase{"ProgramThatIsNoExecutable", "/etc/passwd -", kStereo, 0, ERROR_FILEOPEN},
        RefusalCase{"EmptyCommandLine", "", kStereo, 0, ERROR_ILLPARAM},
        RefusalCase{"BlankCommandLine", " \t ", kStereo, 0, ERROR_ILLPARAM},
        RefusalCase{"OpenQuote", "\"flac -", kStereo, 0, ERROR_ILLPARAM},
        // A usable file target shows that the format is checked first.
        RefusalCase{"NoChannels", "/dev/null", {44100, 0, SampleType::S16}, ENCODE_PCM, ERROR_FORMAT},
        RefusalCase{"NoRate", "/dev/null", {0, 2, SampleType::S16}, ENCODE_PCM, ERROR_FORMAT},
        RefusalCase{"FloatBitsNamingNoWidth", "/dev/null", {44100, 2, SampleType::F32}, ENCODE_PCM | 0xA,
                    ERROR_ILLPARAM}),
    [](const auto& info) { return std::string(info.param.name); });
