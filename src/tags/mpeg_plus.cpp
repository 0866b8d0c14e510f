#include "tags/mpeg_plus.h"

#include <algorithm>
#include <cstring>

#include "tags/file_reader.h"
#include "tags/toolkit/byte_order.h"

namespace tags {

namespace {

constexpr std::size_t kHeaderBytes = 32;
constexpr int kSampleRates[4] = {44100, 48000, 37800, 32000};
constexpr int kSamplesPerFrame = 1152;
// Version 8: the stream header comes first; a few packets ahead of it are
// tolerated, not a walk through the whole file.
constexpr int kPacketsBeforeStreamHeader = 64;
constexpr std::uint64_t kLongestStreamHeader = 4096;

std::uint32_t Crc32(const std::uint8_t* data, std::size_t n) {
  std::uint32_t crc = 0xFFFFFFFFu;
  for (std::size_t i = 0; i < n; ++i) {
    crc ^= data[i];
    for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1)));
  }
  return ~crc;
}

// A size of seven bits per byte, most significant first, the high bit saying
// another byte follows. False when it runs past n or beyond 64 bits.
bool ReadVarint(const std::uint8_t* data, std::size_t n, std::size_t& at, std::uint64_t& value) {
  value = 0;
  for (int count = 0; count < 9; ++count) {
    if (at >= n) return false;
    const std::uint8_t b = data[at++];
    value = value << 7 | (b & 0x7F);
    if ((b & 0x80) == 0) return true;
  }
  return false;
}

}  // namespace

void TMPEGplus::Reset() {
  valid_ = false;
  streamVersion_ = streamSubversion_ = channels_ = sampleRate_ = bitRate_ = 0;
  profile_ = -1;
  frames_ = 0;
  samples_ = 0;
  duration_ = 0;
}

std::string TMPEGplus::StreamVersionText() const {
  if (streamVersion_ == 0) return {};
  std::string text = std::to_string(streamVersion_);
  if (streamSubversion_ > 0) text += "." + std::to_string(streamSubversion_);
  return text;
}

bool TMPEGplus::ReadFromFile(const std::string& path) { return ReadFileWith(*this, path); }

bool TMPEGplus::ReadFromSource(const ByteSource& source) {
  Reset();
  const AudioRange range = LoadFileTags(source, ID3v2, ID3v1, APEtag);
  if (range.size() == 0) return false;
  bool read = false;
  if (source.startsWith(range.start, "MPCK")) {
    read = ReadVersion8(source, range.start + 4, range.end);
  } else {
    const Bytes header = source.bytes(range.start, kHeaderBytes);
    if (header.size() != kHeaderBytes || range.size() < kHeaderBytes) return false;
    read = std::memcmp(header.data(), "MP+", 3) == 0 ? ReadVersion7(header.data())
                                                      : ReadOldHeader(header.data());
    samples_ = std::uint64_t(frames_) * kSamplesPerFrame;
    if (read && streamVersion_ == 7) {
      // A true gapless stream says how many samples its last frame holds.
      const std::uint32_t word5 = ReadLE32(header.data() + 20);
      const std::uint32_t lastFrame = word5 >> 20 & 0x7FF;
      if ((word5 >> 31) && frames_ > 0 && lastFrame > 0) {
        samples_ = std::uint64_t(frames_ - 1) * kSamplesPerFrame + lastFrame;
      }
    }
  }
  if (!read || samples_ == 0 || sampleRate_ <= 0 || channels_ <= 0) {
    Reset();
    return false;
  }
  duration_ = double(samples_) / sampleRate_;
  bitRate_ = KbitPerSecond(double(range.size()), duration_);
  valid_ = true;
  return true;
}

bool TMPEGplus::ReadVersion7(const std::uint8_t* header) {
  if (header[3] != 0x07 && header[3] != 0x17) return false;
  streamVersion_ = 7;
  streamSubversion_ = header[3] >> 4;
  frames_ = ReadLE32(header + 4);
  const std::uint32_t word2 = ReadLE32(header + 8);
  profile_ = int(word2 >> 20 & 0x0F);
  sampleRate_ = kSampleRates[word2 >> 16 & 3];
  channels_ = 2;
  return true;
}

bool TMPEGplus::ReadOldHeader(const std::uint8_t* header) {
  const std::uint32_t word0 = ReadLE32(header);
  const std::uint32_t word1 = ReadLE32(header + 4);
  const int version = int(word0 >> 11 & 0x3FF);
  const std::uint32_t blockSize = word0 & 0x3F;
  if (version < 4 || version > 6 || blockSize != 1) return false;
  streamVersion_ = version;
  frames_ = version >= 5 ? word1 : word1 >> 16;
  if (version < 6 && frames_ > 0) --frames_;  // their last frame is not usable
  sampleRate_ = 44100;
  channels_ = 2;
  return true;
}

bool TMPEGplus::ReadVersion8(const ByteSource& source, std::uint64_t pos, std::uint64_t end) {
  for (int packet = 0; packet < kPacketsBeforeStreamHeader && pos < end; ++packet) {
    const Bytes head = source.bytes(pos, std::size_t(std::min<std::uint64_t>(11, end - pos)));
    if (head.size() < 3) return false;
    const bool keyOk = head[0] >= 'A' && head[0] <= 'Z' && head[1] >= 'A' && head[1] <= 'Z';
    if (!keyOk) return false;
    std::size_t at = 2;
    std::uint64_t size = 0;
    if (!ReadVarint(head.data(), head.size(), at, size) || size < at || size > end - pos) {
      return false;
    }
    const bool streamHeader = head[0] == 'S' && head[1] == 'H';
    if (!streamHeader) {
      // Audio or the stream's end before a stream header: nothing to read.
      if ((head[0] == 'A' && head[1] == 'P') || (head[0] == 'S' && head[1] == 'E')) return false;
      pos += size;
      continue;
    }
    if (size > kLongestStreamHeader) return false;
    const Bytes body = source.bytes(pos + at, std::size_t(size - at));
    // CRC, version, sample count, leading silence, two bytes of flags.
    if (body.size() != size - at || body.size() < 4 + 1 + 1 + 1 + 2) return false;
    if (ReadBE32(body.data()) != Crc32(body.data() + 4, body.size() - 4)) return false;
    if (body[4] != 8) return false;
    std::size_t b = 5;
    std::uint64_t samples = 0, silence = 0;
    if (!ReadVarint(body.data(), body.size(), b, samples) ||
        !ReadVarint(body.data(), body.size(), b, silence) || b + 2 > body.size()) {
      return false;
    }
    const int rateIndex = body[b] >> 5;
    if (rateIndex >= 4) return false;
    streamVersion_ = 8;
    sampleRate_ = kSampleRates[rateIndex];
    channels_ = (body[b + 1] >> 4) + 1;
    samples_ = silence <= samples ? samples - silence : 0;
    return true;
  }
  return false;
}

}  // namespace tags
