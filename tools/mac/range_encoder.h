// The range coder of the format: 32-bit code values of which the top bit
// carries, renormalised a byte at a time once the range falls to 2^23. The
// first byte it writes is a spare zero byte that decoders skip.
#pragma once

#include <cstdint>
#include <vector>

namespace ape {

class RangeEncoder {
 public:
  explicit RangeEncoder(std::vector<std::uint8_t>& out) : out_(out) {}

  // A symbol occupying [low, low + size) of a total of 2^shift.
  void encodeShift(std::uint32_t low, std::uint32_t size, int shift);
  // The same with a total that need not be a power of two.
  void encodeFrequency(std::uint32_t low, std::uint32_t size, std::uint32_t total);
  // value in `bits` raw bits (bits <= 16).
  void encodeBits(std::uint32_t value, int bits) { encodeShift(value, 1, bits); }

  // Writes the pending bytes and enough of the code value for a decoder to
  // read every symbol; nothing may be encoded afterwards.
  void finish();

 private:
  void normalize();
  void put(std::uint8_t byte) { out_.push_back(byte); }
  void flushPending(bool carry);

  std::vector<std::uint8_t>& out_;
  std::uint32_t low_ = 0;
  std::uint32_t range_ = 1u << 31;
  std::uint8_t buffer_ = 0;       // the last byte out, held back for a carry
  std::uint32_t pendingFF_ = 0;   // 0xFF bytes after it, also held back
};

}  // namespace ape
