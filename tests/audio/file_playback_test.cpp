// Playing file streams on the virtual backend: what the output plays is the
// file, the position is what was heard, seeks, pause, the end sync, the FFT
// of what is heard, and streams freed or stopped in the middle.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstring>
#include <numbers>
#include <thread>

#include "audio/fft.h"
#include "support/scratch_dir.h"
#include "support/test_wav.h"
#include "virtual_fixture.h"

namespace {

using namespace zaudio;
using zovedu_test::ScratchDir;

// A 16-bit stereo WAV of a sine (amplitude 0..1), with a ramp on the right
// channel so that every frame has its own value.
std::vector<std::int16_t> WriteTone(const std::filesystem::path& path, int rate, double seconds, double freq,
                                    double amplitude) {
  const size_t frames = static_cast<size_t>(seconds * rate);
  std::vector<std::int16_t> s(frames * 2);
  for (size_t i = 0; i < frames; ++i) {
    s[2 * i] = static_cast<std::int16_t>(std::lround(amplitude * 32767 * std::sin(2 * std::numbers::pi * freq * i / rate)));
    s[2 * i + 1] = static_cast<std::int16_t>(static_cast<int>(i % 65536) - 32768);
  }
  zovedu_test::Bytes pcm(s.size() * 2);
  std::memcpy(pcm.data(), s.data(), pcm.size());
  zovedu_test::WriteFile(path, zovedu_test::WavStream({16, 2, rate}, pcm, static_cast<std::uint32_t>(pcm.size())));
  return s;
}

std::vector<std::int16_t> Samples(const std::vector<std::uint8_t>& bytes) {
  std::vector<std::int16_t> s(bytes.size() / 2);
  std::memcpy(s.data(), bytes.data(), s.size() * 2);
  return s;
}

class FilePlayback : public VirtualLibrary {
 protected:
  void SetUp() override {
    VirtualLibrary::SetUp();
    ASSERT_TRUE(Init(-1, 44100, 0));
    wav = dir / "tone.wav";
    samples = WriteTone(wav, 44100, 2.0, 1000, 0.5);
  }
  HSTREAM Open() {
    const HSTREAM h = StreamCreateFile(false, wav.c_str(), 0, 0, 0);
    EXPECT_NE(h, 0u) << ErrorGetCode();
    return h;
  }
  ScratchDir dir;
  std::filesystem::path wav;
  std::vector<std::int16_t> samples;
};

struct EndCounter {
  std::atomic<int> count{0};
  static void Proc(HSYNC, DWORD, DWORD, void* user) { ++static_cast<EndCounter*>(user)->count; }
  SYNCPROC proc() { return &EndCounter::Proc; }
};

TEST_F(FilePlayback, PlaysTheFileAndThePositionIsWhatWasHeard) {
  const HSTREAM h = Open();
  ChannelInfo info;
  ASSERT_TRUE(ChannelGetInfo(h, &info));
  EXPECT_EQ(info.ctype, CTYPE_STREAM_WAV_PCM);
  EXPECT_EQ(info.flags & STREAM_DECODE, 0u);
  EXPECT_EQ(ChannelGetLength(h, POS_BYTE), samples.size() * 2);
  EXPECT_EQ(ChannelIsActive(h), ACTIVE_STOPPED);
  ASSERT_TRUE(ChannelPlay(h, false));
  EXPECT_EQ(ChannelIsActive(h), ACTIVE_PLAYING);
  // Nothing is heard until the output takes it, however far the stream has decoded.
  EXPECT_EQ(ChannelGetPosition(h, POS_BYTE), 0u);
  for (QWORD heard : {441u, 4410u, 44100u}) {
    backend->pump(heard - ChannelGetPosition(h, POS_BYTE) / 4);
    EXPECT_EQ(ChannelGetPosition(h, POS_BYTE), heard * 4);
  }
  const auto played = Samples(backend->takePlayed());
  ASSERT_EQ(played.size(), 44100u * 2);
  EXPECT_TRUE(std::equal(played.begin(), played.end(), samples.begin()));
  StreamFree(h);
}

TEST_F(FilePlayback, SeekIsHeardFromTheExactFrame) {
  const HSTREAM h = Open();
  ASSERT_TRUE(ChannelPlay(h, false));
  backend->pump(10000);
  backend->takePlayed();
  for (QWORD target : {QWORD{60001}, QWORD{123}, QWORD{80000}}) {
    SCOPED_TRACE(target);
    ASSERT_TRUE(ChannelSetPosition(h, target * 4, POS_BYTE));
    EXPECT_EQ(ChannelGetPosition(h, POS_BYTE), target * 4);
    backend->pump(500);
    EXPECT_EQ(ChannelGetPosition(h, POS_BYTE), (target + 500) * 4);
    const auto played = Samples(backend->takePlayed());
    ASSERT_EQ(played.size(), 1000u);
    EXPECT_TRUE(std::equal(played.begin(), played.end(), samples.begin() + 2 * target));
  }
  // Past the end: refused, and the stream plays on from where it was.
  EXPECT_FALSE(ChannelSetPosition(h, samples.size() * 2 + 4, POS_BYTE));
  EXPECT_EQ(ErrorGetCode(), ERROR_POSITION);
  backend->pump(100);
  EXPECT_EQ(ChannelGetPosition(h, POS_BYTE), (80000 + 600) * 4);
  const auto played = Samples(backend->takePlayed());
  EXPECT_TRUE(std::equal(played.begin(), played.end(), samples.begin() + 2 * (80000 + 500)));
  StreamFree(h);
}

TEST_F(FilePlayback, PauseHoldsThePositionAndPlayGoesOn) {
  const HSTREAM h = Open();
  ASSERT_TRUE(ChannelPlay(h, false));
  backend->pump(1000);
  ASSERT_TRUE(ChannelPause(h));
  EXPECT_EQ(ChannelIsActive(h), ACTIVE_PAUSED);
  EXPECT_EQ(ChannelGetLevel(h), 0u);
  backend->pump(1000);
  EXPECT_EQ(ChannelGetPosition(h, POS_BYTE), 1000u * 4);
  ASSERT_TRUE(ChannelPlay(h, false));
  backend->pump(1000);
  EXPECT_EQ(ChannelGetPosition(h, POS_BYTE), 2000u * 4);
  const auto played = Samples(backend->takePlayed());
  EXPECT_TRUE(std::equal(played.begin(), played.end(), samples.begin()));
  // Stopped, the stream keeps its handle and goes on from what was heard.
  ASSERT_TRUE(ChannelStop(h));
  EXPECT_EQ(ChannelIsActive(h), ACTIVE_STOPPED);
  EXPECT_EQ(ChannelGetPosition(h, POS_BYTE), 2000u * 4);
  ASSERT_TRUE(ChannelPlay(h, false));
  backend->pump(500);
  const auto after = Samples(backend->takePlayed());
  EXPECT_TRUE(std::equal(after.begin(), after.end(), samples.begin() + 2 * 2000));
  EXPECT_TRUE(StreamFree(h));
  EXPECT_FALSE(ChannelIsActive(h));
  EXPECT_EQ(ErrorGetCode(), ERROR_HANDLE);
}

TEST_F(FilePlayback, EndSyncFiresOnceAfterTheLastFrameWasHeard) {
  const HSTREAM h = Open();
  EndCounter ends;
  ASSERT_NE(ChannelSetSync(h, SYNC_END, 0, ends.proc(), &ends), 0u);
  ASSERT_TRUE(ChannelPlay(h, false));
  const size_t frames = samples.size() / 2;
  backend->pump(frames - 10);
  // The stream's thread looks at its output every few milliseconds; give it
  // time to (wrongly) fire before the last frames were heard.
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_EQ(ends.count.load(), 0);
  EXPECT_EQ(ChannelIsActive(h), ACTIVE_PLAYING);
  backend->pump(1000);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (ends.count.load() == 0 && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  EXPECT_EQ(ends.count.load(), 1);
  EXPECT_EQ(ChannelIsActive(h), ACTIVE_STOPPED);
  EXPECT_EQ(ChannelGetPosition(h, POS_BYTE), samples.size() * 2);
  backend->pump(1000);
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_EQ(ends.count.load(), 1);
  // Played again, it starts over and ends once more.
  ASSERT_TRUE(ChannelPlay(h, false));
  backend->pump(frames + 10);
  const auto deadline2 = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (ends.count.load() < 2 && std::chrono::steady_clock::now() < deadline2)
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  EXPECT_EQ(ends.count.load(), 2);
  StreamFree(h);
}

TEST_F(FilePlayback, NoEndSyncAfterStopOrFree) {
  for (bool freeIt : {false, true}) {
    SCOPED_TRACE(freeIt ? "free" : "stop");
    const HSTREAM h = Open();
    EndCounter ends;
    ChannelSetSync(h, SYNC_END, 0, ends.proc(), &ends);
    ASSERT_TRUE(ChannelPlay(h, false));
    backend->pump(samples.size() / 2 - 1);
    // The last frame is in the output's reach; the stop comes first.
    if (freeIt)
      StreamFree(h);
    else
      ChannelStop(h);
    backend->pump(1000);
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(ends.count.load(), 0);
    if (!freeIt) StreamFree(h);
  }
}

TEST_F(FilePlayback, StopRacingTheEndNeverFiresAfterTheStop) {
  for (int round = 0; round < 20; ++round) {
    const HSTREAM h = Open();
    EndCounter ends;
    std::atomic<bool> stopped{false};
    std::atomic<int> lateSyncs{0};
    struct Watch {
      EndCounter* ends;
      std::atomic<bool>* stopped;
      std::atomic<int>* late;
    } watch{&ends, &stopped, &lateSyncs};
    ChannelSetSync(
        h, SYNC_END, 0,
        [](HSYNC, DWORD, DWORD, void* user) {
          auto* w = static_cast<Watch*>(user);
          if (w->stopped->load()) ++*w->late;
          ++w->ends->count;
        },
        &watch);
    ASSERT_TRUE(ChannelPlay(h, false));
    std::thread pumper([&] { backend->pump(samples.size() / 2 + 100); });
    if (round % 2) std::this_thread::sleep_for(std::chrono::microseconds(200 * round));
    ChannelStop(h);
    stopped = true;
    pumper.join();
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(lateSyncs.load(), 0);
    EXPECT_LE(ends.count.load(), 1);
    StreamFree(h);
  }
}

TEST_F(FilePlayback, FftOfWhatIsHeard) {
  // A full-scale sine on bin 40 of the 1024-point FFT.
  const double freq = 40.0 * 44100 / 1024;
  const auto path = dir / "bin40.wav";
  WriteTone(path, 44100, 1.0, freq, 32767.0 / 32768.0);
  const HSTREAM h = StreamCreateFile(false, path.c_str(), 0, 0, 0);
  ASSERT_NE(h, 0u);
  ASSERT_TRUE(ChannelPlay(h, false));
  backend->pump(5000);
  float fft[513] = {};
  ASSERT_EQ(ChannelGetData(h, fft, DATA_FFT1024), 2048u);
  // The right channel's ramp is a sawtooth of 65536 frames: it adds to the
  // mono mix only at the lowest bins.
  EXPECT_NEAR(fft[40], 0.5, 0.01);  // mono mix of a full-scale left and the ramp
  EXPECT_LT(fft[60], 0.01);
  StreamFree(h);
}

TEST(Fft, FullScaleSineOnABinReadsOne) {
  float in[1024], out[512];
  for (int bin : {5, 100, 300}) {
    for (int i = 0; i < 1024; ++i) in[i] = static_cast<float>(std::sin(2 * std::numbers::pi * bin * i / 1024.0));
    FftMagnitudes1024(in, out);
    EXPECT_NEAR(out[bin], 1.0, 1e-4) << bin;
    EXPECT_NEAR(out[bin + 1], 0.5, 1e-3) << bin;  // the Hann window's neighbours
    EXPECT_LT(out[bin + 3], 1e-4) << bin;
  }
}

TEST_F(VirtualLibrary, FftOfARecordingIsOfTheLastFramesCaptured) {
  VirtualSignal signal;
  signal.frequency[0] = signal.frequency[1] = 100.0 * 48000 / 1024;
  signal.amplitude[0] = signal.amplitude[1] = 1.0;
  backend->setSignal(0, signal);
  ASSERT_TRUE(RecordInit(0));
  const HRECORD r = RecordStart(48000, 2, SAMPLE_FLOAT, nullptr);
  ASSERT_NE(r, 0u);
  backend->pump(4800);
  float fft[513];
  ASSERT_EQ(ChannelGetData(r, fft, DATA_FFT1024), 2048u);
  EXPECT_NEAR(fft[100], 1.0, 0.01);
  EXPECT_LT(fft[110], 0.01);
  ChannelStop(r);
}

}  // namespace
