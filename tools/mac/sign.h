#pragma once

#include <cstdint>

namespace ape {

// The format's sign: -1 for positive values, 1 for negative ones, 0 for 0.
// Wider values are taken by their low 32 bits, as the format does.
inline int Sign(std::int32_t x) { return (x < 0) - (x > 0); }

}  // namespace ape
