// Everything an ASF file says about itself, its attributes included, is in the
// header object at its start; the audio packets and the index follow. A tag
// change therefore rewrites only the header: the new header is built in
// memory and the rest of the file is copied behind it into a new file.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "tags/toolkit/byte_source.h"

namespace tags {

// The header object of the ASF file at path; nothing when the file does not
// start with one that fits in the file.
std::optional<Bytes> LoadAsfHeader(const std::string& path);

// Replaces the first oldHeaderSize bytes of the file by newHeader, through a
// complete new copy checked by verify(tempPath) before it takes the file's
// place. The header's file-size field follows the new size when it was right.
bool ReplaceAsfHeader(const std::string& path, std::uint64_t oldHeaderSize, Bytes newHeader,
                      const std::function<bool(const std::string& tempPath)>& verify);

}  // namespace tags
