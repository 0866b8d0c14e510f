// Musepack files (.mpc): stream versions 4 to 6 (old header), 7 and 7.1
// ("MP+") and 8 ("MPCK" with packets), plus the ID3v2, ID3v1 and APE tags.
#pragma once

#include <cstdint>
#include <string>

#include "tags/ape_tag.h"
#include "tags/file_reader.h"
#include "tags/id3v1.h"
#include "tags/id3v2.h"
#include "tags/toolkit/byte_source.h"

namespace tags {

class TMPEGplus : public TTaggedAudio {
 public:
  bool ReadFromFile(const std::string& path);
  bool ReadFromSource(const ByteSource& source);

  int Channels() const { return channels_; }
  int SampleRate() const { return sampleRate_; }
  // 4 .. 8; StreamSubversion() is 1 for 7.1.
  int StreamVersion() const { return streamVersion_; }
  int StreamSubversion() const { return streamSubversion_; }
  std::string StreamVersionText() const;  // "7.1", "8", ...
  std::uint32_t Frames() const { return frames_; }  // versions 4 to 7
  std::uint64_t Samples() const { return samples_; }  // per channel
  int Profile() const { return profile_; }  // version 7 quality profile, -1 unknown

 private:
  void Reset();
  bool ReadOldHeader(const std::uint8_t* header);
  bool ReadVersion7(const std::uint8_t* header);
  bool ReadVersion8(const ByteSource& source, std::uint64_t start, std::uint64_t end);

  int streamVersion_ = 0;
  int streamSubversion_ = 0;
  int channels_ = 0;
  int sampleRate_ = 0;
  int profile_ = -1;
  std::uint32_t frames_ = 0;
  std::uint64_t samples_ = 0;
};

}  // namespace tags
