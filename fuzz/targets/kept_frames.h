// Compares the ID3v2 frames a tag keeps without a field for them.
#pragma once

#include "tags/id3v2.h"

namespace zovedu_fuzz {

// True when both keep the same frames (id, flags, content) in the same order.
// A frame without content carries nothing and may go.
bool SameKeptFrames(const tags::TID3v2& a, const tags::TID3v2& b);

}  // namespace zovedu_fuzz
