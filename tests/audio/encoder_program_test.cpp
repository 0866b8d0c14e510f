// Encoders that feed a program: real encoders round-tripping the samples, the
// stream and environment a program gets, programs that end early or stop
// reading. No program is ever left behind, not even as a zombie.
#include <gmock/gmock.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QTemporaryDir>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "audio/encode/child_process.h"
#include "audio/encode/command_line.h"
#include "encoder_fixture.h"
#include "support/scratch_dir.h"

using namespace zaudio;
using namespace encoder_test;
using ::testing::ElementsAre;

namespace {

std::unique_ptr<Encoder> StartProgram(const std::string& commandLine, const CaptureFormat& input, DWORD flags = 0) {
  int error = -1;
  auto encoder = Encoder::Start(commandLine, input, flags, error);
  EXPECT_TRUE(encoder) << commandLine << ": error " << error;
  return encoder;
}

struct RoundTrip {
  const char* name;
  CaptureFormat input;
  DWORD flags;
  Bytes fed;
  Bytes decoded;              // what decoding the program's file must give
  std::string encode;         // %1 stands for the output file
  QStringList decode;         // program and arguments; %1 likewise
};

std::string Replace(std::string s, const std::string& file) { return s.replace(s.find("%1"), 2, file); }

// Switches the working folder for the life of the object.
class ScopedWorkingDir {
 public:
  explicit ScopedWorkingDir(const std::string& dir) : previous_(std::filesystem::current_path()) {
    std::filesystem::current_path(dir);
  }
  ~ScopedWorkingDir() { std::filesystem::current_path(previous_); }

 private:
  std::filesystem::path previous_;
};

// Sets an environment variable for the life of the object.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name)) previous_ = old;
    ::setenv(name, value, 1);
  }
  ~ScopedEnv() {
    if (previous_)
      ::setenv(name_, previous_->c_str(), 1);
    else
      ::unsetenv(name_);
  }

 private:
  const char* name_;
  std::optional<std::string> previous_;
};

}  // namespace

class CommandLineEncoderRoundTrip : public ::testing::TestWithParam<RoundTrip> {};

TEST_P(CommandLineEncoderRoundTrip, DecodedFileHoldsTheFedSamples) {
  const RoundTrip& c = GetParam();
  QTemporaryDir dir;
  const std::string out = (dir.path() + "/out.flac").toStdString();
  auto encoder = StartProgram(Replace(c.encode, "\"" + out + "\""), c.input, c.flags);
  ASSERT_TRUE(encoder);
  FeedInBlocks(*encoder, c.fed, c.input.frameBytes());
  EXPECT_TRUE(encoder->stop()) << encoder->lastMessage();
  EXPECT_EQ(encoder->failure(), 0u);
  EXPECT_EQ(encoder->countIn(), c.decoded.size());

  QStringList args = c.decode.mid(1);
  args.replaceInStrings("%1", QString::fromStdString(out));
  const ProgramRun decoded = RunProgram(c.decode.front(), args);
  ASSERT_TRUE(decoded.finished && decoded.exitCode == 0) << decoded.err;
  EXPECT_EQ(decoded.out.size(), c.decoded.size());
  EXPECT_TRUE(decoded.out == c.decoded);
}

namespace {
const QStringList kFlacDecode = {"flac",           "-d",          "--silent",           "-c",
                                 "--force-raw-format", "--endian=little", "--sign=signed", "%1"};
const char* kFlacEncode = "flac --silent --ignore-chunk-sizes -f -o %1 -";
const Float24Signal kFloat24 = ExactFloat24Signal(14400, 1);
}  // namespace

