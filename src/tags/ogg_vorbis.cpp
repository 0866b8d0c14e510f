#include "tags/ogg_vorbis.h"

#include <cstring>
#include <memory>
#include <vector>

#include "tags/ogg_pages.h"
#include "tags/id3v2.h"
#include "tags/toolkit/byte_order.h"
#include "tags/toolkit/safe_file.h"

namespace tags {

namespace {

bool HasPrefix(const Bytes& packet, std::uint8_t type) {
  return packet.size() >= 7 && packet[0] == type && std::memcmp(packet.data() + 1, "vorbis", 6) == 0;
}

// The three header packets of the Vorbis stream and the pages they came on.
struct VorbisHeaders {
  std::uint32_t serial = 0;
  std::uint32_t firstSequence = 0;
  std::uint32_t pageCount = 0;
  std::uint8_t lastPageFlags = 0;  // end-of-stream flag of the last header page
  std::uint64_t end = 0;           // offset right after the last header page
  bool setupEndsPage = true;       // no audio data shares the setup header's page
  std::vector<Bytes> packets;      // identification, comment, setup
};

bool ReadVorbisHeaders(const ByteSource& source, std::uint64_t start, VorbisHeaders& h) {
  Bytes current;
  bool inPacket = false;
  std::uint64_t offset = start;
  while (h.packets.size() < 3) {
    OggPage page;
    if (!ReadOggPage(source, offset, page)) return false;
    const bool first = h.pageCount == 0;
    if (first) {
      if (!(page.flags & kOggFirstPage)) return false;
      h.serial = page.serial;
      h.firstSequence = page.sequence;
    } else if (page.serial != h.serial || (page.flags & kOggFirstPage)) {
      return false;  // another logical stream among the headers
    }
    if (bool(page.flags & kOggContinued) != inPacket) return false;
    const std::uint64_t bodySize = page.bodySize();
    const Bytes body = source.bytes(offset + page.headerSize(), std::size_t(bodySize));
    if (body.size() != bodySize) return false;
    std::size_t pos = 0;
    for (std::uint8_t v : page.lacing) {
      if (h.packets.size() == 3) {
        h.setupEndsPage = false;
        break;
      }
      current.insert(current.end(), body.begin() + std::ptrdiff_t(pos),
                     body.begin() + std::ptrdiff_t(pos + v));
      pos += v;
      inPacket = v == 255;
      if (!inPacket) {
        h.packets.push_back(std::move(current));
        current.clear();
        // Types 1, 3, 5: stop at the first packet that is not a Vorbis header.
        if (!HasPrefix(h.packets.back(), std::uint8_t(2 * h.packets.size() - 1))) return false;
      }
    }
    ++h.pageCount;
    offset += page.totalSize();
    h.lastPageFlags = page.flags & kOggLastPage;
    if (h.lastPageFlags && h.packets.size() < 3) return false;
  }
  h.end = offset;
  return h.packets[0].size() >= 30;
}

// The comment packet's items, and what follows them (the framing byte).
bool ParseCommentPacket(const Bytes& packet, VorbisComment& vc, Bytes& tail) {
  const std::size_t used = vc.Parse(packet.data() + 7, packet.size() - 7);
  if (used == 0) return false;
  if (vc.complete) tail.assign(packet.begin() + std::ptrdiff_t(7 + used), packet.end());
  if (tail.empty()) tail = {1};
  return true;
}

// The granule position of the last page of the stream, looked for backwards
// in the last 64 KiB; a page counts when its checksum holds.
std::uint64_t LastGranule(const ByteSource& source, std::uint32_t serial, std::uint64_t from) {
  const std::uint64_t size = source.size();
  const std::uint64_t begin = size - from > 65536 ? size - 65536 : from;
  const Bytes window = source.bytes(begin, std::size_t(size - begin));
  for (std::size_t i = window.size() >= 4 ? window.size() - 4 : 0; i + 4 <= window.size(); --i) {
    if (std::memcmp(window.data() + i, "OggS", 4) == 0) {
      OggPage page;
      if (ReadOggPage(source, begin + i, page) && page.serial == serial && page.granule != kOggNoGranule &&
          OggPageCrcValid(source.bytes(begin + i, std::size_t(page.totalSize()))))
        return page.granule;
    }
    if (i == 0) break;
  }
  return 0;
}

// Copies the pages from offset to the end with the sequence numbers of the
// stream's pages moved by delta and their checksums moved with them. Bytes
// that are no page are copied as they are. Reads and writes a MiB at a time.
bool CopyRenumbered(const FileSource& source, std::uint64_t offset, std::uint32_t serial, std::uint32_t delta,
                    int out) {
  constexpr std::size_t kChunk = 1u << 20;  // more than the largest page (65307 bytes)
  bool ours = true;                         // a later link of a chain may use the serial again
  while (offset < source.size()) {
    Bytes pages = source.bytes(offset, std::size_t(std::min<std::uint64_t>(kChunk, source.size() - offset)));
    if (pages.empty()) return false;
    const std::size_t read = pages.size();
    std::size_t pos = 0;
    bool noPage = false;
    while (pos + 27 <= pages.size()) {
      std::uint8_t* p = pages.data() + pos;
      if (std::memcmp(p, "OggS", 4) != 0 || p[4] != 0) {
        noPage = true;
        break;
      }
      if (pos + 27 + p[26] > pages.size()) break;
      std::size_t total = 27 + std::size_t(p[26]);
      for (std::size_t i = 0; i < p[26]; ++i) total += p[27 + i];
      if (pos + total > pages.size()) break;
      if (ours && ReadLE32(p + 14) == serial) {
        SetOggPageSequence(p, total, ReadLE32(p + 18) + delta);
        if (p[5] & kOggLastPage) ours = false;
      }
      pos += total;
    }
    if (!WriteBytes(out, pages.data(), pos)) return false;
    offset += pos;
    // A page the chunk's end cut is read whole with the next chunk; at the
    // file's end (a cut page there) or at bytes that are no page, the rest is
    // copied as it is.
    if (noPage || pos == 0 || offset - pos + read >= source.size()) break;
  }
  return CopyRange(source.fd(), offset, source.size() - offset, out);
}

}  // namespace

void TOggVorbis::Reset() {
  static_cast<CommentFields&>(*this) = CommentFields();
  id3v2Size_ = 0;
  channels_ = sampleRate_ = 0;
  bitRateMax_ = bitRateNominal_ = bitRateMin_ = 0;
  samples_ = fileSize_ = 0;
}

bool TOggVorbis::LoadFile(const std::string& path) {
  const std::unique_ptr<FileSource> source = FileSource::Open(path);
  if (!source) {
    Reset();
    return false;
  }
  return LoadFile(*source);
}

bool TOggVorbis::LoadFile(const ByteSource& source) {
  Reset();
  fileSize_ = source.size();
  id3v2Size_ = ID3v2TagSize(source);
  VorbisHeaders h;
  if (!ReadVorbisHeaders(source, id3v2Size_, h)) return false;
  const std::uint8_t* id = h.packets[0].data();
  channels_ = id[11];
  sampleRate_ = int(ReadLE32(id + 12) & 0x7fffffff);
  bitRateMax_ = std::int32_t(ReadLE32(id + 16));
  bitRateNominal_ = std::int32_t(ReadLE32(id + 20));
  bitRateMin_ = std::int32_t(ReadLE32(id + 24));
  samples_ = LastGranule(source, h.serial, h.end);
  VorbisComment vc;
  Bytes tail;
  if (!ParseCommentPacket(h.packets[1], vc, tail)) return false;
  Read(vc);
  return true;
}

int TOggVorbis::BitRateNominal() const {
  if (bitRateNominal_ > 0) return bitRateNominal_ / 1000;
  if (bitRateMax_ > 0 && bitRateMin_ > 0) return int((std::int64_t(bitRateMax_) + bitRateMin_) / 2000);
  const double seconds = Duration();
  if (seconds <= 0) return 0;
  return int(double(fileSize_ - id3v2Size_) * 8 / seconds / 1000);
}

bool TOggVorbis::Valid() const {
  return channels_ >= 1 && channels_ <= 2 && sampleRate_ > 0 && Duration() > 0.1 && BitRateNominal() != 0;
}

bool TOggVorbis::SaveTags(const std::string& path) {
  const std::unique_ptr<FileSource> source = FileSource::Open(path);
  if (!source) return false;
  const std::uint64_t start = ID3v2TagSize(*source);
  VorbisHeaders h;
  if (!ReadVorbisHeaders(*source, start, h) || !h.setupEndsPage) return false;
  VorbisComment vc;
  Bytes tail;
  if (!ParseCommentPacket(h.packets[1], vc, tail)) return false;
  Apply(vc);

  Bytes comment = {3, 'v', 'o', 'r', 'b', 'i', 's'};
  const Bytes body = vc.Render();
  comment.insert(comment.end(), body.begin(), body.end());
  comment.insert(comment.end(), tail.begin(), tail.end());
  // Identification header alone on the first page; the comment starts a new
  // page and shares pages with the setup header, whose end ends the headers.
  std::vector<Bytes> pages = PaginatePackets({h.packets[0]}, h.serial, h.firstSequence, kOggFirstPage);
  const std::vector<Bytes> rest = PaginatePackets(
      {comment, h.packets[2]}, h.serial, h.firstSequence + std::uint32_t(pages.size()), 0, h.lastPageFlags);
  pages.insert(pages.end(), rest.begin(), rest.end());
  const std::uint32_t delta = std::uint32_t(pages.size()) - h.pageCount;
  std::uint64_t expectedSize = start + (source->size() - h.end);
  for (const Bytes& page : pages) expectedSize += page.size();

  const auto write = [&](int out) {
    if (start > 0 && !CopyRange(source->fd(), 0, start, out)) return false;
    for (const Bytes& page : pages)
      if (!WriteBytes(out, page)) return false;
    if (delta == 0) return CopyRange(source->fd(), h.end, source->size() - h.end, out);
    return CopyRenumbered(*source, h.end, h.serial, delta, out);
  };
  // The new file must read back with exactly the headers written.
  const auto verify = [&](const std::string& tempPath) {
    const std::unique_ptr<FileSource> check = FileSource::Open(tempPath);
    VorbisHeaders c;
    return check && check->size() == expectedSize && ReadVorbisHeaders(*check, start, c) &&
           c.packets[0] == h.packets[0] && c.packets[1] == comment && c.packets[2] == h.packets[2];
  };
  return ReplaceFile(path, write, verify);
}

}  // namespace tags
