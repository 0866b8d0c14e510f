// "New file at silence" on real captures from the test server, with the
// window's own timers running: the next file waits through the silence and
// begins with the tone that ends it; a stop while waiting leaves no file.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QSlider>
#include <chrono>
#include <cmath>
#include <functional>
#include <thread>

#include "library/recording_list.h"
#include "support/tone_analysis.h"
#include "support/wav_file.h"
#include "window_on_server.h"

namespace zovedu_test {
namespace {

struct SilenceCase {
  const char* what;
  bool microphone;  // else the loopback device: the mixer path
};
void PrintTo(const SilenceCase& c, std::ostream* os) { *os << c.what; }

class SilenceOnServer : public WindowOnServer, public ::testing::WithParamInterface<SilenceCase> {
 protected:
  // Runs the window's events until `done` holds (30 s at most).
  bool RunUntil(const std::function<bool()>& done) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (!done()) {
      if (std::chrono::steady_clock::now() > deadline) return false;
      QCoreApplication::processEvents();
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
  }
  // Plays a tone into sink while the window's events run.
  void PlayTone(const std::string& sink, double seconds) {
    TonePlayer tone(sink, 1000, 0.5, seconds);
    const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    RunUntil([&] { return std::chrono::steady_clock::now() >= end; });
    EXPECT_TRUE(tone.finish()) << tone.error();
  }
  QString File(int n) const { return out.filePath(QString("Rectest-0%1.wav").arg(n)); }
};

TEST_P(SilenceOnServer, TheNextFileWaitsForTheToneAndAStopWhileWaitingLeavesNoFile) {
  const SilenceCase& c = GetParam();
  Open();
  if (c.microphone) {
    ASSERT_NO_FATAL_FAILURE(ChooseMicrophone());
  }
  const std::string sink = c.microphone ? kCaptureSink : kPlaySink;
  options->barslient->setValue(2);
  options->cslientnew->setChecked(true);
  window->cdar->setChecked(true);
  {
    // Sounding from before the start: an idle sink's monitor may begin late.
    TonePlayer tone(sink, 1000, 0.5, 3);
    window->btnrecClick();
    ASSERT_NE(window->FRecordChannel, 0u) << messages.texts().join("|").toStdString();
    EXPECT_TRUE(tone.finish()) << tone.error();
  }
  // Two silent seconds close the file; the next one waits.
  ASSERT_TRUE(RunUntil([&] { return window->lrname->text() == "Rectest-02.wav"; }));
  ASSERT_TRUE(RunUntil([&] { return window->lrstatus->text() == "Waiting for sound..."; }));
  // A longer silence: still nothing new.
  const auto quietUntil = std::chrono::steady_clock::now() + std::chrono::seconds(2);
  RunUntil([&] { return std::chrono::steady_clock::now() >= quietUntil; });
  EXPECT_EQ(window->lrname->text(), "Rectest-02.wav");
  EXPECT_EQ(window->lrstatus->text(), "Waiting for sound...");
  PlayTone(sink, 1.5);
  ASSERT_TRUE(RunUntil([&] { return window->lrname->text() == "Rectest-03.wav"; }));
  window->btnstopClick();
  EXPECT_TRUE(messages.shown.empty()) << messages.texts().join("|").toStdString();

  EXPECT_FALSE(QFile::exists(File(3)));
  const auto second = ReadWav(File(2).toStdString());
  ASSERT_TRUE(second && second->bits == 16 && second->rate > 0);
  const std::vector<float> left = ChannelOf(ToFloats(zaudio::SampleType::S16, second->data), second->channels, 0);
  // The tone, then the two silent seconds before the action (to the
  // monitor's step), none of the waiting before it.
  EXPECT_NEAR(double(left.size()) / second->rate, 3.5, 1.2);
  // It begins with the tone: within its first 20 ms the tone is up.
  float peak = 0;
  for (size_t i = 0; i < std::min<size_t>(left.size(), second->rate / 50); ++i) peak = std::max(peak, std::fabs(left[i]));
  EXPECT_GT(peak, 0.2f);
  std::vector<std::string> listed;
  for (const auto& row : window->FRecordingRows) listed.push_back(row.Name);
  EXPECT_EQ(listed, (std::vector<std::string>{"Rectest-01.wav", "Rectest-02.wav"}));
}

INSTANTIATE_TEST_SUITE_P(Paths, SilenceOnServer,
                         ::testing::Values(SilenceCase{"direct", true}, SilenceCase{"mixer", false}),
                         [](const ::testing::TestParamInfo<SilenceCase>& info) { return std::string(info.param.what); });

}  // namespace
}  // namespace zovedu_test
