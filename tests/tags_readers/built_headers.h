// Headers built byte by byte, for layouts no installed encoder writes (old
// Monkey's Audio and Musepack versions, ADIF, VBRI) and for damaged ones.
#pragma once

#include <cstdint>
#include <string>

#include "tags/toolkit/byte_source.h"

namespace readers_test {

using tags::Bytes;

// MPEG-1 layer 3 frame, 128 kbit/s, 44.1 kHz, stereo: 417 bytes, zeros
// after the header.
Bytes Mp3Frame();
constexpr std::size_t kMp3FrameBytes = 417;

// ADTS frame of `length` bytes (header included), AAC LC.
Bytes AdtsFrame(int rateIndex, int channelConfig, std::size_t length);

// Musepack stream version 8: "MPCK", a stream header packet (its CRC right
// unless told otherwise) and a stream end packet.
Bytes MpcVersion8(std::uint64_t samples, std::uint64_t silence, int rateIndex, int channels,
                  bool goodCrc = true);

// A 7-bit-per-byte size as version 8 packets use.
Bytes Varint(std::uint64_t v);

// Writes bits most significant first.
class BitWriter {
 public:
  void Put(std::uint32_t value, int bits);
  Bytes Take();

 private:
  Bytes out_;
  int used_ = 8;
};

}  // namespace readers_test
