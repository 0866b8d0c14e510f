// SHA-256 of a byte string, for stable task ids.
#pragma once

#include <string>
#include <string_view>

namespace schedule {

// The digest as 64 lower-case hex digits.
std::string Sha256Hex(std::string_view data);

}  // namespace schedule
