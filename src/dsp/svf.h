// One section of the trapezoidal (zero-delay-feedback) state-variable
// filter: the analog prototype s^2 + k*s + 1 taken through the bilinear
// transform, prewarped so that the cutoff lands exactly on fc. Its low, band
// and high outputs are the bilinear low-pass, band-pass (peak gain 1/k at
// fc) and high-pass biquads of Q = 1/k, without the direct form's loss of
// precision at low cutoffs, and with a well-defined limit at the Nyquist
// frequency.
#pragma once

#include <cfloat>
#include <cmath>

namespace zdsp {

// k = 1/Q with Q = 1: no resonant peak worth speaking of (+1.25 dB on the
// low- and high-pass), and a band-pass whose peak gain 1/k is exactly 0 dB.
inline constexpr double kDamping = 1.0;

// State magnitudes below this become 0, so that a decaying filter reaches
// exact silence instead of crawling through subnormal numbers.
inline constexpr double kStateFloor = 1e-30;

// The two integrator memories of one section on one channel.
struct SvfState {
  double ic1 = 0;
  double ic2 = 0;
};

struct SvfOutputs {
  double low;
  double band;
  double high;
};

class SvfSection {
 public:
  // fc 0 Hz: low and band are silent, high passes everything.
  SvfSection() = default;
  // fc in Hz, rate the buffer's frames per second. At or above rate / 2 the
  // section is open (see open()); a rate of 0 or less also leaves it open.
  SvfSection(double cutoff, double rate);

  // The cutoff sits at the Nyquist frequency, where g = tan(pi/2) is
  // infinite: low is the input, band and high are 0. tick() must not be used
  // then (its integrators would only accumulate the Nyquist component).
  bool open() const { return open_; }
  double g() const { return g_; }

  SvfOutputs tick(SvfState& s, double x) const {
    const double v3 = x - s.ic2;
    const double band = a1_ * s.ic1 + a2_ * v3;
    const double low = s.ic2 + a2_ * s.ic1 + a3_ * v3;
    const double ic1 = 2 * band - s.ic1;
    const double ic2 = 2 * low - s.ic2;
    // NaN and infinities fail the finite test: a non-finite value resets the
    // section instead of poisoning every later sample. (& evaluates every
    // test without a branch each; measurably faster than && here.)
    const double m1 = std::fabs(ic1), m2 = std::fabs(ic2);
    const bool finite = (m1 <= DBL_MAX) & (m2 <= DBL_MAX);
    s.ic1 = finite & (m1 >= kStateFloor) ? ic1 : 0.0;
    s.ic2 = finite & (m2 >= kStateFloor) ? ic2 : 0.0;
    return {low, band, x - kDamping * band - low};
  }

 private:
  bool open_ = false;
  double g_ = 0;
  double a1_ = 1;  // 1 / (1 + g (g + k))
  double a2_ = 0;  // g a1
  double a3_ = 0;  // g a2
};

}  // namespace zdsp
