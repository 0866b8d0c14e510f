// Vorbis comments of FLAC files: the VORBIS_COMMENT metadata block, written in
// place when it fits the old block and the padding beside it, otherwise by
// rewriting the metadata with fresh padding. Other blocks stay byte for byte.
#pragma once

#include <cstdint>
#include <string>

#include "tags/toolkit/byte_source.h"
#include "tags/vorbis_comment.h"

namespace tags {

// Title, Artist, Album, Date, Genre, Comment, Vendor and Track come from
// CommentFields.
class TFlacTags : public CommentFields {
 public:
  // True when the file starts (after an optional ID3v2 tag) with "fLaC" and a
  // STREAMINFO block; the fields are empty when it has no comment block.
  bool LoadFile(const std::string& path);
  bool LoadFile(const ByteSource& source);
  // Writes the fields, keeping every other comment item; false, with the file
  // unchanged, on failure.
  bool SaveTags(const std::string& path);

  bool Valid() const { return valid_; }
  int Channels() const { return channels_; }
  int SampleRate() const { return sampleRate_; }
  double Duration() const { return sampleRate_ > 0 ? double(samples_) / sampleRate_ : 0.0; }

 private:
  bool valid_ = false;
  int channels_ = 0;
  int sampleRate_ = 0;
  std::uint64_t samples_ = 0;
};

}  // namespace tags
