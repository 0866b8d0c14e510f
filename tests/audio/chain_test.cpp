// The order of a channel's processing chain and how effects and DSP functions
// see the samples.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "audio/processing_chain.h"

using namespace zaudio;

namespace {

// Appends its name to a shared log when it runs.
class LoggingEffect final : public Effect {
 public:
  LoggingEffect(DWORD type, std::string name, std::vector<std::string>& log)
      : type_(type), name_(std::move(name)), log_(log) {}
  DWORD type() const override { return type_; }
  void process(float*, size_t, int, DWORD) override { log_.push_back(name_); }
  void getParameters(void*) const override {}
  bool setParameters(const void*) override { return true; }

 private:
  DWORD type_;
  std::string name_;
  std::vector<std::string>& log_;
};

struct ChainFixture : ::testing::Test {
  std::vector<std::string> log;
  ProcessingChain chain;
  DWORD next = 1;
  DWORD effect(DWORD type, const std::string& name, int priority) {
    chain.addEffect(next, priority, std::make_unique<LoggingEffect>(type, name, log));
    return next++;
  }
  DWORD dsp(const std::string& name, int priority) {
    chain.addDsp(next, priority, [this, name](HDSP, DWORD, void*, DWORD, void*) { log.push_back(name); }, nullptr);
    return next++;
  }
  void runOnce() {
    std::int16_t block[4] = {};
    log.clear();
    chain.run(7, CaptureFormat{44100, 2, SampleType::S16}, block, 2);
  }
};

}  // namespace

TEST_F(ChainFixture, EqualPrioritiesRunVolumeCompressorGainControlThenTheRest) {
  dsp("filter", 0);
  effect(FX_BFX_DAMP, "damp", 1);
  effect(FX_DX8_COMPRESSOR, "compressor", 1);
  const DWORD volume = effect(FX_BFX_VOLUME, "volume", 1);
  dsp("late", -5);
  dsp("early", 2);
  runOnce();
  EXPECT_EQ(log, (std::vector<std::string>{"early", "volume", "compressor", "damp", "filter", "late"}));

  // The volume effect set again (as the slider does) takes its old place.
  ASSERT_TRUE(chain.remove(volume));
  effect(FX_BFX_VOLUME, "volume again", 1);
  runOnce();
  EXPECT_EQ(log, (std::vector<std::string>{"early", "volume again", "compressor", "damp", "filter", "late"}));
  EXPECT_FALSE(chain.remove(volume));
}

TEST(ProcessingChain, DspSeesTheNativeTypeAndEffectsSeeFloats) {
  ProcessingChain chain;
  // An effect halving the signal, then a DSP that checks it got 16-bit
  // integers and adds one to each.
  class Half final : public Effect {
   public:
    DWORD type() const override { return FX_BFX_VOLUME; }
    void process(float* s, size_t frames, int channels, DWORD) override {
      for (size_t i = 0; i < frames * channels; ++i) s[i] *= 0.5f;
    }
    void getParameters(void*) const override {}
    bool setParameters(const void*) override { return true; }
  };
  chain.addEffect(1, 1, std::make_unique<Half>());
  DWORD seenLength = 0, seenChannel = 0;
  chain.addDsp(2, 0,
               [&](HDSP, DWORD channel, void* buffer, DWORD length, void*) {
                 seenLength = length;
                 seenChannel = channel;
                 auto* p = static_cast<std::int16_t*>(buffer);
                 for (DWORD i = 0; i < length / 2; ++i) p[i] += 1;
               },
               nullptr);
  std::int16_t block[4] = {1000, -1000, 32767, -32768};
  chain.run(42, CaptureFormat{48000, 2, SampleType::S16}, block, 2);
  EXPECT_EQ(seenLength, 8u);
  EXPECT_EQ(seenChannel, 42u);
  EXPECT_EQ(block[0], 501);
  EXPECT_EQ(block[1], -499);
  EXPECT_EQ(block[2], 16385);
  EXPECT_EQ(block[3], -16383);
}
