// A listed WAV file played by the window through the test server: what the
// window says about it, its waveform scan, what the default sink's monitor
// hears sample for sample (from the start, and from a column clicked on the
// position bar), and the spectrum while its tone plays. Neither the window
// nor a WAV file loads the codec libraries.
#include <gtest/gtest.h>

#include <pulse/error.h>
#include <pulse/simple.h>

#include <QCoreApplication>
#include <QFile>
#include <QTreeWidget>
#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <mutex>
#include <numbers>
#include <string>
#include <thread>
#include <vector>

#include "app/scan_thread.h"
#include "app/tspectrum.h"
#include "library/recording_list.h"
#include "support/test_wav.h"
#include "support/wav_file.h"
#include "window_on_server.h"

namespace zovedu_test {
namespace {

constexpr int kRate = 44100;  // the file's and the play sink's: nothing is resampled
constexpr int kFrames20ms = kRate / 50;

// Records a sink's monitor as 16-bit stereo at the sink's rate on its own
// thread: with nothing converted and the volumes at full, what was played
// into the sink arrives sample for sample.
class MonitorRecorder {
 public:
  explicit MonitorRecorder(const std::string& monitor) {
    const pa_sample_spec spec{PA_SAMPLE_S16LE, kRate, 2};
    pa_buffer_attr attr;
    attr.maxlength = attr.tlength = attr.prebuf = attr.minreq = static_cast<std::uint32_t>(-1);
    attr.fragsize = kChunkFrames * 4;
    int err = 0;
    s_ = pa_simple_new(nullptr, "zovedu-tests", PA_STREAM_RECORD, monitor.c_str(), "monitor", &spec, nullptr, &attr,
                       &err);
    if (!s_) {
      error_ = std::string("pa_simple_new: ") + pa_strerror(err);
      return;
    }
    opened_ = true;
    thread_ = std::thread([this] { run(); });
  }
  ~MonitorRecorder() { stop(); }

  // False once opening or reading failed; error() then says why.
  bool ok() const { return opened_ && !failed_; }
  const std::string& error() const { return error_; }
  size_t frames() const {
    std::lock_guard lock(mutex_);
    return samples_.size() / 2;
  }
  // Ends the recording; the interleaved samples recorded.
  std::vector<std::int16_t> stop() {
    quit_ = true;
    if (thread_.joinable()) thread_.join();
    if (s_) pa_simple_free(s_);
    s_ = nullptr;
    std::lock_guard lock(mutex_);
    return samples_;
  }

 private:
  static constexpr size_t kChunkFrames = kRate / 100;

  void run() {
    std::vector<std::int16_t> chunk(kChunkFrames * 2);
    while (!quit_) {
      int err = 0;
      if (pa_simple_read(s_, chunk.data(), chunk.size() * sizeof(std::int16_t), &err) < 0) {
        error_ = std::string("pa_simple_read: ") + pa_strerror(err);
        failed_ = true;
        return;
      }
      std::lock_guard lock(mutex_);
      samples_.insert(samples_.end(), chunk.begin(), chunk.end());
    }
  }

