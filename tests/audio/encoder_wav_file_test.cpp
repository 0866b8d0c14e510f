// WAV files written by an encoder: what they hold, a header that stays current
// while recording, RF64 past the size limit, a full disk, an overflowing queue
// and pausing.
#include <gmock/gmock.h>

#include <QTemporaryDir>

#include "encoder_fixture.h"

using namespace zaudio;
using namespace encoder_test;
using ::testing::ElementsAre;

namespace {

class WavFileEncoder : public ::testing::Test {
 protected:
  std::string file(const char* name) const { return (dir.path() + "/" + name).toStdString(); }
  std::unique_ptr<Encoder> start(const std::string& path, const CaptureFormat& input, DWORD flags = 0) {
    int error = -1;
    auto encoder = Encoder::Start(path, input, ENCODE_PCM | flags, error);
    EXPECT_TRUE(encoder) << "error " << error;
    return encoder;
  }

  QTemporaryDir dir;
  const CaptureFormat stereo16{44100, 2, SampleType::S16};
};

std::string Probe(const std::string& path, const char* entries) {
  const ProgramRun run = RunProgram("ffprobe", {"-v", "error", "-show_entries", entries, "-of",
                                                "default=noprint_wrappers=1", QString::fromStdString(path)});
  EXPECT_TRUE(run.finished && run.exitCode == 0) << run.err;
  return std::string(run.out.begin(), run.out.end());
}

struct FileCase {
  const char* name;
  CaptureFormat input;
  DWORD flags;
  Bytes fed;
  Bytes written;
  std::uint16_t formatTag;
  std::uint16_t subFormatTag;
  std::uint16_t bits;
  const char* codec;  // as ffprobe names it
};

FileCase Case(const char* name, CaptureFormat input, DWORD flags, Bytes fed, std::uint16_t tag,
              std::uint16_t subTag, std::uint16_t bits, const char* codec, Bytes written = {}) {
  if (written.empty()) written = fed;
  return {name, input, flags, std::move(fed), std::move(written), tag, subTag, bits, codec};
}

}  // namespace

class WavFileFormats : public WavFileEncoder, public ::testing::WithParamInterface<FileCase> {};

TEST_P(WavFileFormats, FileReadsBackWithTheFedSamples) {
  const FileCase& c = GetParam();
  const std::string path = file("out.wav");
  auto encoder = start(path, c.input, c.flags);
  ASSERT_TRUE(encoder);
  FeedInBlocks(*encoder, c.fed, c.input.frameBytes());
  EXPECT_TRUE(encoder->stop());
  EXPECT_EQ(encoder->countIn(), c.written.size());

  const auto wav = ReadWav(path);
  ASSERT_TRUE(wav);
  EXPECT_EQ(wav->riffId, "RIFF");
  EXPECT_EQ(wav->riffSize32, wav->fileSize - 8);
  EXPECT_THAT(wav->chunkIds, ElementsAre("JUNK", "fmt ", "data"));
  EXPECT_EQ(wav->junk, Bytes(28, 0));
  EXPECT_EQ(wav->formatTag, c.formatTag);
  EXPECT_EQ(wav->subFormatTag, c.subFormatTag);
  EXPECT_EQ(wav->channels, c.input.channels);
  EXPECT_EQ(wav->rate, c.input.rate);
  EXPECT_EQ(wav->bits, c.bits);
  EXPECT_EQ(wav->blockAlign, c.input.channels * c.bits / 8);
  EXPECT_EQ(wav->byteRate, wav->blockAlign * c.input.rate);
  EXPECT_TRUE(wav->data == c.written);

  EXPECT_EQ(Probe(path, "stream=codec_name,sample_rate,channels"),
            "codec_name=" + std::string(c.codec) + "\nsample_rate=" + std::to_string(c.input.rate) +
                "\nchannels=" + std::to_string(c.input.channels) + "\n");
}

