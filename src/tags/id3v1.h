// ID3v1 tag (the last 128 bytes of a file) with the Lyrics3 version 2 block
// that may stand in front of it for long texts and extra fields. Texts are
// UTF-8 inside; the file holds ISO-8859-1.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "tags/toolkit/byte_source.h"

namespace tags {

class TID3v1 {
 public:
  TID3v1() { ResetData(); }
  // Empties every text, Exists false, Version 1, Track 0, GenreID 255, no
  // Lyrics3 block.
  void ResetData();

  bool Exists = false;
  std::uint8_t Version = 1;  // 1 = ID3v1.0, 2 = ID3v1.1 (track number)
  std::uint8_t Track = 0;
  std::uint8_t GenreID = 255;
  bool LyricsExists = false;
  std::int32_t LyricsSize = 0;  // the block's size value, without its 15-byte trailer
  std::string Image;            // Lyrics3 IMG
  std::string Author;           // Lyrics3 AUT
  std::string Lyrics;           // Lyrics3 LYR

  // The long value (the Ext field) when there is one, else the 30-character one.
  std::string Title() const;
  std::string Artist() const;
  std::string Album() const;
  std::string Comment() const;
  std::string Year() const { return year_; }
  // Trailing spaces go; a value of 31 characters or more is also kept whole
  // in the matching Ext field.
  void SetTitle(std::string_view v);
  void SetArtist(std::string_view v);
  void SetAlbum(std::string_view v);
  void SetComment(std::string_view v);
  void SetYear(std::string_view v);  // the first 4 characters, trailing spaces removed
  std::string ExtTitle() const { return extTitle_; }
  std::string ExtArtist() const { return extArtist_; }
  std::string ExtAlbum() const { return extAlbum_; }
  std::string ExtComment() const { return extComment_; }
  // The genre list's name for GenreID, empty above 147.
  std::string Genre() const;
  // Case-insensitive lookup in the genre list; 255 when the name is not there.
  void SetGenre(std::string_view name);

  // Reads the tag (and with fields the values) of a file or of bytes; false
  // when the file cannot be read.
  bool LoadTags(const std::string& path, bool withFields);
  bool LoadTags(const ByteSource& source, bool withFields);
  // Removes the tag and the Lyrics3 block; with rewrite the tag is written
  // again without a block.
  bool StripTags(const std::string& path, bool rewrite);
  // Appends the Lyrics3 block (when allowed and there is something long to
  // keep) and the tag.
  bool WriteTag(const std::string& path, bool withLyricsBlock);
  // Replaces the file's ID3v1 tag and Lyrics3 block by this object's, in one
  // change at the file's end: the block, an APE tag that was there, the tag.
  bool SaveTags(const std::string& path);

  // The 128 bytes of the tag and the Lyrics3 block as they would be written
  // (the block empty when none is due).
  Bytes RenderTag() const;
  Bytes RenderLyricsBlock() const;

 private:
  std::string title_, artist_, album_, year_, comment_;
  std::string extTitle_, extArtist_, extAlbum_, extComment_;
};

}  // namespace tags
