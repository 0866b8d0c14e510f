// ID3v2 tag at the start of a file: reads versions 2.2, 2.3 and 2.4, writes
// 2.3. Frames the object has no field for are kept and written back.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "tags/toolkit/byte_source.h"

namespace tags {

// Bytes an ID3v2 tag at the start of source occupies (header and footer
// included), 0 when there is none or it claims more than the source holds.
std::uint32_t ID3v2TagSize(const ByteSource& source);

class TID3v2 {
 public:
  TID3v2() { ResetData(); }
  void ResetData();

  bool Exists = false;
  std::uint8_t VersionID = 0;  // major version of the tag read
  std::uint32_t Size = 0;      // bytes the tag occupies, header and footer included
  std::uint16_t Track = 0;

  // Every setter trims spaces on both sides.
  std::string Title, Artist, Album, TrackString, Year, Genre, Comment, Composer, Encoder,
      Copyright, Language, Link, AudioSize, OrigArtist;
  void SetTitle(std::string_view v);
  void SetArtist(std::string_view v);
  void SetAlbum(std::string_view v);
  void SetTrack(std::uint16_t v);
  void SetYear(std::string_view v);
  void SetGenre(std::string_view v);
  void SetComment(std::string_view v);
  void SetComposer(std::string_view v);
  void SetEncoder(std::string_view v);
  void SetCopyright(std::string_view v);
  void SetLanguage(std::string_view v);
  void SetLink(std::string_view v);

  bool LoadTags(const std::string& path);
  bool LoadTags(const ByteSource& source);
  // Writes the tag in place when it fits the old one (at most 4096 bytes),
  // otherwise rewrites the file with a new tag padded to 4096 bytes.
  bool SaveTags(const std::string& path);

  // The tag as SaveTags writes it, padded to totalSize when that is larger
  // than what the frames need.
  Bytes Render(std::uint32_t totalSize) const;

  // Frames of the tag read that have no field here (pictures, TXXX, ...),
  // in 2.3 form, kept for the next save.
  struct RawFrame {
    std::string id;  // four characters
    std::uint16_t flags = 0;
    Bytes content;
  };
  std::vector<RawFrame> OtherFrames;
};

}  // namespace tags