  pa_simple* s_ = nullptr;
  bool opened_ = false;
  std::string error_;  // the reading thread's once failed_ is set
  std::atomic<bool> quit_{false}, failed_{false};
  mutable std::mutex mutex_;
  std::vector<std::int16_t> samples_;
  std::thread thread_;  // last: starts once the fields it uses exist
};

// Interleaved stereo frames.
using Frames = std::vector<std::int16_t>;
size_t FrameCount(const Frames& f) { return f.size() / 2; }

// The first frame at or after `from` that is not silent.
size_t FirstSound(const Frames& f, size_t from) {
  while (from < FrameCount(f) && f[2 * from] == 0 && f[2 * from + 1] == 0) ++from;
  return from;
}

// How many frames of `heard` from `at` equal those of `file` from `fileAt`
// (within 1 of each other) before the first that does not.
size_t SameRun(const Frames& heard, size_t at, const Frames& file, size_t fileAt) {
  size_t n = 0;
  while (at + n < FrameCount(heard) && fileAt + n < FrameCount(file) &&
         std::abs(heard[2 * (at + n)] - file[2 * (fileAt + n)]) <= 1 &&
         std::abs(heard[2 * (at + n) + 1] - file[2 * (fileAt + n) + 1]) <= 1)
    ++n;
  return n;
}

constexpr size_t kNowhere = static_cast<size_t>(-1);

// The frame of `file`, from `fileFrom` on and less than `span` after it,
// that `heard` plays at `at`; kNowhere when there is none.
size_t FileFrameHeard(const Frames& heard, size_t at, const Frames& file, size_t fileFrom, size_t span) {
  for (size_t j = fileFrom; j < fileFrom + span; ++j)
    if (SameRun(heard, at, file, j) >= 64) return j;
  return kNowhere;
}

// The peak magnitude of each column of `bytesPerColumn`, per channel.
struct ColumnPeaks {
  std::vector<int> left, right;
};
ColumnPeaks PeaksOf(const Frames& f, std::uint64_t bytesPerColumn, int columns) {
  ColumnPeaks p{std::vector<int>(columns), std::vector<int>(columns)};
  for (int c = 0; c < columns; ++c) {
    const size_t begin = c * bytesPerColumn / 4, end = std::min(FrameCount(f), (c + 1) * bytesPerColumn / 4);
    for (size_t i = begin; i < end; ++i) {
      p.left[c] = std::max(p.left[c], std::abs(int{f[2 * i]}));
      p.right[c] = std::max(p.right[c], std::abs(int{f[2 * i + 1]}));
    }
  }
  return p;
}

// Whether the scan's levels are the columns' peaks, each `shift` columns to
// the right (within 1); the first column stays empty. Else what the first
// column that differs holds.
::testing::AssertionResult ShowsPeaks(const WaveLevels& levels, const ColumnPeaks& peaks, int shift) {
  for (int c = std::max(1, shift); c < levels.columns(); ++c)
    if (std::abs(levels.left(c) - peaks.left[c - shift]) > 1 || std::abs(levels.right(c) - peaks.right[c - shift]) > 1)
      return ::testing::AssertionFailure() << "column " << c << " shows " << levels.left(c) << "/" << levels.right(c)
                                           << " for " << peaks.left[c - shift] << "/" << peaks.right[c - shift];
  return ::testing::AssertionSuccess();
}

// Whether a shared library whose file name holds `name` is loaded.
bool Loaded(const std::string& name) {
  QFile maps("/proc/self/maps");
  return maps.open(QIODevice::ReadOnly) && maps.readAll().contains(name.c_str());
}

class PlaybackOnServer : public WindowOnServer {
 protected:
  // Waits for a condition while the window's events run.
  bool WaitWithEvents(const std::function<bool()>& condition) {
    return WaitUntil([&] {
      QCoreApplication::processEvents();
      return condition();
    });
  }
  std::uint64_t HeardFrames() { return zaudio::ChannelGetPosition(window->FPlayStream) / 4; }
};

// The file: quiet noise throughout (every stretch of it is unlike any other,
// and a gap in what is heard shows as zeros) and a 1 kHz tone from the
// middle column for a third of the columns; left louder than right. It lasts
// exactly one 20 ms reading of the scan per column of the position bar.
TEST_F(PlaybackOnServer, FileIsHeardFromItsStartAndFromAClickedColumn) {
  int columns = 0;
  QString work;
  {
    Tfrmmain probe;
    columns = probe.PB->width();
    work = probe.FWorkFolder;
  }
  ASSERT_GT(columns, 100);
  const size_t frames = static_cast<size_t>(columns) * kFrames20ms;
  const size_t toneStart = static_cast<size_t>(columns / 2) * kFrames20ms;
  const size_t toneEnd = toneStart + static_cast<size_t>(columns / 3) * kFrames20ms;
  std::vector<std::int32_t> samples;
  std::uint32_t noise = 12345;
  const auto hiss = [&noise](int range) {
    noise = noise * 1664525u + 1013904223u;
    return static_cast<std::int32_t>((noise >> 8) % (2 * range + 1)) - range;
  };
  for (size_t i = 0; i < frames; ++i) {
    const double tone = i >= toneStart && i < toneEnd
                            ? std::sin(2 * std::numbers::pi * 1000 * static_cast<double>(i - toneStart) / kRate)
                            : 0.0;
    samples.push_back(static_cast<std::int32_t>(std::lround(tone * 6500)) + hiss(300));
    samples.push_back(static_cast<std::int32_t>(std::lround(tone * 3300)) + hiss(150));
  }
  const Frames file(samples.begin(), samples.end());
  const Bytes pcm = ToPcm(samples, 16);
  const QString folder = out.path() + "/";
  WriteFile((folder + "tone.wav").toStdString(),
            WavStream({16, 2, kRate}, pcm, static_cast<std::uint32_t>(pcm.size())));
  {
    QFile list(RecordingListPath(work));
    ASSERT_TRUE(list.open(QIODevice::WriteOnly));
    list.write(("tone.wav|00:00:06|1096 KB|WAV|" + folder + "\n").toUtf8());
  }

  Tfrmmain& w = Open();
  w.show();
  ASSERT_EQ(w.Reclist->topLevelItemCount(), 1);
  EXPECT_FALSE(Loaded("libavcodec")) << "the window loaded the decoders before any file was played";
  MonitorRecorder monitor(kPlayMonitor);
  ASSERT_TRUE(monitor.ok()) << monitor.error();
  w.Reclist->topLevelItem(0)->setSelected(true);
  w.ReclistDblClick();
  ASSERT_NE(w.FPlayStream, 0u) << messages.texts().join("|").toStdString();
  EXPECT_FALSE(Loaded("libavcodec")) << "a WAV file needs no codec library";
  EXPECT_EQ(w.lformatinfo->text(), "WAV freq:44100 Hz Channel:2");
  EXPECT_EQ(zaudio::ChannelGetLength(w.FPlayStream) / 4, frames);

  // The scan: every column's peak.
  ASSERT_EQ(w.FBytesPerPixel, static_cast<zaudio::QWORD>(kFrames20ms) * 4);
  ASSERT_TRUE(WaitUntil([&] { return w.FScan && w.FScan->finished(); }));
  const ColumnPeaks peaks = PeaksOf(file, w.FBytesPerPixel, columns);
  const WaveLevels& levels = w.FScan->levels();
  ASSERT_EQ(levels.columns(), columns);
  // A column's peak may show in the next column: the whole picture may lag by one.
  const ::testing::AssertionResult inPlace = ShowsPeaks(levels, peaks, 0);
  if (!inPlace) {
    EXPECT_TRUE(ShowsPeaks(levels, peaks, 1)) << "in place: " << inPlace.message();
  }

  // A click on the tone's first column while the noise before it plays.
  ASSERT_TRUE(WaitWithEvents([&] { return HeardFrames() >= static_cast<std::uint64_t>(kRate) * 3 / 10; }));
  const std::uint64_t heardAtClick = HeardFrames();
  ASSERT_LT(heardAtClick + kRate, toneStart) << "too late to show the click";
  const int x = static_cast<int>((toneStart * 4 + w.FBytesPerPixel - 1) / w.FBytesPerPixel);
  const size_t seekFrame = x * w.FBytesPerPixel / 4;
  ASSERT_EQ(seekFrame, toneStart);
  w.PBMouseDown(x);

  // The spectrum while the tone plays: the tallest bar is the tone's bin.
  ASSERT_TRUE(WaitWithEvents([&] { return HeardFrames() >= seekFrame + kRate / 2; }));
  for (int tick = 0; tick < 3; ++tick) w.FFTTimerTimer();
  ASSERT_LT(HeardFrames() + 1024, toneEnd);
  const auto& bars = w.FSpectrum->FBarLevels;
  const int bin = static_cast<int>(std::lround(1000.0 * 1024 / kRate));
  EXPECT_EQ(std::max_element(bars.begin(), bars.end()) - bars.begin(), bin - 5) << "bar " << bars[bin - 5];

  // A second and a half of the tone, through the monitor too.
  ASSERT_TRUE(WaitWithEvents([&] { return HeardFrames() >= seekFrame + kRate * 3 / 2; }));
  const size_t recorded = monitor.frames();
  ASSERT_TRUE(WaitUntil([&] { return monitor.frames() >= recorded + kRate / 4; }));
  const Frames heard = monitor.stop();
  ASSERT_TRUE(monitor.ok()) << monitor.error();
  w.btnstopClick();
  EXPECT_EQ(w.FPlayStream, 0u);
  EXPECT_TRUE(messages.shown.empty()) << messages.texts().join("|").toStdString();

  // Heard: the file from its start with no gap up to the click (the scan
  // ran meanwhile), at most some silence, then the file from the clicked
  // column, again with no gap, long before the unclicked playback would
  // have reached the tone. The server's monitor may miss the first
  // milliseconds of a stream and of what follows a flush, never as much as
  // the half column that tells the clicked column from the next.
  const size_t first = FirstSound(heard, 0);
  const size_t firstFrame = FileFrameHeard(heard, first, file, 0, kFrames20ms / 2);
  ASSERT_NE(firstFrame, kNowhere) << "the start is not the file's";
  const size_t before = SameRun(heard, first, file, firstFrame);
  const size_t next = FirstSound(heard, first + before);
  const size_t nextFrame = FileFrameHeard(heard, next, file, seekFrame, kFrames20ms / 2);
  const size_t after = nextFrame == kNowhere ? 0 : SameRun(heard, next, file, nextFrame);
  const auto story = [&] {
    return "heard frames " + std::to_string(firstFrame) + ".." + std::to_string(firstFrame + before) + ", " +
           std::to_string(next - first - before) + " silent, then " +
           (nextFrame == kNowhere ? std::string("not the clicked column")
                                  : std::to_string(nextFrame) + ".." + std::to_string(nextFrame + after)) +
           "; clicked at " + std::to_string(heardAtClick) + " to " + std::to_string(seekFrame);
  };
  EXPECT_GE(firstFrame + before + kRate / 20, heardAtClick) << story();
  ASSERT_NE(nextFrame, kNowhere) << story();
  EXPECT_GE(after, static_cast<size_t>(kRate)) << story();
  EXPECT_LT(next - first + kRate / 2, toneStart) << story();
}

}  // namespace
}  // namespace zovedu_test
