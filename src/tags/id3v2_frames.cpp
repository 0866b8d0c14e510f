#include "tags/id3v2_frames.h"

#include <cstring>
#include <string>

#include "tags/id3v2_text.h"
#include "tags/toolkit/byte_order.h"
#include "tags/toolkit/text.h"

namespace tags::id3 {
namespace {

// 2.2 ids with a 2.3 counterpart of the same layout (PIC is converted).
struct IdPair {
  const char* v22;
  const char* v23;
};
constexpr IdPair kIds22[] = {
    {"TT1", "TIT1"}, {"TT2", "TIT2"}, {"TT3", "TIT3"}, {"TP1", "TPE1"}, {"TP2", "TPE2"},
    {"TP3", "TPE3"}, {"TP4", "TPE4"}, {"TAL", "TALB"}, {"TRK", "TRCK"}, {"TPA", "TPOS"},
    {"TYE", "TYER"}, {"TDA", "TDAT"}, {"TIM", "TIME"}, {"TRD", "TRDA"}, {"TOR", "TORY"},
    {"TCO", "TCON"}, {"TCM", "TCOM"}, {"TEN", "TENC"}, {"TCR", "TCOP"}, {"TLA", "TLAN"},
    {"TOA", "TOPE"}, {"TOT", "TOAL"}, {"TOL", "TOLY"}, {"TOF", "TOFN"}, {"TSI", "TSIZ"},
    {"TBP", "TBPM"}, {"TKE", "TKEY"}, {"TLE", "TLEN"}, {"TMT", "TMED"}, {"TPB", "TPUB"},
    {"TRC", "TSRC"}, {"TSS", "TSSE"}, {"TDY", "TDLY"}, {"TFT", "TFLT"}, {"TXT", "TEXT"},
    {"TXX", "TXXX"}, {"COM", "COMM"}, {"ULT", "USLT"}, {"WXX", "WXXX"}, {"WAF", "WOAF"},
    {"WAR", "WOAR"}, {"WAS", "WOAS"}, {"WCM", "WCOM"}, {"WCP", "WCOP"}, {"WPB", "WPUB"},
    {"UFI", "UFID"}, {"CNT", "PCNT"}, {"POP", "POPM"}, {"GEO", "GEOB"}, {"IPL", "IPLS"},
    {"MCI", "MCDI"}, {"ETC", "ETCO"}, {"MLL", "MLLT"}, {"STC", "SYTC"}, {"SLT", "SYLT"},
    {"RVA", "RVAD"}, {"EQU", "EQUA"}, {"REV", "RVRB"}, {"BUF", "RBUF"}, {"CRA", "AENC"},
    {"PIC", "APIC"}};

const char* Id23For22(const std::string& id) {
  for (const IdPair& p : kIds22)
    if (id == p.v22) return p.v23;
  return nullptr;
}

bool IsIdChar(std::uint8_t c) { return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'); }

// Where the frames start: after the extended header when there is one, or
// body.size() when it does not fit.
std::size_t FramesStart(std::uint8_t version, std::uint8_t headerFlags, const Bytes& body) {
  if (version == 2 || !(headerFlags & 0x40)) return 0;
  if (body.size() < 4) return body.size();
  // 2.3 counts the bytes after the size field, 2.4 the whole extended header.
  const std::uint64_t size = version == 3 ? 4ull + ReadBE32(body.data()) : ReadSyncsafe32(body.data());
  return size <= body.size() ? std::size_t(size) : body.size();
}

// PIC names the image format with three letters where APIC has a MIME type.
Bytes PictureFrom22(const Bytes& c) {
  if (c.size() < 5) return {};
  const std::string format = ToUpperAscii(std::string(c.begin() + 1, c.begin() + 4));
  std::string mime;
  if (format == "JPG")
    mime = "image/jpeg";
  else if (format == "-->")
    mime = "-->";
  else {
    mime = "image/";
    for (char ch : format)
      if (ch != 0 && ch != ' ') mime += char(ch >= 'A' && ch <= 'Z' ? ch - 'A' + 'a' : ch);
  }
  Bytes out{c[0]};
  AppendText(out, mime);
  out.push_back(0);
  out.insert(out.end(), c.begin() + 4, c.end());
  return out;
}

// Text in encoding 2 or 3 (2.4 only) re-encoded as UTF-16 with BOM: the
// encoding byte, `fixed` bytes copied, then `strings` encoded strings (-1:
// strings up to the end), then the rest copied.
Bytes Reencode(const Bytes& c, std::size_t fixed, int strings) {
  const std::uint8_t enc = c[0];
  std::size_t pos = 1 + fixed;
  if (pos > c.size()) return c;
  Bytes out{1};
  out.insert(out.end(), c.begin() + 1, c.begin() + std::ptrdiff_t(pos));
  for (int i = 0; (strings < 0 || i < strings) && pos < c.size(); ++i) {
    const DecodedString s = DecodeString(enc, c.data() + pos, c.size() - pos);
    AppendEncoded(out, 1, s.text, s.terminated);
    pos += s.consumed;
  }
  out.insert(out.end(), c.begin() + std::ptrdiff_t(pos), c.end());
  return out;
}

std::size_t LatinStringEnd(const Bytes& c, std::size_t from) {
  while (from < c.size() && c[from] != 0) ++from;
  return from < c.size() ? from + 1 : c.size();
}

// A 2.4 frame whose texts are UTF-8 or UTF-16BE, in encodings 2.3 knows.
Bytes TextsFor23(const std::string& id, const Bytes& c) {
  if (c.empty() || (c[0] != 2 && c[0] != 3)) return c;
  if (id[0] == 'T') return Reencode(c, 0, -1);
  if (id == "COMM" || id == "USLT" || id == "USER") return Reencode(c, 3, -1);
  if (id == "WXXX") return Reencode(c, 0, 1);
  if (id == "APIC") {
    const std::size_t mimeEnd = LatinStringEnd(c, 1);
    if (mimeEnd >= c.size()) return c;
    return Reencode(c, mimeEnd, 1);  // the MIME type and the picture type byte
  }
  if (id == "GEOB") return Reencode(c, LatinStringEnd(c, 1) - 1, 2);
  return c;
}

// 2.4 status flags moved to their 2.3 places.
std::uint16_t StatusFlags23(std::uint8_t status24) {
  std::uint16_t f = 0;
  if (status24 & 0x40) f |= 0x8000;  // tag alter preservation
  if (status24 & 0x20) f |= 0x4000;  // file alter preservation
  if (status24 & 0x10) f |= 0x2000;  // read only
  return f;
}

// A 2.4 frame's content in 2.3 form; false when 2.3 cannot carry it.
bool Frame24To23(const std::uint8_t* p, std::size_t n, std::uint16_t flags24, Frame& f) {
  const std::uint8_t format = std::uint8_t(flags24);
  f.flags = StatusFlags23(std::uint8_t(flags24 >> 8));
  std::size_t pos = 0;
  int group = -1, method = -1;
  std::int64_t dataLength = -1;
  if (format & 0x40) {
    if (pos >= n) return false;
    group = p[pos++];
  }
  if (format & 0x04) {
    if (pos >= n) return false;
    method = p[pos++];
  }
  if (format & 0x01) {
    if (n - pos < 4) return false;
    dataLength = ReadSyncsafe32(p + pos);
    pos += 4;
  }
  Bytes data = (format & 0x02) ? RemoveUnsync(p + pos, n - pos) : Bytes(p + pos, p + n);
  if (format & 0x08) {
    if (dataLength < 0) return false;  // 2.3 needs the size before compression
    f.flags |= kCompressed23;
    AppendBE32(f.content, std::uint32_t(dataLength));
  }
  if (method >= 0) {
    f.flags |= kEncrypted23;
    f.content.push_back(std::uint8_t(method));
  }
  if (group >= 0) {
    f.flags |= kGrouped23;
    f.content.push_back(std::uint8_t(group));
  }
  if (!(format & 0x0C)) data = TextsFor23(f.id, data);
  f.content.insert(f.content.end(), data.begin(), data.end());
  return true;
}

}  // namespace

Bytes RemoveUnsync(const std::uint8_t* data, std::size_t n) {
  Bytes out;
  out.reserve(n);
  for (std::size_t i = 0; i < n; ++i) {
    out.push_back(data[i]);
    if (data[i] == 0xFF && i + 1 < n && data[i + 1] == 0) ++i;
  }
  return out;
}

std::vector<Frame> ParseFrames(std::uint8_t version, std::uint8_t headerFlags, const Bytes& body) {
  std::vector<Frame> frames;
  if (version < 2 || version > 4) return frames;
  if (version == 2 && (headerFlags & 0x40)) return frames;  // 2.2 compression: no known scheme
  // 2.2 and 2.3 unsynchronise the whole tag, 2.4 frame by frame.
  Bytes plain;
  const Bytes* tag = &body;
  if (version < 4 && (headerFlags & 0x80)) {
    plain = RemoveUnsync(body.data(), body.size());
    tag = &plain;
  }
  const Bytes& b = *tag;
  const std::size_t idLength = version == 2 ? 3 : 4;
  const std::size_t headerLength = version == 2 ? 6 : 10;
  std::size_t pos = FramesStart(version, headerFlags, b);
  while (b.size() - pos >= headerLength) {
    const std::uint8_t* h = b.data() + pos;
    if (h[0] < 'A' || h[0] > 'Z') break;  // padding or garbage
    bool validId = true;
    for (std::size_t i = 1; i < idLength; ++i) validId = validId && IsIdChar(h[i]);
    if (!validId) break;
    const std::uint32_t size = version == 2   ? ReadBE24(h + 3)
                               : version == 3 ? ReadBE32(h + 4)
                                              : ReadSyncsafe32(h + 4);
    if (size > b.size() - pos - headerLength) break;
    const std::uint8_t* content = h + headerLength;
    pos += headerLength + size;
    if (size == 0) continue;

    Frame f;
    f.id.assign(reinterpret_cast<const char*>(h), idLength);
    if (version == 2) {
      const char* id23 = Id23For22(f.id);
      if (!id23) continue;
      f.id = id23;
      f.content.assign(content, content + size);
      if (f.id == "APIC") f.content = PictureFrom22(f.content);
      if (f.content.empty()) continue;
    } else if (version == 3) {
      f.flags = ReadBE16(h + 8) & 0xE0E0;
      f.content.assign(content, content + size);
    } else if (!Frame24To23(content, size, ReadBE16(h + 8), f)) {
      continue;
    }
    frames.push_back(std::move(f));
  }
  return frames;
}

}  // namespace tags::id3
