// A Monkey's Audio file (version 3990) written while the samples arrive:
// the descriptor, the header and a reserved seek table first, then each
// frame as soon as it is complete. After every frame the header and the
// seek table describe the frames on disk, so a writer that is killed leaves
// a file that decodes up to its last whole frame. finish() encodes the
// partial last frame and completes the seek table and the MD5.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "ape_format.h"
#include "ape_header.h"
#include "frame_encoder.h"

struct AVMD5;

namespace ape {

class FileWriter {
 public:
  // Creates (or truncates) path. expectedBlocks sizes the seek table; 0
  // means unknown, and room for a day is reserved. A longer input still ends
  // in a complete file: finish() then rewrites it with a larger table (and a
  // short one with a smaller table). Null with a message on a bad format or level, or an I/O error.
  static std::unique_ptr<FileWriter> Create(const std::string& path, const AudioFormat& format, int level,
                                            std::uint64_t expectedBlocks, std::string& error);
  ~FileWriter();
  FileWriter(const FileWriter&) = delete;
  FileWriter& operator=(const FileWriter&) = delete;

  // Interleaved samples, each the signed value of bitsPerSample bits.
  bool write(const std::int32_t* samples, std::size_t blocks, std::string& error);
  bool finish(std::string& error);

  std::uint64_t blocksWritten() const { return totalBlocks_; }

 private:
  FileWriter(const std::string& path, const AudioFormat& format, const LevelSettings& settings, int fd,
             std::uint32_t seekEntries);
  bool writeFrame(const std::int32_t* samples, std::uint32_t blocks, std::string& error);
  // The header as far as the seek table on disk reaches.
  FileHeader describedHeader() const;
  bool writeAt(int fd, const void* data, std::size_t size, std::uint64_t offset, std::string& error) const;
  // Writes the file anew with a seek table of exactly the frames written.
  bool rewriteWithExactSeekTable(std::string& error);
  std::uint64_t firstFrameOffset() const { return kSeekTableOffset + std::uint64_t{reservedEntries_} * 4; }

  std::string path_;
  AudioFormat format_;
  const LevelSettings& settings_;
  int fd_;
  FrameEncoder encoder_;
  std::vector<std::int32_t> pending_;          // samples of the frame being filled
  std::vector<std::uint64_t> frameOffsets_;    // from the first frame
  std::uint32_t reservedEntries_;
  std::uint64_t totalBlocks_ = 0;
  std::uint32_t lastFrameBlocks_ = 0;
  std::uint64_t frameDataBytes_ = 0;
  AVMD5* md5_ = nullptr;                       // over the frame data so far
  bool finished_ = false;
};

}  // namespace ape
