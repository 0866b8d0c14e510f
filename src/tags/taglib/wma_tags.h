// WMA (ASF) attributes in one record: short texts of at most 255 bytes, two
// long texts, two flags. Read and written through TagLib; a write changes only
// the attributes whose value differs from what was read, so everything else in
// the file (pictures, other attributes, their types) stays as it was.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace tags {

// A length byte and up to 255 bytes of UTF-8, cut on a character boundary.
struct ShortString {
  std::uint8_t length = 0;
  std::array<char, 255> chars{};

  std::string str() const { return std::string(chars.data(), length); }
  void set(std::string_view utf8);
  bool operator==(const ShortString& o) const { return str() == o.str(); }
};
static_assert(sizeof(ShortString) == 256);

struct TTagsData {
  ShortString EncodedBy;   // WM/EncodedBy
  ShortString SdkVersion;  // WMFSDKVersion, read only
  ShortString Genre;       // WM/Genre (read also from WM/GenreID)
  ShortString Artist;      // Author
  ShortString Title;       // Title
  ShortString Album;       // WM/AlbumTitle
  ShortString Composer;    // WM/Composer
  ShortString Link;        // WM/URL
  ShortString Track;       // WM/TrackNumber
  ShortString Year;        // WM/Year
  ShortString Copyright;   // Copyright
  std::string Description; // Description
  std::string Lyrics;      // WM/Lyrics
  bool IsVbr = false;      // IsVBR, read only
  bool IsProtected = false;  // Is_Protected, read only
};

// Fills record from the file's attributes; false when it is not an ASF file
// TagLib can read. The file is remembered for WriteWmaTags.
bool ReadWmaTags(const std::string& path, TTagsData& record);
// Writes the record into the file last read: an attribute whose value was
// changed is modified, added, or deleted when emptied. A short text the
// caller left as read keeps the file's own whole value. False when nothing
// was read before or the file could not be written; the file is then as it was.
bool WriteWmaTags(const TTagsData& record);

}  // namespace tags
