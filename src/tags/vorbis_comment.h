// The body of a Vorbis comment header, shared by Ogg Vorbis (between the
// "\x03vorbis" prefix and the framing byte) and FLAC (a VORBIS_COMMENT block):
// a vendor text and a list of "NAME=value" items, all lengths 32-bit
// little-endian. Items are kept as raw bytes in their order, so a save changes
// only the items the editor has fields for.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "tags/toolkit/byte_source.h"

namespace tags {

struct VorbisComment {
  std::string vendor;              // raw bytes as stored
  std::vector<std::string> items;  // raw "NAME=value" bytes as stored
  bool complete = false;           // false when the data ended before the last item

  // Reads the body from data; every length is checked against what is left,
  // and reading stops at the first item that does not fit. Returns the number
  // of bytes read, 0 when not even the vendor text is there.
  std::size_t Parse(const std::uint8_t* data, std::size_t n);
  Bytes Render() const;

  // Index of the first item whose name (before '=', compared ignoring ASCII
  // case) is name, or -1.
  int Find(std::string_view name) const;
  // The value of that item as UTF-8, trimmed; empty when there is none.
  std::string Value(std::string_view name) const;
  // Nothing changes when the field reads as value already. Otherwise the
  // first item of name gets value (appended when missing); an empty value
  // removes every item of name, so that the field then reads empty.
  void Set(std::string_view name, std::string_view value);
};

// The fields the tag editor shows, as both Ogg Vorbis and FLAC read and write
// them.
struct CommentFields {
  std::string Title, Artist, Album, Date, Genre, Comment, Vendor;
  std::uint8_t Track = 0;

  void Read(const VorbisComment& vc);
  // Stores the fields (trimmed) into vc, keeping every other item.
  void Apply(VorbisComment& vc) const;
};

}  // namespace tags
