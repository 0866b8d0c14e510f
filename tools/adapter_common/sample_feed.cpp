#include "sample_feed.h"

#include <bit>

namespace adapter {

namespace {

constexpr size_t kBlockFrames = 4096;

void PutLe32(std::uint32_t v, std::uint8_t* p) {
  p[0] = static_cast<std::uint8_t>(v);
  p[1] = static_cast<std::uint8_t>(v >> 8);
  p[2] = static_cast<std::uint8_t>(v >> 16);
  p[3] = static_cast<std::uint8_t>(v >> 24);
}

}  // namespace

wavin::Format FedFormat(const wavin::Format& in, Samples samples) {
  wavin::Format out = in;
  if (samples == Samples::Float32) out.encoding = wavin::Encoding::Float32;
  if (samples == Samples::Signed32) out.encoding = wavin::Encoding::Signed32;
  if (samples != Samples::AsRead) out.bits = 32;
  return out;
}

bool ReadBlock(wavin::Input& in, Samples samples, std::vector<std::uint8_t>& out) {
  if (samples == Samples::AsRead) return in.read(out, kBlockFrames) > 0;
  if (samples == Samples::Float32) {
    std::vector<float> values;
    if (in.readFloat(values, kBlockFrames) == 0) return false;
    out.resize(values.size() * 4);
    for (size_t i = 0; i < values.size(); ++i) PutLe32(std::bit_cast<std::uint32_t>(values[i]), &out[i * 4]);
    return true;
  }
  std::vector<std::int32_t> values;
  if (in.readInt32(values, kBlockFrames) == 0) return false;
  out.resize(values.size() * 4);
  for (size_t i = 0; i < values.size(); ++i) PutLe32(static_cast<std::uint32_t>(values[i]), &out[i * 4]);
  return true;
}

}  // namespace adapter
