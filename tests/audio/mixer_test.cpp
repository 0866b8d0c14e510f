// Push streams and the mixer: pulling, resampling, channel mixing and the end.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <numbers>
#include <vector>

#include "audio/zaudio.h"
#include "support/tone_analysis.h"

using namespace zaudio;

namespace {

std::vector<float> Sine(size_t frames, int channels, double rate, double freq, double amp,
                        const std::vector<int>& onChannels) {
  std::vector<float> out(frames * channels, 0.0f);
  for (size_t i = 0; i < frames; ++i)
    for (int c : onChannels)
      out[i * channels + c] = static_cast<float>(amp * std::sin(2 * std::numbers::pi * freq * i / rate));
  return out;
}

// A push stream feeding a mixer, pulled the way the recording path does.
struct MixPath {
  HSTREAM push = 0, mixer = 0;
  MixPath(DWORD inRate, DWORD inChans, DWORD inFlags, DWORD outRate, DWORD outChans = 2, DWORD outFlags = 0) {
    mixer = Mixer_StreamCreate(outRate, outChans, outFlags | STREAM_DECODE | MIXER_END);
    push = StreamCreate(inRate, inChans, inFlags | STREAM_DECODE, STREAMPROC_PUSH);
    EXPECT_TRUE(Mixer_StreamAddChannel(mixer, push, SPEAKER_FRONT)) << ErrorGetCode();
  }
  ~MixPath() {
    StreamFree(mixer);
    StreamFree(push);
  }
  // Pulls until the mixer has nothing more for now (or has ended).
  template <typename T>
  void pullDry(std::vector<T>& out) {
    T block[5000];
    while (ChannelIsActive(mixer) != ACTIVE_STOPPED) {
      const DWORD got = ChannelGetData(mixer, block, sizeof block);
      if (got == DATA_ERROR || got == 0) break;
      out.insert(out.end(), block, block + got / sizeof(T));
    }
  }
  template <typename T>
  void put(const std::vector<T>& data, bool end = false) {
    const DWORD bytes = static_cast<DWORD>(data.size() * sizeof(T));
    ASSERT_NE(StreamPutData(push, data.data(), bytes | (end ? STREAMPROC_END : 0)), DATA_ERROR);
  }
};

std::vector<float> Side(const std::vector<std::int16_t>& stereo, int side) {
  std::vector<float> out;
  for (size_t i = side; i < stereo.size(); i += 2) out.push_back(stereo[i] / 32768.0f);
  return out;
}

}  // namespace

TEST(Mixer, ResamplesCleanlyAndDeliversEveryFrameByTheEnd) {
  MixPath path(48000, 2, SAMPLE_FLOAT, 44100);
  const auto in = Sine(48000, 2, 48000, 1000, 0.5, {0, 1});
  std::vector<std::int16_t> out;
  // Pushed in capture-sized blocks and pulled dry after each.
  for (size_t at = 0; at < in.size(); at += 960) {
    path.put(std::vector<float>(in.begin() + at, in.begin() + std::min(in.size(), at + 960)));
    path.pullDry(out);
  }
  const size_t beforeEnd = out.size() / 2;
  path.put(std::vector<float>{}, true);
  path.pullDry(out);
  EXPECT_GT(out.size() / 2, beforeEnd);  // the resampler's held-back tail
  EXPECT_NEAR(static_cast<double>(out.size() / 2), 44100, 2);
  EXPECT_EQ(ChannelIsActive(path.mixer), ACTIVE_STOPPED);
  std::int16_t spare[4];
  EXPECT_EQ(ChannelGetData(path.mixer, spare, sizeof spare), DATA_ERROR);
  EXPECT_EQ(ErrorGetCode(), ERROR_ENDED);
  // The middle of the signal, away from where the filter starts and ends.
  for (int side : {0, 1}) {
    const auto x = Side(out, side);
    const std::vector<float> middle(x.begin() + x.size() / 10, x.end() - x.size() / 10);
    EXPECT_LT(zovedu_test::ResidualToToneDb(middle, 44100, 1000), -80);
  }
}

