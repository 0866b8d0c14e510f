// The recording's chain as the window builds it from the options dialog:
// filters, compressor and gain control, set while the capture is paused,
// fixed for the recording, and a chain that cannot be built.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QSlider>
#include <cmath>

#include "recording_window_fixture.h"

namespace {

// The RMS of 16-bit PCM, skipping the first `skip` frames (a filter's start).
double Rms16(const zovedu_test::Bytes& data, size_t skipFrames, int channels = 2) {
  double sum = 0;
  size_t n = 0;
  for (size_t i = skipFrames * channels * 2; i + 1 < data.size(); i += 2, ++n) {
    const auto v = static_cast<std::int16_t>(data[i] | (data[i + 1] << 8));
    sum += double(v) * v;
  }
  return n ? std::sqrt(sum / double(n)) : 0;
}

double Db(double ratio) { return 20 * std::log10(ratio); }

}  // namespace

class EffectsWindowTest : public RecordingWindowTest {
 protected:
  void TearDown() override {
    zaudio::RefuseEffectTypeForTesting(0);
    RecordingWindowTest::TearDown();
  }
  // Records a second of the microphone's 1 kHz tone; the level of that
  // recording in dB relative to the tone as captured.
  double RecordedGainDb(const char* name) {
    window->btnrecClick();
    EXPECT_NE(window->FRecordChannel, 0u) << messages.texts().join("|").toStdString();
    Second();
    window->btnstopClick();
    const auto wav = Wav(name);
    if (!wav) return NAN;
    const double tone = 0.5 * 32767 / std::sqrt(2.0);
    return Db(Rms16(wav->data, 4410) / tone);
  }
};

TEST_F(EffectsWindowTest, FiltersActOnTheRecordingWithTheSettingsOfItsStart) {
  Tfrmmain& w = Open();
  struct Case {
    const char* what;
    QCheckBox* box;
    int low, high, notch;  // slider positions
    double minDb, maxDb;   // the 1 kHz tone in the file
  } cases[] = {
      {"low-pass at 10 % (2205 Hz) keeps it", options->clowpass, 1000, 5000, 50, -2, 2},
      {"low-pass at 0 (1 Hz) removes it", options->clowpass, 0, 5000, 50, -200, -40},
      {"high-pass at 10 % (2205 Hz) cuts it", options->chighpass, 5000, 1000, 50, -200, -6},
      {"band 300-3000 Hz keeps it", options->cbandpass, 300, 3000, 50, -2, 2},
      {"notch pass at 50 % (11025 Hz) cuts it", options->cnotchpass, 5000, 5000, 50, -200, -15},
  };
  int file = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    for (QCheckBox* b : {options->clowpass, options->chighpass, options->cbandpass, options->cnotchpass})
      b->setChecked(b == c.box);
    options->barfilterlow->setValue(c.low);
    options->barfilterhigh->setValue(c.high);
    options->barnotchpass->setValue(c.notch);
    const QString name = QString("Rectest-%1.wav").arg(++file, 2, 10, QChar('0'));
    const double db = RecordedGainDb(name.toLatin1().constData());
    EXPECT_GE(db, c.minDb);
    EXPECT_LE(db, c.maxDb);
  }
  EXPECT_EQ(w.FNotchFrequency, 11025);

  // Settings changed while recording wait for the next recording.
  options->cnotchpass->setChecked(false);
  options->clowpass->setChecked(true);
  options->barfilterlow->setValue(0);
  w.btnrecClick();
  Second();
  options->barfilterlow->setValue(10000);
  EXPECT_EQ(w.FLowCut, 0);
  Second();
  w.btnstopClick();
  EXPECT_LT(Db(Rms16(Wav("Rectest-06.wav")->data, 4410) / (0.5 * 32767 / std::sqrt(2.0))), -40);
  EXPECT_NEAR(RecordedGainDb("Rectest-07.wav"), 0, 0.5);
  EXPECT_EQ(w.FLowCut, 10000);
  EXPECT_TRUE(messages.shown.empty()) << messages.texts().join("|").toStdString();
}

TEST_F(EffectsWindowTest, CompressorAndGainControlAreSetWithThePageValues) {
  Tfrmmain& w = Open();
  options->ccompressor->setChecked(true);
  options->cagc->setChecked(true);
  w.btnrecClick();
  ASSERT_NE(w.FRecordChannel, 0u);
  const zaudio::DX8_COMPRESSOR& c = w.FCompressorParams;
  EXPECT_EQ(std::vector<float>({c.fGain, c.fAttack, c.fRelease, c.fThreshold, c.fRatio, c.fPredelay}),
            std::vector<float>({0, 0.01f, 50, -10, 10, 0}));
  // FEffect is the gain control, set last; the library holds what was set.
  zaudio::BFX_DAMP damp;
  ASSERT_TRUE(zaudio::FXGetParameters(w.FEffect, &damp));
  EXPECT_EQ(std::vector<float>({damp.fTarget, damp.fQuiet, damp.fRate, damp.fGain, damp.fDelay}),
            std::vector<float>({0.93f, 0.02f, 0.01f, 1.0f, 0.5f}));
  EXPECT_EQ(damp.lChannel, zaudio::BFX_CHANALL);
  Second();
  w.btnstopClick();

  // Nothing checked: nothing is set and FEffect keeps the last effect.
  const zaudio::HFX last = w.FEffect;
  options->ccompressor->setChecked(false);
  options->cagc->setChecked(false);
  EXPECT_NEAR(RecordedGainDb("Rectest-02.wav"), 0, 0.1);
  EXPECT_EQ(w.FEffect, last);
}

TEST_F(EffectsWindowTest, AnEffectThatCannotBeSetEndsTheProgramWithTheRecordingComplete) {
  Tfrmmain& w = Open();
  zaudio::RefuseEffectTypeForTesting(zaudio::FX_BFX_DAMP);
  options->cagc->setChecked(true);
  w.btnrecClick();
  EXPECT_EQ(messages.texts(), QStringList{"Cannot set dsp!"});
  EXPECT_EQ(w.FRecordChannel, 0u);
  EXPECT_FALSE(w.isVisible());
  const auto wav = Wav("Rectest-01.wav");
  ASSERT_TRUE(wav);
  EXPECT_EQ(wav->channels, 2);
  EXPECT_TRUE(IniFile(SettingsFilePath(w.FWorkFolder)).HasKey("Main", "Format"));
}
