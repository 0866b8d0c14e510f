// Encoders on channels: what they receive, how they end with their channel,
// and handing a running capture over from one file to the next.
#include <QTemporaryDir>
#include <cstring>

#include "encoder_fixture.h"
#include "virtual_fixture.h"

using namespace zaudio;
using zovedu_test::ReadWav;

namespace {

std::vector<std::int16_t> Samples16(const zovedu_test::Bytes& data) {
  std::vector<std::int16_t> s(data.size() / 2);
  std::memcpy(s.data(), data.data(), s.size() * 2);
  return s;
}

class ChannelEncoders : public VirtualLibrary {
 protected:
  void SetUp() override {
    VirtualLibrary::SetUp();
    ASSERT_TRUE(dir.isValid());
    ASSERT_TRUE(RecordInit(1));  // the microphone: a 1 kHz sine at half scale
  }
  std::string file(const char* name) const { return dir.filePath(name).toStdString(); }
  QTemporaryDir dir;
};

}  // namespace

TEST_F(ChannelEncoders, WavFileGetsTheProcessedBlocksAndIsCompleteWhenTheChannelStops) {
  Capture cap;
  const HRECORD h = RecordStart(44100, 2, SAMPLE_FLOAT | RECORD_PAUSE, Collect(cap, SampleType::F32));
  ASSERT_NE(h, 0u);
  const HENCODE enc = Encode_Start(h, file("a.wav").c_str(), ENCODE_FP_24BIT | ENCODE_PCM, nullptr, nullptr);
  ASSERT_NE(enc, 0u) << ErrorGetCode();
  // Silence everything but the first sample of each block, to see the chain
  // ran before the encoder.
  ChannelSetDSP(h, [](HDSP, DWORD, void* b, DWORD len, void*) { std::memset(static_cast<char*>(b) + 8, 0, len - 8); },
                nullptr, 0);
  backend->pump(441);  // paused: nothing
  ASSERT_TRUE(ChannelPlay(h, false));
  backend->pump(4410, 441);
  EXPECT_EQ(Encode_GetCount(enc, ENCODE_COUNT_IN), 4410u * 2 * 3);  // 24-bit bytes, not float bytes
  ASSERT_TRUE(Encode_SetPaused(enc, true));
  EXPECT_EQ(Encode_IsActive(enc), ACTIVE_PAUSED);
  backend->pump(441);
  EXPECT_EQ(Encode_GetCount(enc, ENCODE_COUNT_IN), 4410u * 2 * 3);
  ASSERT_TRUE(ChannelStop(h));  // frees the encoder, which completes the file
  EXPECT_EQ(Encode_GetCount(enc, ENCODE_COUNT_IN), QWORD(-1));
  auto wav = ReadWav(file("a.wav"));
  ASSERT_TRUE(wav);
  EXPECT_EQ(wav->bits, 24);
  EXPECT_EQ(wav->rate, 44100u);
  ASSERT_EQ(wav->data.size(), 4410u * 6);
  // Frames 1..440 of each block are zero, frame 0 of a later block is not.
  const auto sample = [&](size_t frame) {
    const std::uint8_t* p = wav->data.data() + frame * 6;
    return static_cast<std::int32_t>(p[0] | p[1] << 8 | p[2] << 16) << 8 >> 8;
  };
  EXPECT_EQ(sample(5), 0);
  EXPECT_EQ(sample(441 + 7), 0);
}

