#include "aac_quality.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace faac {

double EncoderQuality(int q) {
  q = std::clamp(q, kMinQuality, kMaxQuality);
  if (q <= kDefaultQuality) return q / 100.0;
  return 1.0 + (q - kDefaultQuality) / 400.0;
}

int QualityCutoffHz(int q) {
  struct Point {
    int q, hz;
  };
  constexpr std::array<Point, 4> kPoints{{{10, 4000}, {30, 10000}, {50, 15000}, {100, 20000}}};
  q = std::clamp(q, kMinQuality, kMaxQuality);
  for (size_t i = 1; i < kPoints.size(); ++i) {
    const Point a = kPoints[i - 1], b = kPoints[i];
    if (q <= b.q) return a.hz + static_cast<int>(std::lround(double(q - a.q) * (b.hz - a.hz) / (b.q - a.q)));
  }
  return kPoints.back().hz;
}

}  // namespace faac
