// Integer fields of tag formats: big- and little-endian, and the 7-bit
// "syncsafe" groups of ID3v2 sizes.
#pragma once

#include <cstddef>
#include <cstdint>

#include "tags/toolkit/byte_source.h"

namespace tags {

inline std::uint32_t ReadBE32(const std::uint8_t* p) {
  return std::uint32_t(p[0]) << 24 | std::uint32_t(p[1]) << 16 | std::uint32_t(p[2]) << 8 | p[3];
}
inline std::uint32_t ReadBE24(const std::uint8_t* p) {
  return std::uint32_t(p[0]) << 16 | std::uint32_t(p[1]) << 8 | p[2];
}
inline std::uint16_t ReadBE16(const std::uint8_t* p) { return std::uint16_t(p[0] << 8 | p[1]); }
inline std::uint32_t ReadLE32(const std::uint8_t* p) {
  return std::uint32_t(p[3]) << 24 | std::uint32_t(p[2]) << 16 | std::uint32_t(p[1]) << 8 | p[0];
}
inline std::uint16_t ReadLE16(const std::uint8_t* p) { return std::uint16_t(p[1] << 8 | p[0]); }
inline std::uint64_t ReadLE64(const std::uint8_t* p) {
  return std::uint64_t(ReadLE32(p + 4)) << 32 | ReadLE32(p);
}
// Four 7-bit groups, most significant first; the high bits are ignored.
inline std::uint32_t ReadSyncsafe32(const std::uint8_t* p) {
  return std::uint32_t(p[0] & 0x7f) << 21 | std::uint32_t(p[1] & 0x7f) << 14 |
         std::uint32_t(p[2] & 0x7f) << 7 | (p[3] & 0x7f);
}

inline void AppendBE32(Bytes& out, std::uint32_t v) {
  out.insert(out.end(), {std::uint8_t(v >> 24), std::uint8_t(v >> 16), std::uint8_t(v >> 8),
                         std::uint8_t(v)});
}
inline void AppendBE16(Bytes& out, std::uint16_t v) {
  out.insert(out.end(), {std::uint8_t(v >> 8), std::uint8_t(v)});
}
inline void AppendBE24(Bytes& out, std::uint32_t v) {
  out.insert(out.end(), {std::uint8_t(v >> 16), std::uint8_t(v >> 8), std::uint8_t(v)});
}
inline void AppendLE32(Bytes& out, std::uint32_t v) {
  out.insert(out.end(), {std::uint8_t(v), std::uint8_t(v >> 8), std::uint8_t(v >> 16),
                         std::uint8_t(v >> 24)});
}
inline void AppendLE64(Bytes& out, std::uint64_t v) {
  AppendLE32(out, std::uint32_t(v));
  AppendLE32(out, std::uint32_t(v >> 32));
}
inline void AppendSyncsafe32(Bytes& out, std::uint32_t v) {
  out.insert(out.end(), {std::uint8_t(v >> 21 & 0x7f), std::uint8_t(v >> 14 & 0x7f),
                         std::uint8_t(v >> 7 & 0x7f), std::uint8_t(v & 0x7f)});
}
inline void WriteLE32(std::uint8_t* p, std::uint32_t v) {
  p[0] = std::uint8_t(v);
  p[1] = std::uint8_t(v >> 8);
  p[2] = std::uint8_t(v >> 16);
  p[3] = std::uint8_t(v >> 24);
}
inline void AppendText(Bytes& out, std::string_view text) { out.insert(out.end(), text.begin(), text.end()); }

}  // namespace tags
