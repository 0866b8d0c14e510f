#include "ape_header_fields.h"

#include <cstring>
#include <fstream>

namespace tools_mac {

namespace {

// The descriptor is 52 bytes; the header of 24 follows it.
constexpr std::size_t kHeaderAt = 52, kBothBytes = 52 + 24;

std::uint32_t Le(const unsigned char* p, int bytes) {
  std::uint32_t v = 0;
  for (int i = bytes - 1; i >= 0; --i) v = v << 8 | p[i];
  return v;
}

}  // namespace

std::optional<ApeHeaderFields> ReadApeHeader(const std::filesystem::path& file) {
  unsigned char b[kBothBytes];
  std::ifstream in(file, std::ios::binary);
  if (!in.read(reinterpret_cast<char*>(b), sizeof b) || std::memcmp(b, "MAC ", 4) != 0) return std::nullopt;
  ApeHeaderFields f;
  f.version = static_cast<std::uint16_t>(Le(b + 4, 2));
  f.seekTableBytes = Le(b + 16, 4);
  f.level = static_cast<std::uint16_t>(Le(b + kHeaderAt, 2));
  f.blocksPerFrame = Le(b + kHeaderAt + 4, 4);
  f.finalFrameBlocks = Le(b + kHeaderAt + 8, 4);
  f.totalFrames = Le(b + kHeaderAt + 12, 4);
  return f;
}

}  // namespace tools_mac
