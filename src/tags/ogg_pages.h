// Ogg pages: reading a page header and its segment table, the page checksum,
// and laying packets out on new pages.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "tags/toolkit/byte_source.h"

namespace tags {

constexpr std::uint8_t kOggContinued = 0x01;
constexpr std::uint8_t kOggFirstPage = 0x02;
constexpr std::uint8_t kOggLastPage = 0x04;
constexpr std::uint64_t kOggNoGranule = ~std::uint64_t(0);

struct OggPage {
  std::uint64_t offset = 0;  // where the page starts in the source
  std::uint8_t flags = 0;
  std::uint64_t granule = 0;
  std::uint32_t serial = 0;
  std::uint32_t sequence = 0;
  std::uint32_t checksum = 0;
  std::vector<std::uint8_t> lacing;

  std::uint64_t headerSize() const { return 27 + lacing.size(); }
  std::uint64_t bodySize() const;
  std::uint64_t totalSize() const { return headerSize() + bodySize(); }
};

// Reads the page header at offset: "OggS", version 0, the segment table, and
// a body that lies inside the source. The checksum is not verified.
bool ReadOggPage(const ByteSource& source, std::uint64_t offset, OggPage& page);

// The Ogg CRC-32 (polynomial 0x04C11DB7, most significant bit first, initial
// value 0, no final inversion), continued from crc.
std::uint32_t OggCrc(const std::uint8_t* data, std::size_t n, std::uint32_t crc = 0);
// Computes the checksum of a whole page (its field counted as 0).
std::uint32_t OggPageCrc(const Bytes& page);
// True when the checksum stored in the page matches its bytes.
bool OggPageCrcValid(const Bytes& page);
// Writes the page's checksum into its field.
void SetOggPageCrc(Bytes& page);
// Gives the whole page of size bytes at page a new sequence number and moves
// its checksum by the change without reading the body (the checksum is
// linear), so a checksum that held still holds and a wrong one stays wrong.
void SetOggPageSequence(std::uint8_t* page, std::size_t size, std::uint32_t sequence);

// Lays out packets, one after the other, on pages of at most 255 lacing
// values: a packet of n bytes takes n / 255 values of 255 and one of n % 255
// (0 included), and a page that begins inside a packet is flagged continued.
// The last page ends with the last packet. A page on which a packet ends gets
// granule 0, one on which none ends gets -1 (all ones). Pages are numbered
// from firstSequence; the first gets firstFlags, the last lastFlags, added to
// the continued flag.
std::vector<Bytes> PaginatePackets(const std::vector<Bytes>& packets, std::uint32_t serial,
                                   std::uint32_t firstSequence, std::uint8_t firstFlags = 0,
                                   std::uint8_t lastFlags = 0);

}  // namespace tags
