// The live spectrum over the idle picture: 319 columns of FFT magnitudes as
// thin lines or as wide bars with falling peak marks, composed in a back
// buffer and copied to the target in one go.
#pragma once

#include <QColor>
#include <QImage>
#include <array>

class TSpectrum {
 public:
  static constexpr int kColumns = 319;
  static constexpr int kFftValues = 513;  // 512 filled by the library, one spare

  TSpectrum(int width, int height);

  // Draws picture onto the background (cut at its edges) and uses it or not.
  void SetBackground(bool use, const QImage& picture);
  // One frame from fft (kFftValues values); x and y offset the drawing in
  // the back buffer, which is then copied to target at (0, 0). False, with
  // nothing painted, when the frame would look as the last one drawn.
  bool Draw(QImage& target, const float* fft, int x, int y);
  // The frequency of the highest bar on show, in Hz for a sound at
  // sampleRate; 0 while every bar is down.
  int LoudestFrequency(int sampleRate) const;

  QImage FBackBuffer;
  QImage FBackground;
  QColor FClearColour = Qt::black;
  int FMaxLevel = 100;
  QColor FBarColour = QColor(187, 213, 43);
  QColor FPeakColour = QColor(255, 255, 0);
  int FMode = 1;  // 0 lines, 1 bars, anything else nothing
  int FBinStep = 1;
  bool FClearEachFrame = true;
  bool FUseBackground = false;
  int FPeakDecay = 1;
  int FBarDecay = 3;
  int FBarWidth = 5;
  bool FShowPeaks = true;
  std::array<int, kColumns> FPeakLevels{};
  std::array<int, kColumns> FBarLevels{};
  // Where the last frame drawn differs from the one before it.
  QRect FChanged;

 private:
  // What the last frame drawn showed.
  struct Drawn {
    std::array<int, kColumns> bars{}, peaks{};
    int mode = -1, x = 0, y = 0;
    bool operator==(const Drawn&) const = default;
  };
  QRect ChangedRect(const Drawn& before, int x, int y) const;

  Drawn FDrawn;
  bool FRedraw = true;  // the next frame is drawn whatever it shows
};

// The mode a click on the spectrum switches to.
inline int NextSpectrumMode(int mode) { return mode == 0 ? 1 : 0; }
