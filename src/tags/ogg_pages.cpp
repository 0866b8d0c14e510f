#include "tags/ogg_pages.h"

#include <algorithm>
#include <array>

#include "tags/toolkit/byte_order.h"

namespace tags {

namespace {

std::array<std::uint32_t, 256> MakeCrcTable() {
  std::array<std::uint32_t, 256> table{};
  for (std::uint32_t i = 0; i < 256; ++i) {
    std::uint32_t r = i << 24;
    for (int k = 0; k < 8; ++k) r = (r & 0x80000000u) ? (r << 1) ^ 0x04C11DB7u : r << 1;
    table[i] = r;
  }
  return table;
}

constexpr std::size_t kCrcOffset = 22;
constexpr std::size_t kSequenceOffset = 18;

// The checksum register as it stands after 2^k further zero bytes, as a
// 32 x 32 bit matrix over GF(2): column i is the result for register bit i.
using CrcMatrix = std::array<std::uint32_t, 32>;

std::uint32_t Apply(const CrcMatrix& m, std::uint32_t crc) {
  std::uint32_t out = 0;
  for (int i = 0; crc != 0; ++i, crc >>= 1)
    if (crc & 1) out ^= m[std::size_t(i)];
  return out;
}

const std::array<CrcMatrix, 64>& ZeroBytePowers() {
  static const std::array<CrcMatrix, 64> powers = [] {
    std::array<CrcMatrix, 64> p{};
    static const std::uint8_t zero = 0;
    for (int i = 0; i < 32; ++i) p[0][std::size_t(i)] = OggCrc(&zero, 1, std::uint32_t(1) << i);
    for (std::size_t k = 1; k < p.size(); ++k)
      for (std::size_t i = 0; i < 32; ++i) p[k][i] = Apply(p[k - 1], p[k - 1][i]);
    return p;
  }();
  return powers;
}

// The register after n more zero bytes, in log(n) steps.
std::uint32_t CrcAfterZeros(std::uint32_t crc, std::uint64_t n) {
  const auto& powers = ZeroBytePowers();
  for (std::size_t k = 0; n != 0; ++k, n >>= 1)
    if (n & 1) crc = Apply(powers[k], crc);
  return crc;
}

}  // namespace

std::uint64_t OggPage::bodySize() const {
  std::uint64_t n = 0;
  for (std::uint8_t v : lacing) n += v;
  return n;
}

bool ReadOggPage(const ByteSource& source, std::uint64_t offset, OggPage& page) {
  std::uint8_t h[27];
  if (!source.read(offset, h, sizeof h)) return false;
  if (h[0] != 'O' || h[1] != 'g' || h[2] != 'g' || h[3] != 'S' || h[4] != 0) return false;
  page.offset = offset;
  page.flags = h[5];
  page.granule = ReadLE64(h + 6);
  page.serial = ReadLE32(h + 14);
  page.sequence = ReadLE32(h + 18);
  page.checksum = ReadLE32(h + 22);
  page.lacing.assign(h[26], 0);
  if (!page.lacing.empty() && !source.read(offset + 27, page.lacing.data(), page.lacing.size())) return false;
  return source.contains(offset, page.totalSize());
}

std::uint32_t OggCrc(const std::uint8_t* data, std::size_t n, std::uint32_t crc) {
  static const std::array<std::uint32_t, 256> table = MakeCrcTable();
  for (std::size_t i = 0; i < n; ++i) crc = (crc << 8) ^ table[((crc >> 24) ^ data[i]) & 0xff];
  return crc;
}

void SetOggPageSequence(std::uint8_t* page, std::size_t size, std::uint32_t sequence) {
  if (size < 27) return;
  std::uint8_t change[4];
  WriteLE32(change, ReadLE32(page + kSequenceOffset) ^ sequence);
  const std::uint32_t crcChange = CrcAfterZeros(OggCrc(change, 4), size - kSequenceOffset - 4);
  WriteLE32(page + kSequenceOffset, sequence);
  WriteLE32(page + kCrcOffset, ReadLE32(page + kCrcOffset) ^ crcChange);
}

std::uint32_t OggPageCrc(const Bytes& page) {
  if (page.size() < 27) return 0;
  static const std::uint8_t zeros[4] = {0, 0, 0, 0};
  std::uint32_t crc = OggCrc(page.data(), kCrcOffset);
  crc = OggCrc(zeros, 4, crc);
  return OggCrc(page.data() + kCrcOffset + 4, page.size() - kCrcOffset - 4, crc);
}

bool OggPageCrcValid(const Bytes& page) {
  return page.size() >= 27 && ReadLE32(page.data() + kCrcOffset) == OggPageCrc(page);
}

void SetOggPageCrc(Bytes& page) {
  if (page.size() >= 27) WriteLE32(page.data() + kCrcOffset, OggPageCrc(page));
}

std::vector<Bytes> PaginatePackets(const std::vector<Bytes>& packets, std::uint32_t serial,
                                   std::uint32_t firstSequence, std::uint8_t firstFlags,
                                   std::uint8_t lastFlags) {
  // Every lacing value with the packet it belongs to and whether it ends it.
  struct Segment {
    std::size_t packet, offset;
    std::uint8_t size;
    bool last;
  };
  std::vector<Segment> segments;
  for (std::size_t p = 0; p < packets.size(); ++p) {
    const std::size_t n = packets[p].size();
    for (std::size_t off = 0;; off += 255) {
      const std::size_t left = n - off;
      if (left >= 255) {
        segments.push_back({p, off, 255, false});
      } else {
        segments.push_back({p, off, std::uint8_t(left), true});
        break;
      }
    }
  }

  std::vector<Bytes> pages;
  bool continued = false;
  for (std::size_t first = 0; first < segments.size(); first += 255) {
    const std::size_t end = std::min(segments.size(), first + 255);
    bool packetEnds = false;
    Bytes page = {'O', 'g', 'g', 'S', 0, 0};
    std::uint8_t flags = continued ? kOggContinued : 0;
    if (pages.empty()) flags |= firstFlags;
    if (end == segments.size()) flags |= lastFlags;
    page[5] = flags;
    for (std::size_t i = first; i < end; ++i) packetEnds = packetEnds || segments[i].last;
    AppendLE64(page, packetEnds ? 0 : kOggNoGranule);
    AppendLE32(page, serial);
    AppendLE32(page, firstSequence + std::uint32_t(pages.size()));
    AppendLE32(page, 0);
    page.push_back(std::uint8_t(end - first));
    for (std::size_t i = first; i < end; ++i) page.push_back(segments[i].size);
    for (std::size_t i = first; i < end; ++i) {
      const Segment& s = segments[i];
      const auto from = packets[s.packet].begin() + std::ptrdiff_t(s.offset);
      page.insert(page.end(), from, from + s.size);
    }
    SetOggPageCrc(page);
    continued = !segments[end - 1].last;
    pages.push_back(std::move(page));
  }
  return pages;
}

}  // namespace tags
