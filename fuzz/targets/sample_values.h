// Texts the writer targets store: plain, beyond ISO-8859-1, and long enough to
// outgrow a tag's padding. The input chooses one, so every kind meets every
// kind of file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace zovedu_fuzz {

// A text for a tag that holds any UTF-8.
std::string SampleText(const std::uint8_t* data, std::size_t size, int field);
// A text that ISO-8859-1 holds, at most maxChars characters.
std::string SampleLatin1Text(const std::uint8_t* data, std::size_t size, int field, std::size_t maxChars);

}  // namespace zovedu_fuzz
