// The spectrum's frames: the ceiling, how bars and peak marks fall, the
// modes, and which creator opens a listed recording.
#include <gtest/gtest.h>

#include <QPainter>
#include <array>
#include <random>

#include "app/stream_choice.h"
#include "app/tspectrum.h"

namespace {

std::array<float, TSpectrum::kFftValues> Flat(float v) {
  std::array<float, TSpectrum::kFftValues> a;
  a.fill(v);
  return a;
}

TEST(Spectrum, LevelsReachTheCeilingAtOneFifthAndFallAtTheirRates) {
  TSpectrum s(318, 120);
  QImage target(318, 120, QImage::Format_RGB32);
  struct {
    float magnitude;
    int level;
  } ceilings[] = {{0.0f, 0}, {0.1f, 50}, {0.19f, 95}, {0.2f, 100}, {7.0f, 100}, {-0.3f, 100}};
  for (const auto& c : ceilings) {
    TSpectrum fresh(318, 120);
    const auto fft = Flat(c.magnitude);
    fresh.Draw(target, fft.data(), 0, 0);
    EXPECT_EQ(fresh.FBarLevels[0], c.level) << c.magnitude;
    EXPECT_EQ(fresh.FPeakLevels[318], c.level) << c.magnitude;
  }

  // After a full-height burst, silence: bars fall 3 a frame, peaks 1.
  const auto burst = Flat(1.0f), silence = Flat(0.0f);
  s.Draw(target, burst.data(), 0, 0);
  int barsGone = 0, peaksGone = 0;
  for (int frame = 1; frame <= 120 && (barsGone == 0 || peaksGone == 0); ++frame) {
    s.Draw(target, silence.data(), 0, 0);
    if (!barsGone && s.FBarLevels[0] == 0) barsGone = frame;
    if (!peaksGone && s.FPeakLevels[0] == 0) peaksGone = frame;
  }
  EXPECT_EQ(barsGone, 34);
  EXPECT_EQ(peaksGone, 100);
}

TEST(Spectrum, BarsAndLinesShowAndOtherModesDrawNothing) {
  const auto fft = Flat(1.0f);
  const QColor bar(187, 213, 43);
  for (int mode : {0, 1, 5}) {
    SCOPED_TRACE(mode);
    TSpectrum s(318, 120);
    s.FMode = mode;
    QImage target(318, 120, QImage::Format_RGB32);
    target.fill(Qt::blue);
    s.Draw(target, fft.data(), 0, 0);
    // Mode 1: the first bar fills columns 0..4 up 100 pixels, column 5 is the
    // gap; mode 0: a line in every column; mode 5: the cleared buffer only.
    EXPECT_EQ(target.pixelColor(5, 110) == bar, mode == 0);
    EXPECT_EQ(target.pixelColor(2, 100) == bar, mode != 5);
    EXPECT_EQ(target.pixelColor(3, 10), QColor(Qt::black));
  }
  EXPECT_EQ(NextSpectrumMode(1), 0);
  EXPECT_EQ(NextSpectrumMode(0), 1);
  EXPECT_EQ(NextSpectrumMode(5), 0);
}

// The frame as painter primitives draw it: lines and dots in mode 0, peak
// marks and filled bars in mode 1.
QImage PaintedFrame(const TSpectrum& s, int x, int y) {
  QImage image(s.FBackBuffer.size(), QImage::Format_RGB32);
  image.fill(s.FClearColour);
  QPainter p(&image);
  const int h = image.height();
  for (int i = 0; i < TSpectrum::kColumns; ++i) {
    if (s.FMode == 0) {
      p.setPen(s.FBarColour);
      p.drawLine(x + i, y + h, x + i, y + h - s.FBarLevels[i]);
      p.drawPoint(x + i, y + h - s.FPeakLevels[i]);
    } else {
      const int left = x + i * (s.FBarWidth + 1), right = left + s.FBarWidth;
      p.setPen(s.FPeakColour);
      p.drawLine(left, y + h - s.FPeakLevels[i], right, y + h - s.FPeakLevels[i]);
      p.fillRect(QRect(left, y + h - s.FBarLevels[i], s.FBarWidth, s.FBarLevels[i]), s.FBarColour);
    }
  }
  return image;
}

// Random spectra, then falling ones, in both modes and with the drawing
// moved: every frame has the pixels a painter would give it, and differs
// from the one before only inside the rectangle it reports. A frame that
// would look as the last one is not drawn again, until the mode or the
// background changes.
TEST(Spectrum, FramesAreThePaintersPixelsAndAStillFrameIsNotDrawnAgain) {
  std::mt19937 random(7);
  std::uniform_real_distribution<float> magnitude(0.0f, 0.25f);
  for (int mode : {0, 1})
    for (auto [x, y] : {std::pair{0, 0}, std::pair{3, -20}}) {
      SCOPED_TRACE(testing::Message() << "mode " << mode << " at " << x << "," << y);
      TSpectrum s(318, 120);
      s.FMode = mode;
      QImage target(318, 120, QImage::Format_RGB32);
      std::array<float, TSpectrum::kFftValues> fft{};
      for (int frame = 0; frame < 12; ++frame) {
        if (frame < 4)
          for (float& v : fft) v = magnitude(random);
        else
          fft.fill(0.0f);
        const QImage before = target.copy();
        if (!s.Draw(target, fft.data(), x, y)) continue;
        ASSERT_EQ(target, PaintedFrame(s, x, y)) << "frame " << frame;
        // Only the changed rectangle needs painting on screen.
        if (frame > 0) {
          QImage outsideBefore = before, outsideNow = target;
          QPainter(&outsideBefore).fillRect(s.FChanged, Qt::black);
          QPainter(&outsideNow).fillRect(s.FChanged, Qt::black);
          ASSERT_EQ(outsideNow, outsideBefore) << "frame " << frame << " changed outside " << s.FChanged.x() << ","
                                               << s.FChanged.y() << " " << s.FChanged.width() << "x"
                                               << s.FChanged.height();
        }
      }
    }

  TSpectrum s(318, 120);
  QImage target(318, 120, QImage::Format_RGB32);
  const auto tone = Flat(0.1f);
  EXPECT_TRUE(s.Draw(target, tone.data(), 0, 0));
  EXPECT_FALSE(s.Draw(target, tone.data(), 0, 0));
  s.FMode = 0;
  EXPECT_TRUE(s.Draw(target, tone.data(), 0, 0));
  EXPECT_FALSE(s.Draw(target, tone.data(), 0, 0));
  QImage picture(318, 120, QImage::Format_RGB32);
  picture.fill(Qt::darkBlue);
  s.SetBackground(true, picture);
  target.fill(Qt::white);
  EXPECT_TRUE(s.Draw(target, tone.data(), 0, 0));
  EXPECT_EQ(target.pixelColor(2, 5), QColor(Qt::darkBlue));
}

TEST(StreamChoice, TheRecordedFormatChoosesTheCreator) {
  struct {
    const char* type;
    const char* path;
    StreamCreator creator;
  } cases[] = {
      {"WAV", "/r/a.wav", zaudio::StreamCreateFile},   {"MP3", "/r/a.mp3", zaudio::StreamCreateFile},
      {"OGG", "/r/a.ogg", zaudio::StreamCreateFile},   {"WMA", "/r/a.wma", zaudio::WMA_StreamCreateFile},
      {"MPC", "/r/a.mpc", zaudio::MPC_StreamCreateFile}, {"AAC", "/r/a.AAC", zaudio::AAC_StreamCreateFile},
      {"AAC", "/r/a.m4a", zaudio::MP4_StreamCreateFile}, {"AAC", "/r.aac/a", zaudio::MP4_StreamCreateFile},
      {"WV", "/r/a.wv", zaudio::WV_StreamCreateFile},    {"FLAC", "/r/a.flac", zaudio::FLAC_StreamCreateFile},
      {"TTA", "/r/a.tta", zaudio::TTA_StreamCreateFile}, {"APE", "/r/a.ape", zaudio::APE_StreamCreateFile},
      {"SPX", "/r/a.spx", zaudio::SPX_StreamCreateFile},
  };
  for (const auto& c : cases) EXPECT_EQ(StreamCreatorFor(c.type, c.path), c.creator) << c.type << " " << c.path;
}

}  // namespace
