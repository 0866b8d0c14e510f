// Monkey's Audio files (.ape): stream facts from the header (the old layout
// before version 3.98, the descriptor and header from 3.98 on), plus the
// ID3v2, ID3v1 and APE tags.
#pragma once

#include <cstdint>
#include <string>

#include "tags/ape_tag.h"
#include "tags/file_reader.h"
#include "tags/id3v1.h"
#include "tags/id3v2.h"
#include "tags/toolkit/byte_source.h"

namespace tags {

class TMonkey : public TTaggedAudio {
 public:
  bool ReadFromFile(const std::string& path);
  bool ReadFromSource(const ByteSource& source);

  int Channels() const { return channels_; }
  int SampleRate() const { return sampleRate_; }
  int Version() const { return version_; }  // e.g. 3990 for 3.99
  int CompressionLevel() const { return compression_; }  // 1000 (fast) .. 5000 (insane)
  // "Fast", "Normal", "High", "Extra High", "Insane" or "Unknown".
  std::string CompressionName() const;
  int Bits() const { return bits_; }
  std::uint32_t Flags() const { return flags_; }
  std::uint32_t BlocksPerFrame() const { return blocksPerFrame_; }
  std::uint32_t FinalFrameBlocks() const { return finalFrameBlocks_; }
  std::uint32_t TotalFrames() const { return totalFrames_; }
  std::uint64_t TotalSamples() const { return totalSamples_; }  // per channel

 private:
  void Reset();
  bool ReadNewHeader(const ByteSource& source, std::uint64_t start);
  bool ReadOldHeader(const ByteSource& source, std::uint64_t start);

  int version_ = 0;
  int compression_ = 0;
  std::uint32_t flags_ = 0;
  int channels_ = 0;
  int sampleRate_ = 0;
  int bits_ = 0;
  std::uint32_t blocksPerFrame_ = 0;
  std::uint32_t finalFrameBlocks_ = 0;
  std::uint32_t totalFrames_ = 0;
  std::uint64_t totalSamples_ = 0;
};

}  // namespace tags
