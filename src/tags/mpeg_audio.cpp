#include "tags/mpeg_audio.h"

#include <algorithm>
#include <cstring>

#include "tags/file_reader.h"
#include "tags/toolkit/byte_order.h"

namespace tags {

namespace {

// kbit/s by bit-rate index 1..14.
constexpr int kRatesV1[3][14] = {
    {32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448},  // layer 1
    {32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384},     // layer 2
    {32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320},      // layer 3
};
constexpr int kRatesV2[2][14] = {
    {32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256},  // layer 1
    {8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160},       // layers 2 and 3
};
constexpr int kSampleRatesV1[3] = {44100, 48000, 32000};

// The search reads the data in blocks; each read also covers the longest
// possible frame after the block, so the next header can be checked in memory.
constexpr std::uint64_t kSearchBlock = 3458;
constexpr std::uint64_t kLongestFrame = 2881;

}  // namespace

bool MpegFrameHeader::Parse(const std::uint8_t* h) {
  if (h[0] != 0xFF || (h[1] & 0xE0) != 0xE0) return false;
  switch ((h[1] >> 3) & 3) {
    case 0: version = MpegVersion::Mpeg25; break;
    case 2: version = MpegVersion::Mpeg2; break;
    case 3: version = MpegVersion::Mpeg1; break;
    default: return false;
  }
  const int layerBits = (h[1] >> 1) & 3;
  if (layerBits == 0) return false;
  layer = 4 - layerBits;
  crc = (h[1] & 1) == 0;
  const int rateIndex = h[2] >> 4;
  const int freqIndex = (h[2] >> 2) & 3;
  if (rateIndex == 0 || rateIndex == 15 || freqIndex == 3) return false;
  if ((h[3] & 3) == 2) return false;  // reserved emphasis
  if (version == MpegVersion::Mpeg1) {
    bitRate = kRatesV1[layer - 1][rateIndex - 1];
    sampleRate = kSampleRatesV1[freqIndex];
  } else {
    bitRate = kRatesV2[layer == 1 ? 0 : 1][rateIndex - 1];
    sampleRate = kSampleRatesV1[freqIndex] / (version == MpegVersion::Mpeg2 ? 2 : 4);
  }
  padding = (h[2] & 2) != 0;
  channelMode = static_cast<MpegChannelMode>(h[3] >> 6);
  return true;
}

int MpegFrameHeader::SamplesPerFrame() const {
  if (layer == 1) return 384;
  if (layer == 3 && version != MpegVersion::Mpeg1) return 576;
  return 1152;
}

int MpegFrameHeader::FrameLength() const {
  if (sampleRate <= 0) return 0;
  if (layer == 1) return (12 * bitRate * 1000 / sampleRate + (padding ? 1 : 0)) * 4;
  return SamplesPerFrame() / 8 * bitRate * 1000 / sampleRate + (padding ? 1 : 0);
}

bool MpegFrameHeader::SameStream(const MpegFrameHeader& other) const {
  return version == other.version && layer == other.layer && sampleRate == other.sampleRate;
}

void TMPEGaudio::Reset() {
  valid_ = false;
  frame_ = MpegFrameHeader{};
  framePosition_ = 0;
  audioSize_ = 0;
  duration_ = 0;
  bitRate_ = 0;
  vbr_ = false;
  vbrFrames_ = 0;
  vbrBytes_ = 0;
  vbrHeader_.clear();
}

bool TMPEGaudio::ReadFromFile(const std::string& path) { return ReadFileWith(*this, path); }

bool TMPEGaudio::ReadFromSource(const ByteSource& source) {
  Reset();
  const AudioRange range = LoadFileTags(source, ID3v2, ID3v1, APEtag);

  bool found = false;
  for (std::uint64_t pos = range.start; pos < range.end && !found; pos += kSearchBlock) {
    const std::uint64_t window = std::min(kSearchBlock + kLongestFrame + 4, range.end - pos);
    const Bytes buf = source.bytes(pos, std::size_t(window));
    if (buf.size() != window) break;
    const std::size_t candidates = std::size_t(std::min(kSearchBlock, window));
    for (std::size_t i = 0; i < candidates && i + 4 <= buf.size(); ++i) {
      MpegFrameHeader h;
      if (buf[i] != 0xFF || !h.Parse(&buf[i])) continue;
      const std::uint64_t next = i + std::uint64_t(h.FrameLength());
      // A header with a following frame is confirmed by that frame's header;
      // a frame reaching the end of the data stands alone.
      if (pos + next + 4 <= range.end) {
        MpegFrameHeader n;
        if (next + 4 > buf.size() || !n.Parse(&buf[next]) || !n.SameStream(h)) continue;
      }
      frame_ = h;
      framePosition_ = pos + i;
      found = true;
      break;
    }
  }
  if (!found) return false;

  audioSize_ = range.end - framePosition_;
  ReadVbrHeader(source);
  const double rate = frame_.sampleRate;
  if (vbrFrames_ > 0) {
    duration_ = double(vbrFrames_) * frame_.SamplesPerFrame() / rate;
    const double bytes = vbrBytes_ > 0 ? double(vbrBytes_) : double(audioSize_);
    bitRate_ = vbr_ ? KbitPerSecond(bytes, duration_) : frame_.bitRate;
  } else {
    duration_ = double(audioSize_) * 8 / (frame_.bitRate * 1000.0);
    bitRate_ = frame_.bitRate;
  }
  valid_ = frame_.bitRate >= 8 && frame_.bitRate <= 448 && duration_ >= 0.1;
  if (!valid_) Reset();
  return valid_;
}

void TMPEGaudio::ReadVbrHeader(const ByteSource& source) {
  // Xing/Info sits right after the side information of a layer 3 frame.
  int sideInfo = 0;
  if (frame_.version == MpegVersion::Mpeg1) {
    sideInfo = frame_.channelMode == MpegChannelMode::Mono ? 17 : 32;
  } else {
    sideInfo = frame_.channelMode == MpegChannelMode::Mono ? 9 : 17;
  }
  const Bytes xing = source.bytes(framePosition_ + 4 + std::uint64_t(sideInfo), 16);
  if (frame_.layer == 3 && xing.size() == 16 &&
      (std::memcmp(xing.data(), "Xing", 4) == 0 || std::memcmp(xing.data(), "Info", 4) == 0)) {
    vbrHeader_.assign(xing.begin(), xing.begin() + 4);
    vbr_ = vbrHeader_ == "Xing";
    const std::uint32_t flags = ReadBE32(&xing[4]);
    std::size_t at = 8;
    if (flags & 1) {
      vbrFrames_ = ReadBE32(&xing[at]);
      at += 4;
    }
    if (flags & 2) vbrBytes_ = ReadBE32(&xing[at]);
    return;
  }
  // VBRI stands 32 bytes after the header: version, delay, quality, bytes, frames.
  const Bytes vbri = source.bytes(framePosition_ + 36, 18);
  if (vbri.size() == 18 && std::memcmp(vbri.data(), "VBRI", 4) == 0) {
    vbrHeader_ = "VBRI";
    vbr_ = true;
    vbrBytes_ = ReadBE32(&vbri[10]);
    vbrFrames_ = ReadBE32(&vbri[14]);
  }
}

}  // namespace tags
