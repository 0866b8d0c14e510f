// The ID3v1 genre list with the Winamp extensions: 148 names, 0 "Blues" to
// 147 "Synthpop". ID3v1 stores an index into it; the tag editor offers it.
#pragma once

#include <cstddef>
#include <string_view>

namespace tags {

inline constexpr std::size_t kGenreCount = 148;

// The name at index, nullptr from kGenreCount on.
const char* GenreName(std::size_t index);
// The index of name, compared case-insensitively; -1 when it is not listed.
int GenreIndexOf(std::string_view name);

}  // namespace tags
