#include "audio/encode/encoder_testing.h"

#include <atomic>
#include <limits>

namespace zaudio {

namespace {
constexpr std::uint64_t kNever = std::numeric_limits<std::uint64_t>::max();

std::atomic<size_t> gQueueBytes{0};
std::atomic<std::uint64_t> gLargestPlainRiffSize{0};
std::atomic<std::uint64_t> gFailWriteAfter{kNever};
std::atomic<std::chrono::milliseconds::rep> gStopTimeoutMs{0};
}  // namespace

void OverrideEncodersForTesting(const EncoderTestOverrides& o) {
  gQueueBytes = o.queueBytes;
  gLargestPlainRiffSize = o.largestPlainRiffSize;
  gFailWriteAfter = o.failWriteAfter.value_or(kNever);
  gStopTimeoutMs = o.stopTimeout.count();
}

EncoderTestOverrides CurrentEncoderOverrides() {
  EncoderTestOverrides o;
  o.queueBytes = gQueueBytes;
  o.largestPlainRiffSize = gLargestPlainRiffSize;
  if (const std::uint64_t after = gFailWriteAfter; after != kNever) o.failWriteAfter = after;
  o.stopTimeout = std::chrono::milliseconds(gStopTimeoutMs.load());
  return o;
}

}  // namespace zaudio