TEST(Mixer, NothingReadyGivesZeroNotAnError) {
  MixPath path(44100, 2, 0, 44100);
  std::int16_t block[64];
  EXPECT_EQ(ChannelGetData(path.mixer, block, sizeof block), 0u);
  EXPECT_EQ(ChannelIsActive(path.mixer), ACTIVE_PLAYING);
  // Half a frame is not a frame yet.
  const std::uint8_t half[2] = {1, 0};
  ASSERT_NE(StreamPutData(path.push, half, 2), DATA_ERROR);
  EXPECT_EQ(ChannelGetData(path.mixer, block, sizeof block), 0u);
  const std::uint8_t rest[2] = {2, 0};
  ASSERT_NE(StreamPutData(path.push, rest, 2), DATA_ERROR);
  ASSERT_EQ(ChannelGetData(path.mixer, block, sizeof block), 4u);
  EXPECT_EQ(block[0], 1);
  EXPECT_EQ(block[1], 2);
}

TEST(Mixer, SameFormatPassesSamplesThroughUntouched) {
  MixPath path(44100, 2, 0, 44100);
  std::vector<std::int16_t> in(2000);
  for (size_t i = 0; i < in.size(); ++i) in[i] = static_cast<std::int16_t>((i * 7919) % 65536 - 32768);
  path.put(in, true);
  std::vector<std::int16_t> out;
  path.pullDry(out);
  EXPECT_EQ(out, in);
}

TEST(Mixer, ChannelsAreMixedToStereo) {
  struct Case {
    const char* what;
    DWORD chans;
    std::vector<int> toneOn;
    double leftPeak, rightPeak;  // relative to the input amplitude
  } cases[] = {
      {"mono to both sides at full level", 1, {0}, 1.0, 1.0},
      {"5.1 front left stays left", 6, {0}, -1, 0.0},
      {"5.1 centre goes to both sides alike", 6, {2}, -1, -1},
      {"7.1 side right stays right", 8, {7}, 0.0, -1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    MixPath path(48000, c.chans, SAMPLE_FLOAT, 48000);
    path.put(Sine(4800, static_cast<int>(c.chans), 48000, 500, 0.5, c.toneOn), true);
    std::vector<std::int16_t> out;
    path.pullDry(out);
    ASSERT_EQ(out.size(), 4800u * 2);
    double peak[2] = {0, 0};
    for (size_t i = 0; i < out.size(); ++i) peak[i % 2] = std::max(peak[i % 2], std::fabs(out[i] / 32768.0));
    const double want[2] = {c.leftPeak, c.rightPeak};
    for (int side : {0, 1}) {
      if (want[side] == 0.0) {
        EXPECT_LT(peak[side], 0.001) << side;
      } else if (want[side] > 0) {
        EXPECT_NEAR(peak[side], 0.5 * want[side], 0.002) << side;
      } else {
        EXPECT_GT(peak[side], 0.1) << side;  // present, at the downmix's level
      }
    }
    if (c.toneOn == std::vector<int>{2}) {
      EXPECT_NEAR(peak[0], peak[1], 0.001);
    }
  }
}

TEST(Mixer, RefusesWhatItCannotMix) {
  const HSTREAM mixer = Mixer_StreamCreate(44100, 2, STREAM_DECODE);
  EXPECT_FALSE(Mixer_StreamAddChannel(mixer, 0xDEAD, 0));
  EXPECT_EQ(ErrorGetCode(), ERROR_HANDLE);
  EXPECT_EQ(StreamCreate(44100, 2, 0, STREAMPROC_PUSH), 0u);  // nothing here plays
  EXPECT_EQ(StreamCreate(44100, 9, STREAM_DECODE, STREAMPROC_PUSH), 0u);
  EXPECT_EQ(ErrorGetCode(), ERROR_FORMAT);
  const HSTREAM push = StreamCreate(44100, 2, STREAM_DECODE, STREAMPROC_PUSH);
  ASSERT_NE(StreamPutData(push, nullptr, STREAMPROC_END), DATA_ERROR);
  const std::int16_t late[2] = {};
  EXPECT_EQ(StreamPutData(push, late, sizeof late), DATA_ERROR);
  EXPECT_EQ(ErrorGetCode(), ERROR_ENDED);
  EXPECT_TRUE(StreamFree(push));
  EXPECT_FALSE(StreamFree(push));
  EXPECT_TRUE(StreamFree(mixer));
}
