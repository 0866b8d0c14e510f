// APE tag (version 1000 or 2000) at the end of a file, in front of an ID3v1
// tag when there is one. Items the object has no field for are kept.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "tags/toolkit/byte_source.h"

namespace tags {

class TAPEtag {
 public:
  TAPEtag() { ResetData(); }
  void ResetData();

  bool Exists = false;
  std::uint32_t Version = 0;
  std::uint32_t Size = 0;  // items + footer, as the footer says
  std::uint8_t Track = 0;
  // Every setter trims spaces on both sides.
  std::string Title, Artist, Album, Year, Genre, Comment, Copyright;
  void SetTitle(std::string_view v);
  void SetArtist(std::string_view v);
  void SetAlbum(std::string_view v);
  void SetTrack(std::uint8_t v);
  void SetYear(std::string_view v);
  void SetGenre(std::string_view v);
  void SetComment(std::string_view v);
  void SetCopyright(std::string_view v);

  bool LoadTags(const std::string& path);
  bool LoadTags(const ByteSource& source);
  // Removes the APE tag; a Lyrics3 block and an ID3v1 tag stay.
  bool StripTags(const std::string& path);
  // Writes this tag in place of the old one: after a Lyrics3 block and in
  // front of an ID3v1 tag, both kept as they are.
  bool SaveTags(const std::string& path);

  // Items and footer as SaveTags writes them.
  Bytes Render() const;

  // Items with keys the object has no field for (binary ones included), kept
  // for the next save.
  struct RawItem {
    std::string key;
    std::uint32_t flags = 0;
    Bytes value;
  };
  std::vector<RawItem> OtherItems;

 private:
  // The Track item as read ("5/12"), written back while Track still matches it.
  std::string trackText_;
};

}  // namespace tags
