// Our texts are UTF-8 std::strings; TagLib keeps its own string type.
#pragma once

#include <taglib/tstring.h>

#include <string>

namespace tags {

inline TagLib::String ToTagLib(const std::string& utf8) { return TagLib::String(utf8, TagLib::String::UTF8); }
inline std::string FromTagLib(const TagLib::String& s) { return s.to8Bit(true); }

}  // namespace tags
