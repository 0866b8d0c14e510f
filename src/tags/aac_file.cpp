#include "tags/aac_file.h"

#include <algorithm>
#include <cmath>

#include "tags/file_reader.h"

namespace tags {

namespace {

constexpr int kSampleRates[13] = {96000, 88200, 64000, 48000, 44100, 32000, 24000,
                                  22050, 16000, 12000, 11025, 8000,  7350};
constexpr std::size_t kAdtsHeaderBytes = 7;
constexpr int kSamplesPerRawBlock = 1024;
// An ADIF header with one program configuration fits easily.
constexpr std::size_t kAdifHeaderBytes = 256;
// ADTS frames are read through a buffer of this size (a frame is < 8 KiB).
constexpr std::size_t kWalkBuffer = 64 * 1024;

// Most significant bit first; reads past the end give zeros and set failed.
class BitReader {
 public:
  explicit BitReader(const Bytes& data) : data_(data) {}
  std::uint32_t Read(int bits) {
    std::uint32_t v = 0;
    for (int i = 0; i < bits; ++i) {
      std::uint32_t bit = 0;
      if (pos_ / 8 < data_.size()) {
        bit = (data_[pos_ / 8] >> (7 - pos_ % 8)) & 1;
      } else {
        failed = true;
      }
      v = v << 1 | bit;
      ++pos_;
    }
    return v;
  }
  bool failed = false;

 private:
  const Bytes& data_;
  std::size_t pos_ = 0;
};

// The fields of one ADTS header the walk needs.
struct AdtsHeader {
  int version = 0;
  int profile = 0;
  int rateIndex = 0;
  int channelConfig = 0;
  std::uint32_t frameLength = 0;
  int rawBlocks = 0;
  bool vbr = false;

  bool Parse(const std::uint8_t* h) {
    if (h[0] != 0xFF || (h[1] & 0xF6) != 0xF0) return false;  // sync, layer 0
    version = (h[1] & 0x08) ? 2 : 4;
    profile = h[2] >> 6;
    rateIndex = (h[2] >> 2) & 0x0F;
    channelConfig = (h[2] & 1) << 2 | h[3] >> 6;
    frameLength = std::uint32_t(h[3] & 3) << 11 | std::uint32_t(h[4]) << 3 | h[5] >> 5;
    vbr = ((h[5] & 0x1F) << 6 | h[6] >> 2) == 0x7FF;
    rawBlocks = (h[6] & 3) + 1;
    return rateIndex < 13 && frameLength >= kAdtsHeaderBytes;
  }
};

}  // namespace

void TAACfile::Reset() {
  valid_ = false;
  headerType_ = AacHeaderType::Unknown;
  profile_ = AacProfile::Unknown;
  mpegVersion_ = channels_ = sampleRate_ = bitRate_ = 0;
  duration_ = 0;
  vbr_ = false;
  frames_ = 0;
}

bool TAACfile::ReadFromFile(const std::string& path) { return ReadFileWith(*this, path); }

bool TAACfile::ReadFromSource(const ByteSource& source) {
  Reset();
  const AudioRange range = LoadFileTags(source, ID3v2, ID3v1, APEtag);
  const Bytes start = source.bytes(range.start, 4);
  if (start.size() != 4 || range.size() < 4) return false;
  bool read = false;
  if (std::equal(start.begin(), start.end(), "ADIF")) {
    read = ReadADIF(source, range.start, range.size());
  } else if (start[0] == 0xFF && (start[1] & 0xF6) == 0xF0) {
    read = ReadADTS(source, range.start, range.end);
  }
  valid_ = read && channels_ > 0 && sampleRate_ > 0 && bitRate_ > 0;
  if (!valid_) Reset();
  return valid_;
}

bool TAACfile::ReadADIF(const ByteSource& source, std::uint64_t start,
                        std::uint64_t audioBytes) {
  headerType_ = AacHeaderType::ADIF;
  const Bytes header =
      source.bytes(start, std::size_t(std::min<std::uint64_t>(kAdifHeaderBytes, audioBytes)));
  BitReader bits(header);
  bits.Read(32);  // "ADIF"
  if (bits.Read(1)) {  // copyright id present
    bits.Read(32);
    bits.Read(32);
    bits.Read(8);
  }
  bits.Read(2);  // original/copy, home
  const bool constantRate = bits.Read(1) == 0;
  vbr_ = !constantRate;
  const std::uint32_t bitsPerSecond = bits.Read(23);
  bits.Read(4);  // number of program configurations - 1; the first one is used
  if (constantRate) bits.Read(20);  // buffer fullness
  // Program configuration.
  bits.Read(4);  // element instance tag
  profile_ = static_cast<AacProfile>(1 + bits.Read(2));
  const std::uint32_t rateIndex = bits.Read(4);
  const std::uint32_t front = bits.Read(4), side = bits.Read(4), back = bits.Read(4);
  const std::uint32_t lfe = bits.Read(2);
  bits.Read(3);  // associated data elements
  bits.Read(4);  // coupling channel elements
  if (bits.Read(1)) bits.Read(4);  // mono mixdown
  if (bits.Read(1)) bits.Read(4);  // stereo mixdown
  if (bits.Read(1)) bits.Read(3);  // matrix mixdown
  int channels = int(lfe);
  for (std::uint32_t i = 0; i < front + side + back; ++i) {
    channels += bits.Read(1) ? 2 : 1;  // channel pair or single channel
    bits.Read(4);
  }
  if (bits.failed || rateIndex >= 13) return false;
  channels_ = channels;
  sampleRate_ = kSampleRates[rateIndex];
  bitRate_ = int(std::lround(bitsPerSecond / 1000.0));
  if (bitsPerSecond > 0) duration_ = double(audioBytes) * 8 / bitsPerSecond;
  return true;
}

bool TAACfile::ReadADTS(const ByteSource& source, std::uint64_t start, std::uint64_t end) {
  headerType_ = AacHeaderType::ADTS;
  Bytes buffer;
  std::uint64_t bufferStart = 0;
  AdtsHeader first;
  std::uint64_t samples = 0, bytes = 0;
  // Every frame moves on by at least its header, so the walk ends at the end
  // of the data or at the first thing that is not a frame of this stream.
  for (std::uint64_t pos = start; pos + kAdtsHeaderBytes <= end;) {
    if (pos < bufferStart || pos + kAdtsHeaderBytes > bufferStart + buffer.size()) {
      bufferStart = pos;
      buffer = source.bytes(pos, std::size_t(std::min<std::uint64_t>(kWalkBuffer, end - pos)));
      if (buffer.size() < kAdtsHeaderBytes) break;
    }
    AdtsHeader h;
    if (!h.Parse(&buffer[std::size_t(pos - bufferStart)])) break;
    if (frames_ == 0) {
      first = h;
    } else if (h.rateIndex != first.rateIndex || h.version != first.version) {
      break;
    }
    ++frames_;
    samples += std::uint64_t(h.rawBlocks) * kSamplesPerRawBlock;
    bytes += std::min<std::uint64_t>(h.frameLength, end - pos);
    pos += h.frameLength;
  }
  if (frames_ == 0) return false;
  mpegVersion_ = first.version;
  profile_ = static_cast<AacProfile>(1 + first.profile);
  vbr_ = first.vbr;
  channels_ = first.channelConfig == 7 ? 8 : first.channelConfig;
  sampleRate_ = kSampleRates[first.rateIndex];
  duration_ = double(samples) / sampleRate_;
  bitRate_ = KbitPerSecond(double(bytes), duration_);
  return true;
}

}  // namespace tags
