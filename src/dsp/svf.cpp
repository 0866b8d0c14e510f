#include "dsp/svf.h"

#include <numbers>

namespace zdsp {

SvfSection::SvfSection(double cutoff, double rate) {
  if (!(rate > 0) || !(cutoff < rate / 2)) {
    open_ = true;
    return;
  }
  if (!(cutoff > 0)) return;  // 0 Hz (and below): the defaults
  g_ = std::tan(std::numbers::pi * cutoff / rate);
  a1_ = 1 / (1 + g_ * (g_ + kDamping));
  a2_ = g_ * a1_;
  a3_ = g_ * a2_;
}

}  // namespace zdsp
