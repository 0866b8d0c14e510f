#include "app/tspectrum.h"

#include <QPainter>
#include <algorithm>
#include <cmath>

TSpectrum::TSpectrum(int width, int height)
    : FBackBuffer(width, height, QImage::Format_RGB32), FBackground(width, height, QImage::Format_RGB32) {
  FBackBuffer.fill(FClearColour);
  FBackground.fill(FClearColour);
}

void TSpectrum::SetBackground(bool use, const QImage& picture) {
  FUseBackground = use;
  QPainter(&FBackground).drawImage(0, 0, picture);
}

void TSpectrum::Draw(QImage& target, const float* fft, int x, int y) {
  std::array<float, kFftValues> values;
  std::copy(fft, fft + kFftValues, values.begin());
  const int h = FBackBuffer.height();
  QPainter p(&FBackBuffer);
  if (FClearEachFrame) p.fillRect(FBackBuffer.rect(), FClearColour);
  if (FUseBackground) p.drawImage(0, 0, FBackground);

  for (int i = 0; i < kColumns; ++i) {
    const std::size_t bin = static_cast<std::size_t>(5 + i * FBinStep);
    const float v = bin < values.size() ? std::fabs(values[bin]) : 0.0f;
    // Any magnitude of 0.2 or more reaches the ceiling.
    const int level = std::min(static_cast<int>(std::min(v * 500.0f, 1e9f)), FMaxLevel);
    FPeakLevels[i] = level >= FPeakLevels[i] ? level : std::max(0, FPeakLevels[i] - FPeakDecay);
    FBarLevels[i] = level >= FBarLevels[i] ? level : std::max(0, FBarLevels[i] - FBarDecay);

    if (FMode == 0) {
      p.setPen(FBarColour);
      p.drawLine(x + i, y + h, x + i, y + h - FBarLevels[i]);
      if (FShowPeaks) p.drawPoint(x + i, y + h - FPeakLevels[i]);
    } else if (FMode == 1) {
      const int left = x + i * (FBarWidth + 1), right = left + FBarWidth;
      if (left >= FBackBuffer.width()) continue;  // off the box: levels move, nothing shows
      if (FShowPeaks) {
        p.setPen(FPeakColour);
        p.drawLine(left, y + h - FPeakLevels[i], right, y + h - FPeakLevels[i]);
      }
      // The bar covers left .. right - 1: one pixel of gap to the next.
      p.fillRect(QRect(left, y + h - FBarLevels[i], FBarWidth, FBarLevels[i]), FBarColour);
    }
  }
  p.end();
  QPainter(&target).drawImage(0, 0, FBackBuffer);
}
