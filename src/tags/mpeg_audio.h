// MPEG audio files (layers 1 to 3; MP3): stream facts from the first frame
// header and a Xing/Info or VBRI header, plus the ID3v2, ID3v1 and APE tags.
#pragma once

#include <cstdint>
#include <string>

#include "tags/ape_tag.h"
#include "tags/file_reader.h"
#include "tags/id3v1.h"
#include "tags/id3v2.h"
#include "tags/toolkit/byte_source.h"

namespace tags {

enum class MpegVersion { Unknown, Mpeg1, Mpeg2, Mpeg25 };
enum class MpegChannelMode { Stereo, JointStereo, DualChannel, Mono };

// One decoded 4-byte frame header.
struct MpegFrameHeader {
  MpegVersion version = MpegVersion::Unknown;
  int layer = 0;        // 1, 2 or 3
  int bitRate = 0;      // kbit/s
  int sampleRate = 0;   // Hz
  bool padding = false;
  bool crc = false;
  MpegChannelMode channelMode = MpegChannelMode::Stereo;

  // Decodes h[0..3]; false for anything that is not a usable header (free
  // format and reserved values included).
  bool Parse(const std::uint8_t* h);
  int FrameLength() const;      // bytes, header included
  int SamplesPerFrame() const;
  int Channels() const { return channelMode == MpegChannelMode::Mono ? 1 : 2; }
  // Same stream: version, layer and sample rate agree.
  bool SameStream(const MpegFrameHeader& other) const;
};

class TMPEGaudio : public TTaggedAudio {
 public:
  bool ReadFromFile(const std::string& path);
  bool ReadFromSource(const ByteSource& source);

  int Channels() const { return valid_ ? frame_.Channels() : 0; }
  int SampleRate() const { return valid_ ? frame_.sampleRate : 0; }
  // BitRate: the average over the file for VBR, the frame's rate otherwise.
  MpegVersion Version() const { return frame_.version; }
  int Layer() const { return frame_.layer; }
  MpegChannelMode ChannelMode() const { return frame_.channelMode; }
  bool VBR() const { return vbr_; }
  // Frame count of the Xing/Info or VBRI header, 0 without one.
  std::uint32_t VBRFrames() const { return vbrFrames_; }
  // "Xing", "Info", "VBRI" or empty.
  const std::string& VBRHeader() const { return vbrHeader_; }
  std::uint64_t FramePosition() const { return framePosition_; }
  std::uint64_t AudioSize() const { return audioSize_; }

 private:
  void Reset();
  void ReadVbrHeader(const ByteSource& source);

  MpegFrameHeader frame_;
  std::uint64_t framePosition_ = 0;
  std::uint64_t audioSize_ = 0;
  bool vbr_ = false;
  std::uint32_t vbrFrames_ = 0;
  std::uint32_t vbrBytes_ = 0;
  std::string vbrHeader_;
};

}  // namespace tags
