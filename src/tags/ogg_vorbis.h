// Ogg Vorbis files: stream information from the identification header and
// the Vorbis comment, which a save writes back on newly laid-out header pages.
#pragma once

#include <cstdint>
#include <string>

#include "tags/toolkit/byte_source.h"
#include "tags/vorbis_comment.h"

namespace tags {

// Title, Artist, Album, Date, Genre, Comment, Vendor and Track come from
// CommentFields.
class TOggVorbis : public CommentFields {
 public:
  // True when the file is Ogg Vorbis and its comment header was read.
  bool LoadFile(const std::string& path);
  bool LoadFile(const ByteSource& source);
  // Writes the fields into the file's comment header, keeping every other
  // comment item. False, with the file unchanged, when the file is no longer a
  // plain Ogg Vorbis stream or anything fails.
  bool SaveTags(const std::string& path);

  // 1 or 2 channels, a sample rate, more than 0.1 s and a bit rate.
  bool Valid() const;

  std::uint32_t ID3v2Size() const { return id3v2Size_; }
  int Channels() const { return channels_; }
  int SampleRate() const { return sampleRate_; }
  // kbit/s: the nominal rate of the header, else what the file size implies.
  int BitRateNominal() const;
  double Duration() const { return sampleRate_ > 0 ? double(samples_) / sampleRate_ : 0.0; }
  std::uint64_t Samples() const { return samples_; }
  std::uint64_t FileSize() const { return fileSize_; }

 private:
  void Reset();

  std::uint32_t id3v2Size_ = 0;
  int channels_ = 0;
  int sampleRate_ = 0;
  std::int32_t bitRateMax_ = 0, bitRateNominal_ = 0, bitRateMin_ = 0;
  std::uint64_t samples_ = 0;
  std::uint64_t fileSize_ = 0;
};

}  // namespace tags
