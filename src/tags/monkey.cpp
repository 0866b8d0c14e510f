#include "tags/monkey.h"


#include "tags/file_reader.h"
#include "tags/toolkit/byte_order.h"

namespace tags {

namespace {

constexpr int kFirstDescriptorVersion = 3980;
constexpr std::uint32_t kDescriptorBytes = 52;
constexpr std::size_t kHeaderBytes = 24;
constexpr std::size_t kOldHeaderBytes = 32;
constexpr std::uint32_t kFlag8Bit = 1;
constexpr std::uint32_t kFlag24Bit = 8;

// Blocks per frame of the old layout, which does not store it.
std::uint32_t OldBlocksPerFrame(int version, int compression) {
  if (version >= 3950) return 73728 * 4;
  if (version >= 3900 || (version >= 3800 && compression == 4000)) return 73728;
  return 9216;
}

}  // namespace

void TMonkey::Reset() {
  valid_ = false;
  version_ = compression_ = channels_ = sampleRate_ = bits_ = bitRate_ = 0;
  flags_ = blocksPerFrame_ = finalFrameBlocks_ = totalFrames_ = 0;
  totalSamples_ = 0;
  duration_ = 0;
}

std::string TMonkey::CompressionName() const {
  switch (compression_) {
    case 1000: return "Fast";
    case 2000: return "Normal";
    case 3000: return "High";
    case 4000: return "Extra High";
    case 5000: return "Insane";
    default: return "Unknown";
  }
}

bool TMonkey::ReadFromFile(const std::string& path) { return ReadFileWith(*this, path); }

bool TMonkey::ReadFromSource(const ByteSource& source) {
  Reset();
  const AudioRange range = LoadFileTags(source, ID3v2, ID3v1, APEtag);
  const Bytes id = source.bytes(range.start, 6);
  if (id.size() != 6 || id[0] != 'M' || id[1] != 'A' || id[2] != 'C' || id[3] != ' ') {
    return false;
  }
  version_ = ReadLE16(&id[4]);
  const bool read = version_ >= kFirstDescriptorVersion ? ReadNewHeader(source, range.start)
                                                        : ReadOldHeader(source, range.start);
  if (!read) {
    Reset();
    return false;
  }
  if (totalFrames_ > 0) {
    totalSamples_ = std::uint64_t(totalFrames_ - 1) * blocksPerFrame_ + finalFrameBlocks_;
  }
  if (bits_ <= 0 || sampleRate_ <= 0 || channels_ <= 0 || totalSamples_ == 0) {
    Reset();
    return false;
  }
  duration_ = double(totalSamples_) / sampleRate_;
  bitRate_ = KbitPerSecond(double(range.size()), duration_);
  valid_ = true;
  return true;
}

bool TMonkey::ReadNewHeader(const ByteSource& source, std::uint64_t start) {
  const Bytes descriptor = source.bytes(start, kDescriptorBytes);
  if (descriptor.size() != kDescriptorBytes) return false;
  // The descriptor states its own size; the header follows it.
  const std::uint32_t descriptorBytes = ReadLE32(&descriptor[8]);
  if (descriptorBytes < kDescriptorBytes) return false;
  const Bytes h = source.bytes(start + descriptorBytes, kHeaderBytes);
  if (h.size() != kHeaderBytes) return false;
  compression_ = ReadLE16(&h[0]);
  flags_ = ReadLE16(&h[2]);
  blocksPerFrame_ = ReadLE32(&h[4]);
  finalFrameBlocks_ = ReadLE32(&h[8]);
  totalFrames_ = ReadLE32(&h[12]);
  bits_ = ReadLE16(&h[16]);
  channels_ = ReadLE16(&h[18]);
  sampleRate_ = int(ReadLE32(&h[20]) & 0x7fffffff);
  return true;
}

bool TMonkey::ReadOldHeader(const ByteSource& source, std::uint64_t start) {
  const Bytes h = source.bytes(start, kOldHeaderBytes);
  if (h.size() != kOldHeaderBytes) return false;
  compression_ = ReadLE16(&h[6]);
  flags_ = ReadLE16(&h[8]);
  channels_ = ReadLE16(&h[10]);
  sampleRate_ = int(ReadLE32(&h[12]) & 0x7fffffff);
  // h[16..23]: sizes of the stored WAV header and of the data after the audio.
  totalFrames_ = ReadLE32(&h[24]);
  finalFrameBlocks_ = ReadLE32(&h[28]);
  blocksPerFrame_ = OldBlocksPerFrame(version_, compression_);
  bits_ = (flags_ & kFlag8Bit) ? 8 : (flags_ & kFlag24Bit) ? 24 : 16;
  return true;
}

}  // namespace tags
