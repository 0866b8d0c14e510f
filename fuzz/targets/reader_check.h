// The body shared by the audio file reader targets: the reader reads its
// stream facts and the three tags from memory, and whatever the input, what
// it reports must be a sane number.
#pragma once

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>

#include "tags/toolkit/byte_source.h"
#include "targets/fuzz_support.h"

namespace zovedu_fuzz {

template <class Reader>
int ReadAndCheck(const char* name, const std::uint8_t* data, std::size_t size) {
  Reader reader;
  reader.ReadFromSource(tags::MemorySource(data, size));
  const double seconds = reader.Duration();
  Check(std::isfinite(seconds) && seconds >= 0, name, "duration " + std::to_string(seconds));
  Check(reader.Channels() >= 0 && reader.SampleRate() >= 0 && reader.BitRate() >= 0, name,
        "a negative channel count, sample rate or bit rate");
  return 0;
}

}  // namespace zovedu_fuzz
