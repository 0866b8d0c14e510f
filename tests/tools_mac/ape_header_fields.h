// The few fields of a Monkey's Audio file's start (descriptor, then header)
// that tell how far a file being written has got, read straight from disk.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>

namespace tools_mac {

struct ApeHeaderFields {
  std::uint16_t version = 0;
  std::uint32_t seekTableBytes = 0;
  std::uint16_t level = 0;
  std::uint32_t blocksPerFrame = 0;
  std::uint32_t finalFrameBlocks = 0;
  std::uint32_t totalFrames = 0;
};

// Nothing while the file is shorter than the descriptor and header or does
// not start with "MAC ".
std::optional<ApeHeaderFields> ReadApeHeader(const std::filesystem::path& file);

}  // namespace tools_mac