INSTANTIATE_TEST_SUITE_P(
    CommandLine, CommandLineEncoderRoundTrip,
    ::testing::Values(
        RoundTrip{"FlacStereo", {44100, 2, SampleType::S16}, 0, S16Signal(13230, 2), S16Signal(13230, 2),
                  kFlacEncode, kFlacDecode},
        RoundTrip{"FlacFourChannels", {48000, 4, SampleType::S16}, 0, S16Signal(14400, 4), S16Signal(14400, 4),
                  kFlacEncode, kFlacDecode},
        RoundTrip{"SoxFloatAs24Bit", {48000, 1, SampleType::F32}, ENCODE_FP_24BIT, kFloat24.floats,
                  kFloat24.expected, "sox -q -t wav - %1", {"sox", "%1", "-t", "raw", "-e", "signed", "-b", "24", "-"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CommandLineEncoder, RelativeProgramRunsFromTheExecutablesFolderWithAWavStreamAndCLocale) {
  // The program sits below our executable's folder, not below the working folder.
  QTemporaryDir programDir(QString::fromStdString(ExecutableDir()) + "/encoder-test-XXXXXX");
  QTemporaryDir work;
  ASSERT_TRUE(programDir.isValid() && work.isValid());
  const std::string script = programDir.path().toStdString() + "/capture";
  std::ofstream(script) << "#!/bin/sh\necho \"locale $LC_ALL\" >&2\nexec cat > \"$1\"\n";
  ASSERT_EQ(::chmod(script.c_str(), 0755), 0);
  const std::string relative = std::filesystem::path(script).lexically_relative(ExecutableDir()).string();
  const std::string out = work.path().toStdString() + "/stream.wav";

  ScopedWorkingDir cwd(work.path().toStdString());
  ScopedEnv locale("LC_ALL", "de_DE.UTF-8");
  auto encoder = StartProgram(relative + " " + out, {22050, 2, SampleType::S16});
  ASSERT_TRUE(encoder);
  const Bytes fed = S16Signal(2205, 2);
  FeedInBlocks(*encoder, fed, 4);
  EXPECT_TRUE(encoder->stop());
  EXPECT_EQ(encoder->lastMessage(), "locale C");

  const auto wav = ReadWav(out);
  ASSERT_TRUE(wav);
  EXPECT_EQ(wav->fileSize - wav->data.size(), 44u);
  EXPECT_EQ(wav->riffId, "RIFF");
  EXPECT_EQ(wav->riffSize32, 0xFFFFFFFFu);
  EXPECT_EQ(wav->dataSize32, 0xFFFFFFFFu);
  EXPECT_THAT(wav->chunkIds, ElementsAre("fmt ", "data"));
  EXPECT_EQ(wav->formatTag, 1);
  EXPECT_EQ(wav->channels, 2);
  EXPECT_EQ(wav->rate, 22050u);
  EXPECT_EQ(wav->bits, 16);
  EXPECT_TRUE(wav->data == fed);
}

namespace {
struct EndCase {
  const char* name;
  const char* commandLine;
  const char* lastLine;
};
}  // namespace

class CommandLineEncoderEnd : public ::testing::TestWithParam<EndCase> {};

TEST_P(CommandLineEncoderEnd, ProgramEndingByItselfIsReportedEvenWhileIdle) {
  NotifyLog log;
  auto encoder = StartProgram(GetParam().commandLine, {44100, 2, SampleType::S16});
  ASSERT_TRUE(encoder);
  encoder->setPaused(true);
  encoder->setNotify(log.proc());
  ASSERT_TRUE(log.waitForStatus());
  EXPECT_EQ(encoder->failure(), ENCODE_NOTIFY_ENCODER);
  EXPECT_FALSE(encoder->stop());
  EXPECT_THAT(log.statuses(), ElementsAre(ENCODE_NOTIFY_ENCODER));
  EXPECT_EQ(encoder->lastMessage(), GetParam().lastLine);
  EXPECT_TRUE(ChildProcesses().empty());
}

INSTANTIATE_TEST_SUITE_P(
    CommandLine, CommandLineEncoderEnd,
    ::testing::Values(EndCase{"Fails", "sh -c \"echo starting >&2; echo cannot open the output >&2; exit 3\"",
                              "cannot open the output"},
                      EndCase{"False", "false", ""},
                      EndCase{"ExitsWithZeroTooEarly", "sh -c \"printf 'done\\r' >&2\"", "done"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CommandLineEncoder, ProgramThatStopsReadingFillsTheQueueAndIsKilledAtStop) {
  ScopedEncoderOverrides overrides({.queueBytes = 16384, .stopTimeout = std::chrono::milliseconds(300)});
  NotifyLog log;
  auto encoder = StartProgram("sleep 600", {44100, 2, SampleType::S16});
  ASSERT_TRUE(encoder);
  encoder->setNotify(log.proc());
  const Bytes block = S16Signal(1024, 2);
  ASSERT_TRUE(WaitUntil([&] {
    encoder->feed(block.data(), block.size());
    return encoder->failure() != 0;
  }));
  ASSERT_TRUE(log.waitForStatus());
  EXPECT_EQ(encoder->failure(), ENCODE_NOTIFY_QUEUE_FULL);

  const std::uint64_t counted = encoder->countIn();
  EXPECT_GE(counted, 16384u);
  encoder->feed(block.data(), block.size());
  EXPECT_EQ(encoder->countIn(), counted);
  EXPECT_FALSE(encoder->stop());
  EXPECT_THAT(log.statuses(), ElementsAre(ENCODE_NOTIFY_QUEUE_FULL));
  EXPECT_TRUE(ChildProcesses().empty());
}

// An encoder outlives the program that started it: when the program dies
// outright, the encoder gets the end of its input, may still write its
// messages into the broken pipe, and finishes its file.
TEST(CommandLineEncoder, OutlivesAKilledProgramAndItsMessagesIntoABrokenPipe) {
  zovedu_test::ScratchDir dir;
  const std::string marker = (dir.path() / "finished").string();
  const pid_t program = ::fork();
  ASSERT_GE(program, 0);
  if (program == 0) {
    // The "program": starts the encoder, then dies with its pipes open.
    auto child = zaudio::ChildProcess::Spawn(
        "/bin/sh", {"sh", "-c", "cat >/dev/null; echo 'closing the file' >&2; echo done >'" + marker + "'"},
        {"PATH=/usr/bin:/bin"});
    if (!child) ::_exit(2);
    ::raise(SIGKILL);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(program, &status, 0), program);
  ASSERT_TRUE(WIFSIGNALED(status)) << "the program did not start the encoder";
  EXPECT_TRUE(zovedu_test::WaitUntil([&] { return std::filesystem::exists(marker); }, std::chrono::seconds(20)))
      << "the encoder died with its program";
}
