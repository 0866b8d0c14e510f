// The text encodings of ID3v2 frames: 0 ISO-8859-1, 1 UTF-16 with byte-order
// mark, 2 UTF-16BE (2.4), 3 UTF-8 (2.4). Texts are UTF-8 inside the program.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "tags/toolkit/byte_source.h"

namespace tags::id3 {

inline bool IsTextEncoding(std::uint8_t enc) { return enc <= 3; }

struct DecodedString {
  std::string text;        // UTF-8
  std::size_t consumed = 0;  // bytes read, terminator included when there was one
  bool terminated = false;
};

// One string in encoding enc from the n bytes at data, up to its terminator
// (one NUL byte, or a NUL unit at an even offset for UTF-16) or the end.
DecodedString DecodeString(std::uint8_t enc, const std::uint8_t* data, std::size_t n);

// The encoding a 2.3 frame gets for text: 0 when it fits ISO-8859-1, else 1.
std::uint8_t EncodingFor(std::string_view utf8);

// Appends text in encoding 0 or 1 (with the BOM FF FE), then a terminator
// when terminate is set.
void AppendEncoded(Bytes& out, std::uint8_t enc, std::string_view utf8, bool terminate);

}  // namespace tags::id3
