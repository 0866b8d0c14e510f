#include "audio/fft.h"

#include <fftw3.h>

#include <cmath>
#include <mutex>
#include <numbers>

#include "audio/channel.h"
#include "audio/error_state.h"

namespace zaudio {

namespace {

struct Plan {
  fftwf_plan plan = nullptr;
  float window[kFftSize];

  Plan() {
    // A periodic window: a sine on a bin falls on that bin and its two
    // neighbours only, and sums to exactly half its amplitude × N / 2 there.
    for (size_t i = 0; i < kFftSize; ++i)
      window[i] = static_cast<float>(0.5 - 0.5 * std::cos(2.0 * std::numbers::pi * static_cast<double>(i) / kFftSize));
    float* in = fftwf_alloc_real(kFftSize);
    fftwf_complex* out = fftwf_alloc_complex(kFftSize / 2 + 1);
    plan = fftwf_plan_dft_r2c_1d(static_cast<int>(kFftSize), in, out, FFTW_ESTIMATE);
    fftwf_free(in);
    fftwf_free(out);
  }
};

std::mutex planMutex;

const Plan& SharedPlan() {
  // Made once, under the lock that every use of FFTW's planner in this
  // library takes.
  std::lock_guard lock(planMutex);
  static const Plan plan;
  return plan;
}

}  // namespace

void FftMagnitudes1024(const float* samples, float* magnitudes) {
  const Plan& p = SharedPlan();
  // Executing a plan on other arrays of the same alignment is thread-safe.
  struct Buffers {
    float* in = fftwf_alloc_real(kFftSize);
    fftwf_complex* out = fftwf_alloc_complex(kFftSize / 2 + 1);
    ~Buffers() {
      fftwf_free(in);
      fftwf_free(out);
    }
  };
  thread_local Buffers b;
  for (size_t i = 0; i < kFftSize; ++i) b.in[i] = samples[i] * p.window[i];
  fftwf_execute_dft_r2c(p.plan, b.in, b.out);
  // A sine of amplitude A on bin k gives |X[k]| = A × N / 4 under the window.
  constexpr float scale = 4.0f / kFftSize;
  for (size_t k = 0; k < kFftSize / 2; ++k)
    magnitudes[k] = scale * std::hypot(b.out[k][0], b.out[k][1]);
}

namespace detail {

DWORD GetFft1024(Channel& channel, float* out) {
  float samples[kFftSize];
  int error = OK;
  if (!channel.lastFrames(samples, kFftSize, error)) return Fail(error, DATA_ERROR);
  FftMagnitudes1024(samples, out);
  SetError(OK);
  return static_cast<DWORD>(kFftSize / 2 * sizeof(float));
}

}  // namespace detail

}  // namespace zaudio
