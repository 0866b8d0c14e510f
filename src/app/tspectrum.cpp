#include "app/tspectrum.h"

#include <QPainter>
#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

// Sets the pixels of columns left .. right - 1 in rows top .. bottom - 1,
// as far as they lie in the 32-bit image.
void FillPixels(QImage& image, int left, int top, int right, int bottom, QRgb colour) {
  left = std::max(left, 0);
  top = std::max(top, 0);
  right = std::min(right, image.width());
  bottom = std::min(bottom, image.height());
  if (left >= right) return;
  for (int row = top; row < bottom; ++row) {
    auto* line = reinterpret_cast<QRgb*>(image.scanLine(row));
    std::fill(line + left, line + right, colour);
  }
}

// to = from at (0, 0): a copy of the bits when both have one size and format.
void CopyPixels(const QImage& from, QImage& to) {
  if (from.size() != to.size() || from.format() != to.format()) {
    QPainter(&to).drawImage(0, 0, from);
    return;
  }
  for (int row = 0; row < from.height(); ++row)
    std::memcpy(to.scanLine(row), from.constScanLine(row), static_cast<std::size_t>(from.bytesPerLine()));
}

}  // namespace

TSpectrum::TSpectrum(int width, int height)
    : FBackBuffer(width, height, QImage::Format_RGB32), FBackground(width, height, QImage::Format_RGB32) {
  FBackBuffer.fill(FClearColour);
  FBackground.fill(FClearColour);
}

void TSpectrum::SetBackground(bool use, const QImage& picture) {
  FUseBackground = use;
  QPainter(&FBackground).drawImage(0, 0, picture);
  FRedraw = true;
}

QRect TSpectrum::ChangedRect(const Drawn& before, int x, int y) const {
  const int bottom = y + FBackBuffer.height();
  QRect changed;
  // The rows between a column's old and new bar tops, and its old and new
  // peak dots; the rest of the column looks as before.
  const auto rows = [&](int left, int right, int a, int b) {
    if (a != b) changed |= QRect(QPoint(left, bottom - std::max(a, b)), QPoint(right, bottom - std::min(a, b)));
  };
  for (int i = 0; i < kColumns; ++i) {
    const int left = FMode == 1 ? x + i * (FBarWidth + 1) : x + i;
    const int right = FMode == 1 ? left + FBarWidth : left;
    if (left >= FBackBuffer.width()) break;
    rows(left, right, before.bars[i], FBarLevels[i]);
    if (before.peaks[i] != FPeakLevels[i]) {
      changed |= QRect(QPoint(left, bottom - before.peaks[i]), QPoint(right, bottom - before.peaks[i]));
      changed |= QRect(QPoint(left, bottom - FPeakLevels[i]), QPoint(right, bottom - FPeakLevels[i]));
    }
  }
  return changed & FBackBuffer.rect();
}

bool TSpectrum::Draw(QImage& target, const float* fft, int x, int y) {
  std::array<float, kFftValues> values;
  std::copy(fft, fft + kFftValues, values.begin());
  for (int i = 0; i < kColumns; ++i) {
    const std::size_t bin = static_cast<std::size_t>(5 + i * FBinStep);
    const float v = bin < values.size() ? std::fabs(values[bin]) : 0.0f;
    // Any magnitude of 0.2 or more reaches the ceiling.
    const int level = std::min(static_cast<int>(std::min(v * 500.0f, 1e9f)), FMaxLevel);
    FPeakLevels[i] = level >= FPeakLevels[i] ? level : std::max(0, FPeakLevels[i] - FPeakDecay);
    FBarLevels[i] = level >= FBarLevels[i] ? level : std::max(0, FBarLevels[i] - FBarDecay);
  }
  // The same levels in the same place make the same picture: a steady tone or
  // a silence costs no painting at all.
  const Drawn now{FBarLevels, FPeakLevels, FMode, x, y};
  if (!FRedraw && now == FDrawn) return false;
  FChanged = FRedraw || now.mode != FDrawn.mode || x != FDrawn.x || y != FDrawn.y ? FBackBuffer.rect()
                                                                                    : ChangedRect(FDrawn, x, y);
  FDrawn = now;
  FRedraw = false;

  // Plain pixel writes: the frame is a few solid rectangles, and a painter
  // set up for each of 30 frames a second costs more than the pixels do.
  const int h = FBackBuffer.height();
  if (FUseBackground)
    CopyPixels(FBackground, FBackBuffer);
  else if (FClearEachFrame)
    FBackBuffer.fill(FClearColour);
  const QRgb bar = FBarColour.rgb(), peak = FPeakColour.rgb();
  const int bottom = y + h;
  if (FMode == 0) {
    for (int i = 0; i < kColumns; ++i) {
      const int column = x + i;
      // A line from the bottom up to the level, both ends included, and a
      // dot at the peak.
      FillPixels(FBackBuffer, column, bottom - FBarLevels[i], column + 1, bottom + 1, bar);
      if (FShowPeaks) FillPixels(FBackBuffer, column, bottom - FPeakLevels[i], column + 1, bottom - FPeakLevels[i] + 1, bar);
    }
  } else if (FMode == 1) {
    for (int i = 0; i < kColumns; ++i) {
      const int left = x + i * (FBarWidth + 1), right = left + FBarWidth;
      if (left >= FBackBuffer.width()) break;  // off the box: levels move, nothing shows
      // The peak mark spans left .. right, the bar left .. right - 1: one
      // pixel of gap to the next.
      if (FShowPeaks)
        FillPixels(FBackBuffer, left, bottom - FPeakLevels[i], right + 1, bottom - FPeakLevels[i] + 1, peak);
      FillPixels(FBackBuffer, left, bottom - FBarLevels[i], right, bottom, bar);
    }
  }
  CopyPixels(FBackBuffer, target);
  return true;
}

int TSpectrum::LoudestFrequency(int sampleRate) const {
  int loudest = -1, level = 0;
  for (int i = 0; i < kColumns; ++i) {
    const int left = FMode == 1 ? i * (FBarWidth + 1) : i;
    if (left >= FBackBuffer.width()) break;
    if (FBarLevels[static_cast<std::size_t>(i)] > level) {
      level = FBarLevels[static_cast<std::size_t>(i)];
      loudest = i;
    }
  }
  if (loudest < 0) return 0;
  // The columns read the bins of a 1024-point transform from the sixth on.
  return static_cast<int>(static_cast<long long>(5 + loudest * FBinStep) * sampleRate / 1024);
}
