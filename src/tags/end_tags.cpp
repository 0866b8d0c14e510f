#include "tags/end_tags.h"

#include <algorithm>

#include "tags/lyrics3.h"
#include "tags/toolkit/byte_order.h"

namespace tags {
namespace {

constexpr std::uint32_t kApeHasHeader = 0x80000000u;

// An APE footer ending at end, with the header in front when the footer
// announces one and it is really there.
bool FindApe(const ByteSource& source, std::uint64_t end, EndTagLayout& layout) {
  if (end < kApeFooterSize) return false;
  const std::uint64_t footer = end - kApeFooterSize;
  const Bytes f = source.bytes(footer, kApeFooterSize);
  if (f.size() != kApeFooterSize || !std::equal(f.begin(), f.begin() + 8, "APETAGEX")) return false;
  const std::uint32_t version = ReadLE32(&f[8]);
  const std::uint32_t tagSize = ReadLE32(&f[12]);
  if ((version != 1000 && version != 2000) || tagSize < kApeFooterSize || tagSize > end) return false;

  layout.hasApe = true;
  layout.apeVersion = version;
  layout.apeTagSize = tagSize;
  layout.apeItemCount = ReadLE32(&f[16]);
  layout.apeFlags = ReadLE32(&f[20]);
  layout.apeItemsOffset = end - tagSize;
  layout.apeOffset = layout.apeItemsOffset;
  if ((layout.apeFlags & kApeHasHeader) && layout.apeItemsOffset >= kApeFooterSize &&
      source.startsWith(layout.apeItemsOffset - kApeFooterSize, "APETAGEX"))
    layout.apeOffset -= kApeFooterSize;
  layout.apeSize = end - layout.apeOffset;
  return true;
}

// A Lyrics3 block whose trailer ends at end and whose "LYRICSBEGIN" stands
// where the trailer's size points.
bool FindLyrics3(const ByteSource& source, std::uint64_t end, EndTagLayout& layout) {
  if (end < kLyrics3TrailerSize) return false;
  const Bytes trailer = source.bytes(end - kLyrics3TrailerSize, kLyrics3TrailerSize);
  std::uint32_t size = 0;
  if (trailer.size() != kLyrics3TrailerSize || !ParseLyrics3Trailer(trailer.data(), size)) return false;
  const std::uint64_t blockEnd = end - kLyrics3TrailerSize;
  if (size < kLyrics3BeginSize || size > blockEnd || !source.startsWith(blockEnd - size, "LYRICSBEGIN"))
    return false;
  layout.hasLyrics3 = true;
  layout.lyrics3SizeValue = size;
  layout.lyrics3Offset = blockEnd - size;
  layout.lyrics3Size = std::uint64_t(size) + kLyrics3TrailerSize;
  return true;
}

}  // namespace

std::uint64_t EndTagLayout::id3v1RegionStart() const {
  std::uint64_t start = fileSize;
  if (hasId3v1) start = std::min(start, id3v1Offset);
  if (hasLyrics3) start = std::min(start, lyrics3Offset);
  return start;
}

bool ReadApeTag(const ByteSource& source, const EndTagLayout& layout, Bytes& out) {
  out.clear();
  if (!layout.hasApe) return true;
  out = source.bytes(layout.apeOffset, std::size_t(layout.apeSize));
  return out.size() == layout.apeSize;
}

bool ReadLyrics3Block(const ByteSource& source, const EndTagLayout& layout, Bytes& out) {
  out.clear();
  if (!layout.hasLyrics3) return true;
  out = source.bytes(layout.lyrics3Offset, std::size_t(layout.lyrics3Size));
  return out.size() == layout.lyrics3Size;
}

EndTagLayout LocateEndTags(const ByteSource& source) {
  EndTagLayout layout;
  layout.fileSize = source.size();
  std::uint64_t end = layout.fileSize;

  // An APE tag that ends the file wins over "TAG" that one of its values
  // happens to hold 128 bytes before the end.
  EndTagLayout apeAtEnd = layout;
  const bool apeEndsFile = FindApe(source, end, apeAtEnd);
  if (!apeEndsFile && end >= kId3v1Size && source.startsWith(end - kId3v1Size, "TAG")) {
    layout.hasId3v1 = true;
    layout.id3v1Offset = end - kId3v1Size;
    end = layout.id3v1Offset;
  }
  for (int pass = 0; pass < 2; ++pass) {
    if (!layout.hasApe && FindApe(source, end, layout)) {
      end = layout.apeOffset;
    } else if (!layout.hasLyrics3 && FindLyrics3(source, end, layout)) {
      end = layout.lyrics3Offset;
    } else {
      break;
    }
  }
  layout.audioEnd = end;
  return layout;
}

}  // namespace tags
