#include "built_headers.h"

#include "tags/toolkit/byte_order.h"

namespace readers_test {

Bytes Mp3Frame() {
  Bytes f(kMp3FrameBytes, 0);
  f[0] = 0xFF;
  f[1] = 0xFB;
  f[2] = 0x90;
  f[3] = 0x00;
  return f;
}

Bytes AdtsFrame(int rateIndex, int channelConfig, std::size_t length) {
  Bytes f(length, 0x21);
  f[0] = 0xFF;
  f[1] = 0xF1;
  f[2] = std::uint8_t(1 << 6 | rateIndex << 2 | channelConfig >> 2);
  f[3] = std::uint8_t((channelConfig & 3) << 6 | length >> 11);
  f[4] = std::uint8_t(length >> 3);
  f[5] = std::uint8_t((length & 7) << 5 | 0x1F);
  f[6] = 0xFC;
  return f;
}

Bytes Varint(std::uint64_t v) {
  Bytes groups;
  do {
    groups.insert(groups.begin(), std::uint8_t(v & 0x7F));
    v >>= 7;
  } while (v > 0);
  for (std::size_t i = 0; i + 1 < groups.size(); ++i) groups[i] |= 0x80;
  return groups;
}

namespace {

std::uint32_t Crc32(const Bytes& data) {
  std::uint32_t crc = 0xFFFFFFFFu;
  for (std::uint8_t byte : data) {
    crc ^= byte;
    for (int k = 0; k < 8; ++k) crc = crc & 1 ? (crc >> 1) ^ 0xEDB88320u : crc >> 1;
  }
  return ~crc;
}

}  // namespace

Bytes MpcVersion8(std::uint64_t samples, std::uint64_t silence, int rateIndex, int channels,
                  bool goodCrc) {
  Bytes body = {8};
  for (std::uint8_t b : Varint(samples)) body.push_back(b);
  for (std::uint8_t b : Varint(silence)) body.push_back(b);
  body.push_back(std::uint8_t(rateIndex << 5 | 26));
  body.push_back(std::uint8_t((channels - 1) << 4 | 0x0B));
  Bytes out;
  tags::AppendText(out, "MPCK");
  tags::AppendText(out, "SH");
  out.push_back(std::uint8_t(2 + 1 + 4 + body.size()));
  tags::AppendBE32(out, Crc32(body) ^ (goodCrc ? 0 : 1));
  out.insert(out.end(), body.begin(), body.end());
  tags::AppendText(out, "SE");
  out.push_back(3);
  return out;
}

void BitWriter::Put(std::uint32_t value, int bits) {
  for (int i = bits - 1; i >= 0; --i) {
    if (used_ == 8) {
      out_.push_back(0);
      used_ = 0;
    }
    out_.back() |= std::uint8_t(((value >> i) & 1) << (7 - used_));
    ++used_;
  }
}

Bytes BitWriter::Take() {
  used_ = 8;
  Bytes taken;
  taken.swap(out_);
  return taken;
}

}  // namespace readers_test