INSTANTIATE_TEST_SUITE_P(
    Wav, WavFileFormats,
    ::testing::Values(
        // Integer input is written as it is, whatever the float flags say.
        Case("S16Stereo", {44100, 2, SampleType::S16}, ENCODE_FP_8BIT, S16Signal(4410, 2), 1, 1, 16, "pcm_s16le"),
        Case("U8Mono", {8000, 1, SampleType::U8}, ENCODE_FP_24BIT, U8Signal(801, 1), 1, 1, 8, "pcm_u8"),
        Case("FloatStereo", {48000, 2, SampleType::F32}, 0, F32Signal(4800, 2), 3, 3, 32, "pcm_f32le"),
        Case("FloatAs24BitSixChannels", {48000, 6, SampleType::F32}, ENCODE_FP_24BIT,
             ExactFloat24Signal(2400, 6).floats, 0xFFFE, 1, 24, "pcm_s24le", ExactFloat24Signal(2400, 6).expected)),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(WavFileEncoder, HeaderOnDiskStatesTheDataWhileRecording) {
  const std::string path = file("live.wav");
  auto encoder = start(path, stereo16);
  ASSERT_TRUE(encoder);
  Bytes fed;
  for (unsigned part = 1; part <= 2; ++part) {
    const Bytes block = S16Signal(8820, 2, part);
    encoder->feed(block.data(), block.size());
    fed = Concat(fed, block);
    ASSERT_TRUE(WaitUntil([&] {
      const auto wav = ParseWav(ReadFile(path), true);
      return wav && wav->data.size() == fed.size();
    })) << "the header never stated the " << fed.size() << " bytes fed";
    const auto wav = ReadWav(path);
    ASSERT_TRUE(wav);
    EXPECT_EQ(wav->riffSize32, wav->fileSize - 8);
    EXPECT_TRUE(wav->data == fed);
  }
  EXPECT_TRUE(encoder->stop());
}

TEST_F(WavFileEncoder, FilePastTheSizeLimitBecomesRf64AndOneBelowStaysPlain) {
  // The header takes 80 bytes, so 12000 stereo frames pass the limit and 8000 do not.
  ScopedEncoderOverrides overrides({.largestPlainRiffSize = 40000});
  const Bytes big = S16Signal(12000, 2);
  const Bytes small = S16Signal(8000, 2);
  auto bigEncoder = start(file("big.wav"), stereo16);
  auto smallEncoder = start(file("small.wav"), stereo16);
  ASSERT_TRUE(bigEncoder && smallEncoder);
  FeedInBlocks(*bigEncoder, big, 4);
  FeedInBlocks(*smallEncoder, small, 4);
  EXPECT_TRUE(bigEncoder->stop());
  EXPECT_TRUE(smallEncoder->stop());

  const auto rf64 = ReadWav(file("big.wav"));
  ASSERT_TRUE(rf64);
  EXPECT_EQ(rf64->riffId, "RF64");
  EXPECT_THAT(rf64->chunkIds, ElementsAre("ds64", "fmt ", "data"));
  EXPECT_EQ(rf64->riffSize32, 0xFFFFFFFFu);
  EXPECT_EQ(rf64->dataSize32, 0xFFFFFFFFu);
  EXPECT_EQ(rf64->ds64Riff, rf64->fileSize - 8);
  EXPECT_EQ(rf64->ds64Data, big.size());
  EXPECT_EQ(rf64->ds64Samples, 12000u);
  EXPECT_EQ(rf64->ds64Table, 0u);
  EXPECT_TRUE(rf64->data == big);
  EXPECT_NEAR(std::stod(Probe(file("big.wav"), "format=duration").substr(9)), 12000 / 44100.0, 0.001);

  const auto plain = ReadWav(file("small.wav"));
  ASSERT_TRUE(plain);
  EXPECT_EQ(plain->riffId, "RIFF");
  EXPECT_THAT(plain->chunkIds, ElementsAre("JUNK", "fmt ", "data"));
  EXPECT_EQ(plain->riffSize32, plain->fileSize - 8);
  EXPECT_TRUE(plain->data == small);
}

TEST_F(WavFileEncoder, FullDiskEndsTheEncoderWithAValidFileOfWhatWasWritten) {
  // The disk fills in the middle of a frame: the file keeps the whole frames before it.
  ScopedEncoderOverrides overrides({.failWriteAfter = 4002});
  const std::string path = file("full.wav");
  NotifyLog log;
  auto encoder = start(path, stereo16);
  ASSERT_TRUE(encoder);
  encoder->setNotify(log.proc());
  const Bytes fed = S16Signal(3000, 2);
  encoder->feed(fed.data(), fed.size());

  ASSERT_TRUE(log.waitForStatus());
  EXPECT_EQ(encoder->failure(), ENCODE_NOTIFY_WRITE_FAILED);
  EXPECT_THAT(encoder->lastMessage(), ::testing::HasSubstr("No space left on device"));
  const Bytes before(fed.begin(), fed.begin() + 4000);
  const auto wav = ReadWav(path);  // completed before the notification
  ASSERT_TRUE(wav);
  EXPECT_EQ(wav->riffSize32, wav->fileSize - 8);
  EXPECT_TRUE(wav->data == before);

  const Bytes onDisk = ReadFile(path);
  const std::uint64_t counted = encoder->countIn();
  encoder->feed(fed.data(), fed.size());
  EXPECT_EQ(encoder->countIn(), counted);
  EXPECT_FALSE(encoder->stop());
  EXPECT_THAT(log.statuses(), ElementsAre(ENCODE_NOTIFY_WRITE_FAILED));
  EXPECT_TRUE(ReadFile(path) == onDisk);
}

TEST_F(WavFileEncoder, BlockTheQueueCannotHoldIsRefusedAndWhatWasQueuedIsKept) {
  ScopedEncoderOverrides overrides({.queueBytes = 4096});
  const std::string path = file("overflow.wav");
  NotifyLog log;
  auto encoder = start(path, stereo16);
  ASSERT_TRUE(encoder);
  encoder->setNotify(log.proc());
  const Bytes first = S16Signal(250, 2, 1);
  const Bytes tooBig = S16Signal(2000, 2, 2);
  const Bytes later = S16Signal(250, 2, 3);
  encoder->feed(first.data(), first.size());
  encoder->feed(tooBig.data(), tooBig.size());
  encoder->feed(later.data(), later.size());  // no gap: nothing after the refusal

  ASSERT_TRUE(log.waitForStatus());
  EXPECT_EQ(encoder->failure(), ENCODE_NOTIFY_QUEUE_FULL);
  EXPECT_EQ(encoder->countIn(), first.size());
  EXPECT_FALSE(encoder->stop());
  EXPECT_THAT(log.statuses(), ElementsAre(ENCODE_NOTIFY_QUEUE_FULL));
  const auto wav = ReadWav(path);
  ASSERT_TRUE(wav);
  EXPECT_EQ(wav->riffSize32, wav->fileSize - 8);
  EXPECT_TRUE(wav->data == first);
}

TEST_F(WavFileEncoder, PausedEncoderNeitherWritesNorCountsWhatItIsFed) {
  const std::string path = file("paused.wav");
  auto encoder = start(path, stereo16);
  ASSERT_TRUE(encoder);
  const Bytes before = S16Signal(500, 2, 1), during = S16Signal(500, 2, 2), after = S16Signal(500, 2, 3);
  encoder->feed(before.data(), before.size());
  encoder->setPaused(true);
  EXPECT_TRUE(encoder->paused());
  encoder->feed(during.data(), during.size());
  encoder->setPaused(false);
  EXPECT_FALSE(encoder->paused());
  encoder->feed(after.data(), after.size());
  EXPECT_TRUE(encoder->stop());

  EXPECT_EQ(encoder->countIn(), before.size() + after.size());
  const auto wav = ReadWav(path);
  ASSERT_TRUE(wav);
  EXPECT_TRUE(wav->data == Concat(before, after));
}
