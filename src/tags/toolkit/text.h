// Tag texts are UTF-8 std::strings inside the program. These convert to and
// from the encodings tag formats store (ISO-8859-1, UTF-16 either byte order)
// and measure or cut text by characters, never inside a UTF-8 sequence.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "tags/toolkit/byte_source.h"

namespace tags {

// ISO-8859-1 bytes to UTF-8.
std::string Latin1ToUtf8(std::string_view latin1);
// UTF-8 to ISO-8859-1; characters outside it become '?'.
std::string Utf8ToLatin1(std::string_view utf8);
// True when every character of the UTF-8 text exists in ISO-8859-1.
bool FitsLatin1(std::string_view utf8);
bool IsAscii(std::string_view text);
// True when text is well-formed UTF-8.
bool IsValidUtf8(std::string_view text);
// Text of unknown origin as UTF-8: kept when it is valid UTF-8, otherwise read
// as ISO-8859-1 (older taggers wrote their code page into UTF-8 fields).
std::string AsUtf8(std::string_view bytes);

// UTF-16 code units to UTF-8; ends at the first 0 unit; unpaired surrogates
// become U+FFFD. A byte-order mark at the start chooses the byte order and is
// dropped; without one, bigEndian says which.
std::string Utf16ToUtf8(const std::uint8_t* data, std::size_t n, bool bigEndian);
// UTF-8 to UTF-16LE code units, without BOM or terminator.
Bytes Utf8ToUtf16LE(std::string_view utf8);

// Number of characters (code points) of UTF-8 text.
std::size_t Utf8Length(std::string_view utf8);
// The first n characters.
std::string Utf8Left(std::string_view utf8, std::size_t n);
// At most maxBytes bytes, ending on a character boundary.
std::string Utf8CutBytes(std::string_view utf8, std::size_t maxBytes);

// Spaces, NULs and other control characters (bytes up to 0x20) go.
std::string TrimRight(std::string_view text);
std::string Trim(std::string_view text);
std::string ToUpperAscii(std::string_view text);

// The leading decimal digits of text as a number, or fallback when text does
// not start with a digit or the number overflows 32 bits.
std::uint32_t LeadingNumber(std::string_view text, std::uint32_t fallback = 0);

}  // namespace tags
