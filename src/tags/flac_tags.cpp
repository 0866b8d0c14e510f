#include "tags/flac_tags.h"

#include <memory>
#include <vector>

#include "tags/id3v2.h"
#include "tags/toolkit/byte_order.h"
#include "tags/toolkit/safe_file.h"

namespace tags {

namespace {

constexpr std::uint8_t kStreamInfo = 0;
constexpr std::uint8_t kPadding = 1;
constexpr std::uint8_t kVorbisComment = 4;
constexpr std::uint8_t kLastBlock = 0x80;
constexpr std::uint32_t kMaxBlockLength = 0xFFFFFF;
constexpr std::uint32_t kNewPadding = 4096;

struct Block {
  std::uint8_t type = 0;
  bool last = false;
  std::uint64_t offset = 0;  // of its 4-byte header
  std::uint32_t length = 0;  // of its body
  std::uint64_t end() const { return offset + 4 + length; }
};

struct Layout {
  std::uint64_t start = 0;  // "fLaC"
  std::vector<Block> blocks;
  std::uint64_t audio = 0;  // first byte after the metadata
  int comment = -1;         // index of the first VORBIS_COMMENT block
};

bool ReadLayout(const ByteSource& source, Layout& l) {
  l.start = ID3v2TagSize(source);
  if (!source.startsWith(l.start, "fLaC")) return false;
  std::uint64_t pos = l.start + 4;
  for (;;) {
    const Bytes h = source.bytes(pos, 4);
    if (h.empty()) return false;
    Block b{std::uint8_t(h[0] & 0x7f), (h[0] & kLastBlock) != 0, pos, ReadBE24(h.data() + 1)};
    if (b.type == 127 || !source.contains(pos + 4, b.length)) return false;
    if (b.type == kVorbisComment && l.comment < 0) l.comment = int(l.blocks.size());
    l.blocks.push_back(b);
    pos = b.end();
    if (b.last) break;
  }
  l.audio = pos;
  return l.blocks[0].type == kStreamInfo && l.blocks[0].length >= 34;
}

void AppendBlockHeader(Bytes& out, std::uint8_t type, bool last, std::uint32_t length) {
  out.push_back(std::uint8_t(type | (last ? kLastBlock : 0)));
  AppendBE24(out, length);
}

bool ReadComment(const ByteSource& source, const Layout& l, VorbisComment& vc) {
  if (l.comment < 0) return true;
  const Block& b = l.blocks[std::size_t(l.comment)];
  const Bytes body = source.bytes(b.offset + 4, b.length);
  return body.size() == b.length && (b.length == 0 || vc.Parse(body.data(), body.size()) > 0);
}

// The new comment block with padding to fill exactly `space` bytes, or
// nothing when that is not possible (a padding block needs its 4-byte header).
Bytes FillRegion(const Bytes& body, std::uint64_t space, bool last) {
  const std::uint64_t need = 4 + body.size();
  if (need > space) return {};
  const std::uint64_t left = space - need;
  if (left != 0 && (left < 4 || left - 4 > kMaxBlockLength)) return {};
  Bytes out;
  AppendBlockHeader(out, kVorbisComment, last && left == 0, std::uint32_t(body.size()));
  out.insert(out.end(), body.begin(), body.end());
  if (left != 0) {
    AppendBlockHeader(out, kPadding, last, std::uint32_t(left - 4));
    out.resize(out.size() + std::size_t(left - 4), 0);
  }
  return out;
}

// Where the comment block can go without moving the audio: the old comment
// block with the padding blocks next to it, or, without a comment block, a
// run of padding blocks. Returns the region's offset and bytes, or false.
bool InPlaceRegion(const Layout& l, const Bytes& body, std::uint64_t& offset, Bytes& data) {
  const std::size_t n = l.blocks.size();
  const auto tryRun = [&](std::size_t lo, std::size_t hi) {
    const std::uint64_t space = l.blocks[hi].end() - l.blocks[lo].offset;
    data = FillRegion(body, space, l.blocks[hi].last);
    offset = l.blocks[lo].offset;
    return !data.empty();
  };
  if (l.comment >= 0) {
    std::size_t lo = std::size_t(l.comment), hi = lo;
    while (lo > 1 && l.blocks[lo - 1].type == kPadding) --lo;
    while (hi + 1 < n && l.blocks[hi + 1].type == kPadding) ++hi;
    return tryRun(lo, hi);
  }
  for (std::size_t lo = 1; lo < n; ++lo) {
    if (l.blocks[lo].type != kPadding) continue;
    std::size_t hi = lo;
    while (hi + 1 < n && l.blocks[hi + 1].type == kPadding) ++hi;
    if (tryRun(lo, hi)) return true;
    lo = hi;
  }
  return false;
}

// "fLaC" and the metadata blocks with the new comment block (in the old one's
// place, else after the last other block), old padding dropped and new
// padding last.
bool BuildMetadata(const ByteSource& source, const Layout& l, const Bytes& body, Bytes& out) {
  out = {'f', 'L', 'a', 'C'};
  std::size_t lastKept = 0;
  for (std::size_t i = 0; i < l.blocks.size(); ++i)
    if (l.blocks[i].type != kPadding) lastKept = i;
  for (std::size_t i = 0; i < l.blocks.size(); ++i) {
    const Block& b = l.blocks[i];
    if (int(i) == l.comment) {
      AppendBlockHeader(out, kVorbisComment, false, std::uint32_t(body.size()));
      out.insert(out.end(), body.begin(), body.end());
    } else if (b.type != kPadding) {
      const Bytes raw = source.bytes(b.offset, std::size_t(4 + b.length));
      if (raw.empty()) return false;
      out.insert(out.end(), raw.begin(), raw.end());
      out[out.size() - raw.size()] &= std::uint8_t(~kLastBlock);
    }
    if (l.comment < 0 && i == lastKept) {
      AppendBlockHeader(out, kVorbisComment, false, std::uint32_t(body.size()));
      out.insert(out.end(), body.begin(), body.end());
    }
  }
  AppendBlockHeader(out, kPadding, true, kNewPadding);
  out.resize(out.size() + kNewPadding, 0);
  return true;
}

}  // namespace

bool TFlacTags::LoadFile(const std::string& path) {
  const std::unique_ptr<FileSource> source = FileSource::Open(path);
  if (source) return LoadFile(*source);
  *this = TFlacTags();
  return false;
}

bool TFlacTags::LoadFile(const ByteSource& source) {
  *this = TFlacTags();
  Layout l;
  if (!ReadLayout(source, l)) return false;
  const Bytes info = source.bytes(l.blocks[0].offset + 4, 34);
  if (info.empty()) return false;
  sampleRate_ = int(std::uint32_t(info[10]) << 12 | std::uint32_t(info[11]) << 4 | info[12] >> 4);
  channels_ = ((info[12] >> 1) & 7) + 1;
  samples_ = std::uint64_t(info[13] & 0x0f) << 32 | ReadBE32(info.data() + 14);
  valid_ = true;
  VorbisComment vc;
  if (!ReadComment(source, l, vc)) return false;
  Read(vc);
  return true;
}

bool TFlacTags::SaveTags(const std::string& path) {
  const std::unique_ptr<FileSource> source = FileSource::Open(path);
  if (!source) return false;
  Layout l;
  VorbisComment vc;
  if (!ReadLayout(*source, l) || !ReadComment(*source, l, vc)) return false;
  Apply(vc);
  const Bytes body = vc.Render();
  if (body.size() > kMaxBlockLength) return false;

  std::uint64_t offset = 0;
  Bytes region;
  if (InPlaceRegion(l, body, offset, region)) return OverwriteInPlace(path, offset, region);

  Bytes metadata;
  if (!BuildMetadata(*source, l, body, metadata)) return false;
  const auto write = [&](int out) {
    return (l.start == 0 || CopyRange(source->fd(), 0, l.start, out)) && WriteBytes(out, metadata) &&
           CopyRange(source->fd(), l.audio, source->size() - l.audio, out);
  };
  // The new file must read back with the comment written and the audio where
  // the metadata ends.
  const auto verify = [&](const std::string& tempPath) {
    const std::unique_ptr<FileSource> check = FileSource::Open(tempPath);
    Layout c;
    if (!check || !ReadLayout(*check, c) || c.comment < 0) return false;
    const Block& b = c.blocks[std::size_t(c.comment)];
    return c.audio == l.start + metadata.size() && check->size() == c.audio + (source->size() - l.audio) &&
           check->bytes(b.offset + 4, b.length) == body;
  };
  return ReplaceFile(path, write, verify);
}

}  // namespace tags
