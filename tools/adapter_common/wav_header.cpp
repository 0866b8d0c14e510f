#include "wav_header.h"


namespace adapter {

namespace {

constexpr std::uint16_t kPcm = 1, kFloat = 3, kExtensible = 0xFFFE;

class Writer {
 public:
  void tag(const char* fourcc) {
    for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<std::uint8_t>(fourcc[i]));
  }
  void u16(std::uint32_t v) {
    bytes.push_back(static_cast<std::uint8_t>(v));
    bytes.push_back(static_cast<std::uint8_t>(v >> 8));
  }
  void u32(std::uint32_t v) {
    u16(v & 0xFFFF);
    u16(v >> 16);
  }
  std::vector<std::uint8_t> bytes;
};

}  // namespace

std::vector<std::uint8_t> WavHeader(const wavin::Format& f, std::uint32_t declaredSize, bool plainOnly) {
  const bool extensible = f.channels > 2 && !plainOnly;
  const std::uint16_t tag = f.encoding == wavin::Encoding::Float32 ? kFloat : kPcm;
  const std::uint32_t fmtSize = extensible ? 40 : 16;
  const std::uint32_t headerSize = 12 + 8 + fmtSize + 8;
  const std::uint32_t riffSize =
      declaredSize > 0xFFFFFFFF - (headerSize - 8) ? 0xFFFFFFFF : declaredSize + (headerSize - 8);
  const auto frameBytes = static_cast<std::uint32_t>(f.frameBytes());

  Writer w;
  w.tag("RIFF");
  w.u32(riffSize);
  w.tag("WAVE");
  w.tag("fmt ");
  w.u32(fmtSize);
  w.u16(extensible ? kExtensible : tag);
  w.u16(static_cast<std::uint32_t>(f.channels));
  w.u32(static_cast<std::uint32_t>(f.rate));
  w.u32(static_cast<std::uint32_t>(f.rate) * frameBytes);
  w.u16(frameBytes);
  w.u16(static_cast<std::uint32_t>(f.bits));
  if (extensible) {
    w.u16(22);
    w.u16(static_cast<std::uint32_t>(f.bits));
    w.u32(f.channelMask);
    // The subformat GUID {0000xxxx-0000-0010-8000-00AA00389B71}.
    w.u32(tag);
    w.u16(0);
    w.u16(0x10);
    for (std::uint8_t b : {0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71}) w.bytes.push_back(b);
  }
  w.tag("data");
  w.u32(declaredSize);
  return w.bytes;
}

}  // namespace adapter
