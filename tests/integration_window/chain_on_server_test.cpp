// The recording's filters and compressor on real captures from the test
// server: tones played into a sink, recorded by the window with and without
// the chain, measured in the files.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QSlider>
#include <cmath>
#include <memory>
#include <vector>

#include "support/tone_analysis.h"
#include "support/wav_file.h"
#include "window_on_server.h"

namespace zovedu_test {
namespace {

class ChainOnServer : public WindowOnServer {
 protected:
  // Plays the tones together into sink while the window records three
  // seconds into the next file; the amplitude of each in that file's left
  // channel, measured away from the ends.
  std::vector<double> RecordTones(const std::string& sink, const std::vector<double>& frequencies,
                                  double amplitude) {
    std::vector<std::unique_ptr<TonePlayer>> players;
    for (double f : frequencies) players.push_back(std::make_unique<TonePlayer>(sink, f, amplitude, 4.5));
    const QString file = out.filePath(QString("Rectest-%1.wav").arg(++files_, 2, 10, QChar('0')));
    RecordThreeSeconds();
    for (auto& p : players) EXPECT_TRUE(p->finish()) << p->error();
    EXPECT_TRUE(messages.shown.empty()) << messages.texts().join("|").toStdString();
    const auto wav = ReadWav(file.toStdString());
    std::vector<double> levels;
    if (!wav || wav->bits != 16) {
      ADD_FAILURE() << "no 16-bit WAV file " << file.toStdString();
      return levels;
    }
    const std::vector<float> left = ChannelOf(ToFloats(zaudio::SampleType::S16, wav->data), wav->channels, 0);
    const size_t from = wav->rate / 2, count = std::min<size_t>(wav->rate * 3 / 2, left.size() - from);
    const std::vector<float> middle(left.begin() + static_cast<long>(from),
                                    left.begin() + static_cast<long>(from + count));
    for (double f : frequencies) levels.push_back(SineAmplitude(middle, wav->rate, f));
    return levels;
  }

  static double Db(double ratio) { return 20 * std::log10(ratio); }

 private:
  int files_ = 0;
};

struct PathCase {
  const char* what;
  bool microphone;                // else the loopback device
  int rateIndex;                  // the window's sample rate
  const char* filter;             // the check box
  int low, high;                  // slider positions
  std::vector<double> passes;     // Hz: within 1 dB of the unfiltered recording
  std::vector<double> stops;      // Hz: at least 15 dB down
};

void PrintTo(const PathCase& c, std::ostream* os) { *os << c.what; }

class FiltersOnServer : public ChainOnServer, public ::testing::WithParamInterface<PathCase> {};

TEST_P(FiltersOnServer, PassTheBandAndCutTheRest) {
  const PathCase& c = GetParam();
  Open();
  if (c.microphone) {
    ASSERT_NO_FATAL_FAILURE(ChooseMicrophone());
  }
  window->csample->setCurrentIndex(c.rateIndex);
  std::vector<double> tones = c.passes;
  tones.insert(tones.end(), c.stops.begin(), c.stops.end());
  const std::string sink = c.microphone ? kCaptureSink : kPlaySink;

  const std::vector<double> plain = RecordTones(sink, tones, 0.15);
  auto* box = options->findChild<QCheckBox*>(c.filter);
  ASSERT_TRUE(box);
  box->setChecked(true);
  options->barfilterlow->setValue(c.low);
  options->barfilterhigh->setValue(c.high);
  const std::vector<double> filtered = RecordTones(sink, tones, 0.15);
  ASSERT_EQ(filtered.size(), tones.size());
  for (size_t i = 0; i < tones.size(); ++i) {
    SCOPED_TRACE(tones[i]);
    ASSERT_GT(plain[i], 0.1);  // the tone came through unfiltered
    const double db = Db(filtered[i] / plain[i]);
    if (i < c.passes.size()) {
      EXPECT_NEAR(db, 0, 1);
    } else {
      EXPECT_LE(db, -15);
    }
  }
}

INSTANTIATE_TEST_SUITE_P(
    Paths, FiltersOnServer,
    ::testing::Values(
        // 48000 Hz from the microphone: 10 % is 2400 Hz.
        PathCase{"direct_lowpass", true, 6, "clowpass", 1000, 5000, {100, 1000, 2400}, {9000}},
        // The loopback sink runs at 44100 Hz, the recording at 48000 Hz.
        PathCase{"mixer_bandpass", false, 6, "cbandpass", 300, 3000, {300, 1000, 3000}, {100, 9000}}),
    [](const ::testing::TestParamInfo<PathCase>& info) { return std::string(info.param.what); });

TEST_F(ChainOnServer, DefaultCompressorBringsAFullScaleToneToMinusNineDb) {
  Open();
  options->ccompressor->setChecked(true);
  const std::vector<double> level = RecordTones(kPlaySink, {1000}, 1.0);
  ASSERT_EQ(level.size(), 1u);
  // Threshold -10 dB, ratio 10: 10 dB over comes out 1 dB over.
  EXPECT_NEAR(Db(level[0]), -9, 0.5);
}

}  // namespace
}  // namespace zovedu_test
