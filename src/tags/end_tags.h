// Where the tags at the end of a file lie: an ID3v1 tag (the last 128 bytes),
// and in front of it, in either order, an APE tag and a Lyrics3 version 2
// block. Only what is verified counts, so that a writer never cuts audio.
#pragma once

#include <cstdint>

#include "tags/toolkit/byte_source.h"

namespace tags {

inline constexpr std::uint64_t kId3v1Size = 128;
inline constexpr std::uint64_t kApeFooterSize = 32;
inline constexpr std::uint64_t kLyrics3TrailerSize = 15;

struct EndTagLayout {
  std::uint64_t fileSize = 0;
  // Where the first end tag starts (fileSize when there is none).
  std::uint64_t audioEnd = 0;

  bool hasId3v1 = false;
  std::uint64_t id3v1Offset = 0;

  bool hasLyrics3 = false;
  std::uint64_t lyrics3Offset = 0;     // at "LYRICSBEGIN"
  std::uint64_t lyrics3Size = 0;       // with the 15-byte trailer
  std::uint32_t lyrics3SizeValue = 0;  // as the trailer says (without the trailer)

  bool hasApe = false;
  std::uint64_t apeOffset = 0;       // the header when there is one, else the first item
  std::uint64_t apeSize = 0;         // header, items and footer
  std::uint64_t apeItemsOffset = 0;  // items run from here to the footer
  std::uint32_t apeVersion = 0;
  std::uint32_t apeTagSize = 0;  // items + footer, as the footer says
  std::uint32_t apeItemCount = 0;
  std::uint32_t apeFlags = 0;

  std::uint64_t apeItemsSize() const { return apeSize - (apeItemsOffset - apeOffset) - kApeFooterSize; }
  // Where the ID3v1 tag and the Lyrics3 block region starts: the earlier of
  // the two, or the file end.
  std::uint64_t id3v1RegionStart() const;
};

EndTagLayout LocateEndTags(const ByteSource& source);

// The bytes of the APE tag and of the Lyrics3 block the layout found, as they
// are (empty when there is none); false when they cannot be read.
bool ReadApeTag(const ByteSource& source, const EndTagLayout& layout, Bytes& out);
bool ReadLyrics3Block(const ByteSource& source, const EndTagLayout& layout, Bytes& out);

}  // namespace tags
