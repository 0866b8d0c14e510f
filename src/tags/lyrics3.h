// The Lyrics3 version 2 block: "LYRICSBEGIN", fields of a 3-letter name, a
// 5-digit length and the value, then a trailer of the block size in 6 digits
// and "LYRICS200". Values are the ISO-8859-1 bytes as the file holds them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "tags/toolkit/byte_source.h"

namespace tags {

inline constexpr std::size_t kLyrics3BeginSize = 11;          // "LYRICSBEGIN"
inline constexpr std::size_t kLyrics3MaxValue = 99999;        // 5 digits
inline constexpr std::size_t kLyrics3MaxBlock = 999999;       // 6 digits

struct Lyrics3Field {
  std::string name;   // 3 letters
  std::string value;  // ISO-8859-1 bytes
};

// The size of a 15-byte trailer "NNNNNNLYRICS200"; false unless all six
// digits and the marker are there.
bool ParseLyrics3Trailer(const std::uint8_t* trailer, std::uint32_t& size);

// The fields of a block (from "LYRICSBEGIN" up to the trailer). Reading stops
// at a length that is not a number or a field running past the block.
std::vector<Lyrics3Field> ParseLyrics3Fields(const Bytes& block);

// "LYRICSBEGIN", the IND field, the given fields and the trailer. Values are
// cut to what the 5-digit length holds; fields that would take the block past
// what the 6-digit size holds are left out.
Bytes RenderLyrics3Block(const std::vector<Lyrics3Field>& fields, bool hasLyrics);

}  // namespace tags