TEST_F(ChannelEncoders, HandingOverUnderTheLockSplitsWithoutLossOrOverlap) {
  Capture cap;
  const HRECORD h = RecordStart(44100, 1, 0, Collect(cap, SampleType::S16));
  const HENCODE first = Encode_Start(h, file("1.wav").c_str(), ENCODE_FP_16BIT | ENCODE_PCM, nullptr, nullptr);
  ASSERT_NE(first, 0u);
  backend->pump(3000, 300);
  ASSERT_TRUE(ChannelLock(h, true));
  const HENCODE second = Encode_Start(h, file("2.wav").c_str(), ENCODE_FP_16BIT | ENCODE_PCM, nullptr, nullptr);
  ASSERT_NE(second, 0u);
  ASSERT_TRUE(Encode_SetPaused(first, true));
  ASSERT_TRUE(ChannelLock(h, false));
  backend->pump(300, 300);  // between the hand-over and the old file's end
  ASSERT_TRUE(Encode_Stop(first));
  backend->pump(2700, 300);
  ASSERT_TRUE(Encode_Stop(h));  // every encoder of the channel
  EXPECT_FALSE(Encode_Stop(second));
  EXPECT_EQ(ErrorGetCode(), ERROR_HANDLE);

  auto a = ReadWav(file("1.wav")), b = ReadWav(file("2.wav"));
  ASSERT_TRUE(a && b);
  auto joined = Samples16(a->data);
  const auto rest = Samples16(b->data);
  joined.insert(joined.end(), rest.begin(), rest.end());
  std::vector<std::int16_t> all(cap.samples.size());
  for (size_t i = 0; i < all.size(); ++i) all[i] = static_cast<std::int16_t>(std::lround(cap.samples[i] * 32768));
  EXPECT_EQ(a->data.size(), 3000u * 2);
  EXPECT_EQ(joined, all);
}

TEST_F(ChannelEncoders, MixerPathFileHoldsEveryCapturedFrameAfterTheEnd) {
  // The way a loopback recording runs: capture, push stream, mixer, encoder.
  const HSTREAM mixer = Mixer_StreamCreate(44100, 2, STREAM_DECODE | MIXER_END);
  const HSTREAM push = StreamCreate(48000, 2, SAMPLE_FLOAT | STREAM_DECODE, STREAMPROC_PUSH);
  ASSERT_TRUE(Mixer_StreamAddChannel(mixer, push, SPEAKER_FRONT));
  const HENCODE enc = Encode_Start(mixer, file("m.wav").c_str(), ENCODE_FP_16BIT | ENCODE_PCM, nullptr, nullptr);
  ASSERT_NE(enc, 0u);
  std::vector<char> block(10000);
  const HRECORD h = RecordStart(48000, 2, SAMPLE_FLOAT, [&](HRECORD, const void* b, DWORD len) {
    StreamPutData(push, b, len);
    while (ChannelIsActive(mixer) != 0) {
      const DWORD got = ChannelGetData(mixer, block.data(), static_cast<DWORD>(block.size()));
      if (got == 0 || got == DATA_ERROR) break;
    }
    return true;
  });
  backend->pump(48000, 480);
  ASSERT_TRUE(ChannelStop(h));
  StreamPutData(push, nullptr, STREAMPROC_END);
  while (ChannelGetData(mixer, block.data(), static_cast<DWORD>(block.size())) != DATA_ERROR) {
  }
  ASSERT_TRUE(Encode_Stop(enc));
  StreamFree(mixer);
  StreamFree(push);
  auto wav = ReadWav(file("m.wav"));
  ASSERT_TRUE(wav);
  EXPECT_EQ(wav->channels, 2);
  EXPECT_EQ(wav->bits, 16);
  EXPECT_NEAR(static_cast<double>(wav->data.size() / 4), 44100, 2);
}

TEST_F(ChannelEncoders, BadTargetsFail) {
  Capture cap;
  const HRECORD h = RecordStart(44100, 2, 0, Collect(cap, SampleType::S16));
  EXPECT_EQ(Encode_Start(h, (dir.path() + "/no/such/folder/x.wav").toUtf8().constData(), ENCODE_PCM, nullptr, nullptr),
            0u);
  EXPECT_EQ(ErrorGetCode(), ERROR_FILEOPEN);
  EXPECT_EQ(Encode_Start(h, "no-such-encoder-program -", 0, nullptr, nullptr), 0u);
  EXPECT_EQ(ErrorGetCode(), ERROR_FILEOPEN);
  EXPECT_EQ(Encode_Start(0xBAD, "x.wav", ENCODE_PCM, nullptr, nullptr), 0u);
  EXPECT_EQ(ErrorGetCode(), ERROR_HANDLE);
}
