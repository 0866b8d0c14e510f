// Converts interleaved audio to another rate, channel count and sample type
// (libswresample). More channels than the output has are downmixed with the
// resampler's default matrix; mono is copied to every output channel. The
// same format in and out passes the samples through untouched.
#pragma once

#include <cstdint>
#include <vector>

#include "audio/backend.h"

struct SwrContext;

namespace zaudio {

class Resampler {
 public:
  Resampler(const CaptureFormat& in, const CaptureFormat& out);
  ~Resampler();
  Resampler(const Resampler&) = delete;
  Resampler& operator=(const Resampler&) = delete;

  bool valid() const { return passThrough_ || swr_ != nullptr; }
  const CaptureFormat& output() const { return out_; }

  // Converts whole input frames and appends the output frames to out.
  void convert(const void* in, size_t frames, std::vector<std::uint8_t>& out);
  // Appends what the filter still holds back (at the end of the input).
  void flush(std::vector<std::uint8_t>& out);

 private:
  void run(const std::uint8_t* in, int frames, std::vector<std::uint8_t>& out);

  CaptureFormat in_, out_;
  bool passThrough_ = false;
  SwrContext* swr_ = nullptr;
};

}  // namespace zaudio
