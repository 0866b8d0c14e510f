// AAC files with an ADIF header or ADTS frames: stream facts from the header
// (ADTS: an average over the frames), plus the ID3v2, ID3v1 and APE tags.
// An MP4 (.m4a) file is not one of these.
#pragma once

#include <cstdint>
#include <string>

#include "tags/ape_tag.h"
#include "tags/file_reader.h"
#include "tags/id3v1.h"
#include "tags/id3v2.h"
#include "tags/toolkit/byte_source.h"

namespace tags {

enum class AacHeaderType { Unknown, ADIF, ADTS };
enum class AacProfile { Unknown, Main, LC, SSR, LTP };

class TAACfile : public TTaggedAudio {
 public:
  bool ReadFromFile(const std::string& path);
  bool ReadFromSource(const ByteSource& source);

  int Channels() const { return channels_; }
  int SampleRate() const { return sampleRate_; }
  AacHeaderType HeaderType() const { return headerType_; }
  AacProfile Profile() const { return profile_; }
  // 2 or 4 (ADTS: the MPEG-2 or MPEG-4 flag), 0 for ADIF.
  int MpegVersion() const { return mpegVersion_; }
  bool VBR() const { return vbr_; }
  std::uint64_t Frames() const { return frames_; }  // ADTS frames counted

 private:
  void Reset();
  bool ReadADIF(const ByteSource& source, std::uint64_t start, std::uint64_t audioBytes);
  bool ReadADTS(const ByteSource& source, std::uint64_t start, std::uint64_t end);

  AacHeaderType headerType_ = AacHeaderType::Unknown;
  AacProfile profile_ = AacProfile::Unknown;
  int mpegVersion_ = 0;
  int channels_ = 0;
  int sampleRate_ = 0;
  bool vbr_ = false;
  std::uint64_t frames_ = 0;
};

}  // namespace tags
