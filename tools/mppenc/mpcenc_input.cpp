#include "mpcenc_input.h"

#include <algorithm>
#include <array>

namespace mppenc {

namespace {

constexpr std::array kRates = {32000, 37800, 44100, 48000};

}  // namespace

bool AcceptsStream(const wavin::Format& f, std::string& error) {
  if (std::find(kRates.begin(), kRates.end(), f.rate) == kRates.end()) {
    error = "mpcenc encodes 32000, 37800, 44100 or 48000 Hz only, not " + std::to_string(f.rate) + " Hz";
    return false;
  }
  return true;
}

adapter::Feed FeedFor(const wavin::Format& f) {
  adapter::Feed feed;
  if (f.encoding == wavin::Encoding::Float32) feed.samples = adapter::Samples::Signed32;
  feed.extensibleBeyondStereo = false;
  return feed;
}

}  // namespace mppenc
