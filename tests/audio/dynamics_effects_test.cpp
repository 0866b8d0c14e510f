// The compressor and the gain control through the library, on a recording
// channel of the virtual backend: their parameters, and what an encoder on
// the channel receives.
#include <cmath>
#include <cstring>
#include <limits>

#include "effect_signals.h"
#include "support/scratch_dir.h"
#include "support/wav_file.h"
#include "virtual_fixture.h"

using namespace zaudio;

namespace {

DX8_COMPRESSOR Compressor(float thresholdDb, float ratio) {
  DX8_COMPRESSOR p;
  p.fGain = 0;
  p.fAttack = 0.01f;
  p.fRelease = 50;
  p.fThreshold = thresholdDb;
  p.fRatio = ratio;
  p.fPredelay = 0;
  return p;
}

BFX_DAMP Damp(float target, float rate, float delay) {
  BFX_DAMP p;
  p.fTarget = target;
  p.fQuiet = 0.02f;
  p.fRate = rate;
  p.fGain = 1;
  p.fDelay = delay;
  return p;
}

// Sets, reads back, and has a record with a NaN refused without a change.
template <typename Record>
void ExpectParametersRoundTrip(HFX fx, Record set, float Record::*field) {
  Record got;
  ASSERT_TRUE(FXGetParameters(fx, &got));
  const Record defaults;
  EXPECT_EQ(std::memcmp(&got, &defaults, sizeof got), 0);
  ASSERT_TRUE(FXSetParameters(fx, &set));
  ASSERT_TRUE(FXGetParameters(fx, &got));
  EXPECT_EQ(std::memcmp(&got, &set, sizeof got), 0);
  Record bad = set;
  bad.*field = std::numeric_limits<float>::quiet_NaN();
  EXPECT_FALSE(FXSetParameters(fx, &bad));
  EXPECT_EQ(ErrorGetCode(), ERROR_ILLPARAM);
  ASSERT_TRUE(FXGetParameters(fx, &got));
  EXPECT_EQ(std::memcmp(&got, &set, sizeof got), 0);
}

}  // namespace

TEST_F(VirtualLibrary, CompressorAndGainControlParametersReadBackThroughTheLibrary) {
  ASSERT_TRUE(RecordInit(1));
  const HRECORD h = RecordStart(44100, 2, 0, nullptr);
  const HFX compressor = ChannelSetFX(h, FX_DX8_COMPRESSOR, 1);
  const HFX damp = ChannelSetFX(h, FX_BFX_DAMP, 1);
  ASSERT_NE(compressor, 0u);
  ASSERT_NE(damp, 0u);
  ExpectParametersRoundTrip(compressor, Compressor(-10, 10), &DX8_COMPRESSOR::fRatio);
  ExpectParametersRoundTrip(damp, Damp(0.93f, 0.01f, 0.5f), &BFX_DAMP::fTarget);
}

// The microphone plays a 1 kHz sine at half scale (-6 dBFS) on both sides.
TEST_F(VirtualLibrary, CompressorAndGainControlChangeWhatTheEncoderWrites) {
  struct Case {
    const char* name;
    DWORD type;
    const void* params;
    double peak;  // of the file's last 200 ms
  };
  const DX8_COMPRESSOR compressor = Compressor(-20, 10);  // 14 dB over: 1.4 dB over -20 dBFS
  const BFX_DAMP damp = Damp(0.9f, 0.5f, 0.05f);           // up to 0.9 within the second
  const Case cases[] = {{"compressor", FX_DX8_COMPRESSOR, &compressor, std::pow(10.0, -18.6 / 20)},
                        {"gain control", FX_BFX_DAMP, &damp, 0.9}};
  ASSERT_TRUE(RecordInit(1));
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const zovedu_test::ScratchDir dir;
    const std::string file = (dir / "out.wav").string();
    const HRECORD h = RecordStart(44100, 2, 0, nullptr);
    ASSERT_NE(h, 0u);
    const HFX fx = ChannelSetFX(h, c.type, 1);
    ASSERT_TRUE(FXSetParameters(fx, c.params));
    ASSERT_NE(Encode_Start(h, file.c_str(), ENCODE_FP_16BIT | ENCODE_PCM, nullptr, nullptr), 0u) << ErrorGetCode();
    backend->pump(44100, 441);
    ASSERT_TRUE(ChannelStop(h));  // completes the file
    const auto wav = zovedu_test::ReadWav(file);
    ASSERT_TRUE(wav);
    ASSERT_EQ(wav->data.size(), 44100u * 4);
    std::vector<float> samples(wav->data.size() / 2);
    for (size_t i = 0; i < samples.size(); ++i) {
      std::int16_t v;
      std::memcpy(&v, wav->data.data() + 2 * i, 2);
      samples[i] = v / 32768.0f;
    }
    for (int ch : {0, 1})
      EXPECT_NEAR(effect_test::Peak(samples, 2, ch, 44100 * 4 / 5, 44100), c.peak, c.peak * 0.02) << "channel " << ch;
  }
}
