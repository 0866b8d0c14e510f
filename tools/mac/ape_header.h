// The descriptor and header at the start of a file, as bytes.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "ape_format.h"

namespace ape {

struct FileHeader {
  AudioFormat format;
  int level = 2000;
  std::uint32_t blocksPerFrame = 0;
  std::uint32_t finalFrameBlocks = 0;
  std::uint32_t totalFrames = 0;
  std::uint32_t seekTableBytes = 0;
  std::uint64_t frameDataBytes = 0;
  std::array<std::uint8_t, 16> md5 = {};
};

// The 24-byte header alone: what the MD5 covers after the frame data.
std::vector<std::uint8_t> HeaderBytes(const FileHeader& h);
// Descriptor and header: everything ahead of the seek table.
std::vector<std::uint8_t> DescriptorAndHeaderBytes(const FileHeader& h);

constexpr std::uint32_t kSeekTableOffset = kDescriptorBytes + kHeaderBytes;

}  // namespace ape
