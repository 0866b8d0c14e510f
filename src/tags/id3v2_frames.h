// Frames of an ID3v2 tag body (2.2, 2.3 or 2.4) brought into the 2.3 form
// this program writes: 4-character ids, 2.3 flags, plain content.
#pragma once

#include <cstdint>
#include <vector>

#include "tags/id3v2.h"
#include "tags/toolkit/byte_source.h"

namespace tags::id3 {

using Frame = TID3v2::RawFrame;

// 2.3 frame flags that leave the content in a form only the writer can read.
inline constexpr std::uint16_t kCompressed23 = 0x0080;
inline constexpr std::uint16_t kEncrypted23 = 0x0040;
inline constexpr std::uint16_t kGrouped23 = 0x0020;

// The bytes with every FF 00 turned back into FF.
Bytes RemoveUnsync(const std::uint8_t* data, std::size_t n);

// The frames of a tag body: the bytes after the 10-byte header up to the
// footer, headerFlags being byte 5 of the header. Frames that cannot be
// carried into 2.3 are dropped; a frame size running past the body, padding
// or an id that is not one ends the list.
std::vector<Frame> ParseFrames(std::uint8_t version, std::uint8_t headerFlags, const Bytes& body);

}  // namespace tags::id3
