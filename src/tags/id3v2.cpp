#include "tags/id3v2.h"

#include <string>

#include "tags/genres.h"
#include "tags/id3v2_frames.h"
#include "tags/id3v2_text.h"
#include "tags/toolkit/byte_order.h"
#include "tags/toolkit/safe_file.h"
#include "tags/toolkit/text.h"

namespace tags {
namespace {

constexpr std::uint32_t kHeaderSize = 10;
// A new or rewritten tag is padded to this size, so later saves fit in place.
constexpr std::uint32_t kPaddedSize = 4096;

// Total bytes of the tag whose header is h (header and footer included), or 0
// when h is not an ID3v2 header or the tag claims more than fileSize.
std::uint32_t TagSizeFromHeader(const Bytes& h, std::uint64_t fileSize) {
  if (h.size() < kHeaderSize || h[0] != 'I' || h[1] != 'D' || h[2] != '3') return 0;
  std::uint32_t size = ReadSyncsafe32(&h[6]) + kHeaderSize;
  if (h[5] & 0x10) size += kHeaderSize;  // footer
  return size <= fileSize ? size : 0;
}

// The value of a text frame: its first string.
std::string FrameText(const Bytes& c) {
  if (c.empty() || !id3::IsTextEncoding(c[0])) return {};
  return Trim(id3::DecodeString(c[0], c.data() + 1, c.size() - 1).text);
}

// COMM: language, description, text. Sets description and text.
bool SplitComment(const Bytes& c, std::string& description, std::string& text) {
  if (c.size() < 4 || !id3::IsTextEncoding(c[0])) return false;
  const id3::DecodedString d = id3::DecodeString(c[0], c.data() + 4, c.size() - 4);
  const std::size_t at = 4 + d.consumed;
  description = d.text;
  text = Trim(id3::DecodeString(c[0], c.data() + at, c.size() - at).text);
  return true;
}

// WXXX: description, then the link in ISO-8859-1.
bool SplitLink(const Bytes& c, std::string& description, std::string& link) {
  if (c.empty() || !id3::IsTextEncoding(c[0])) return false;
  const id3::DecodedString d = id3::DecodeString(c[0], c.data() + 1, c.size() - 1);
  const std::size_t at = 1 + d.consumed;
  description = d.text;
  link = Trim(id3::DecodeString(0, c.data() + at, c.size() - at).text);
  return true;
}

// The genre list's name for a number of up to 3 digits, else empty.
std::string GenreNameOfDigits(std::string_view digits) {
  if (digits.empty() || digits.size() > 3) return {};
  for (char c : digits)
    if (c < '0' || c > '9') return {};
  const char* name = GenreName(LeadingNumber(digits));
  return name ? name : "";
}

// A plain genre text: a number is the list's genre, anything else a name.
std::string GenreFromText(const std::string& text) {
  const std::string name = GenreNameOfDigits(text);
  return name.empty() ? text : name;
}

// TCON holds "(17)", "17", "(17)Rock" or a name. The text after the
// references reads like a plain TCON, so that the genre written back (that
// text alone) reads the same.
std::string GenreFromTcon(const std::string& text) {
  if (!text.empty() && text[0] == '(' && text.compare(0, 2, "((") != 0) {
    const std::size_t close = text.rfind(')');
    if (close != std::string::npos) {
      const std::string rest = Trim(std::string_view(text).substr(close + 1));
      if (!rest.empty()) return GenreFromText(rest);
      const std::size_t firstClose = text.find(')');
      const std::string_view inner = std::string_view(text).substr(1, firstClose - 1);
      if (inner == "RX") return "Remix";
      if (inner == "CR") return "Cover";
      const std::string name = GenreNameOfDigits(inner);
      return name.empty() ? text : name;
    }
  }
  return GenreFromText(text);
}

bool IsFieldFrame(const std::string& id) {
  static const char* const kIds[] = {"TIT2", "TPE1", "TALB", "TRCK", "TYER", "TCON",
                                     "TCOM", "TENC", "TCOP", "TLAN"};
  for (const char* k : kIds)
    if (id == k) return true;
  return false;
}

void AppendFrame(Bytes& out, const std::string& id, std::uint16_t flags, const Bytes& content) {
  AppendText(out, id);
  AppendBE32(out, std::uint32_t(content.size()));
  AppendBE16(out, flags);
  out.insert(out.end(), content.begin(), content.end());
}

void AppendTextFrame(Bytes& out, const char* id, const std::string& text) {
  if (text.empty()) return;
  const std::uint8_t enc = id3::EncodingFor(text);
  Bytes c{enc};
  id3::AppendEncoded(c, enc, text, false);
  AppendFrame(out, id, 0, c);
}

}  // namespace

void TID3v2::ResetData() {
  Exists = false;
  VersionID = 0;
  Size = 0;
  Track = 0;
  for (std::string* s : {&Title, &Artist, &Album, &TrackString, &Year, &Genre, &Comment, &Composer,
                         &Encoder, &Copyright, &Language, &Link, &AudioSize, &OrigArtist})
    s->clear();
  OtherFrames.clear();
}

void TID3v2::SetTitle(std::string_view v) { Title = Trim(v); }
void TID3v2::SetArtist(std::string_view v) { Artist = Trim(v); }
void TID3v2::SetAlbum(std::string_view v) { Album = Trim(v); }
void TID3v2::SetTrack(std::uint16_t v) { Track = v; }
void TID3v2::SetYear(std::string_view v) { Year = Trim(v); }
void TID3v2::SetGenre(std::string_view v) { Genre = Trim(v); }
void TID3v2::SetComment(std::string_view v) { Comment = Trim(v); }
void TID3v2::SetComposer(std::string_view v) { Composer = Trim(v); }
void TID3v2::SetEncoder(std::string_view v) { Encoder = Trim(v); }
void TID3v2::SetCopyright(std::string_view v) { Copyright = Trim(v); }
void TID3v2::SetLanguage(std::string_view v) { Language = Trim(v); }
void TID3v2::SetLink(std::string_view v) { Link = Trim(v); }

bool TID3v2::LoadTags(const std::string& path) {
  ResetData();
  const auto file = FileSource::Open(path);
  return file && LoadTags(*file);
}

bool TID3v2::LoadTags(const ByteSource& source) {
  ResetData();
  const Bytes header = source.bytes(0, kHeaderSize);
  if (header.size() < kHeaderSize || header[0] != 'I' || header[1] != 'D' || header[2] != '3')
    return true;
  Exists = true;
  VersionID = header[3];
  Size = TagSizeFromHeader(header, source.size());
  if (VersionID < 2 || VersionID > 4 || Size == 0) return true;

  const std::uint32_t bodySize = ReadSyncsafe32(&header[6]);
  const Bytes body = source.bytes(kHeaderSize, bodySize);
  if (body.size() != bodySize) return false;

  std::string fallbackTitle, fallbackAlbum, fallbackYear;
  bool haveLink = false, haveComment = false;
  std::vector<std::string> fieldsSeen;
  for (id3::Frame& f : id3::ParseFrames(VersionID, header[5], body)) {
    const bool plain = !(f.flags & (id3::kCompressed23 | id3::kEncrypted23 | id3::kGrouped23));
    if (plain && IsFieldFrame(f.id)) {
      bool seen = false;
      for (const std::string& s : fieldsSeen) seen = seen || s == f.id;
      if (seen || f.content.empty() || !id3::IsTextEncoding(f.content[0])) continue;  // duplicate or broken
      fieldsSeen.push_back(f.id);
      const std::string text = FrameText(f.content);
      if (f.id == "TIT2") Title = text;
      else if (f.id == "TPE1") Artist = text;
      else if (f.id == "TALB") Album = text;
      else if (f.id == "TRCK") {
        TrackString = text;
        const std::uint32_t n = LeadingNumber(text);
        Track = n <= 0xFFFF ? std::uint16_t(n) : 0;
      } else if (f.id == "TYER") Year = text;
      else if (f.id == "TCON") Genre = GenreFromTcon(text);
      else if (f.id == "TCOM") Composer = text;
      else if (f.id == "TENC") Encoder = text;
      else if (f.id == "TCOP") Copyright = text;
      else if (f.id == "TLAN") Language = text;
      continue;
    }
    if (plain && f.id == "COMM" && !haveComment) {
      std::string description, text;
      if (SplitComment(f.content, description, text) && description.empty()) {
        Comment = text;
        haveComment = true;
        continue;
      }
    }
    if (plain && f.id == "WXXX" && !haveLink) {
      std::string description, link;
      if (SplitLink(f.content, description, link) && description.empty()) {
        // An empty link is no link: a save leaves the frame out, so it must
        // not keep a later frame from giving the link either.
        Link = link;
        haveLink = !link.empty();
        continue;
      }
    }
    // Read-only values; their frames are written back unchanged.
    if (plain) {
      // The first 4 characters, trimmed as a TYER text is.
      if (f.id == "TDRC" && fallbackYear.empty()) fallbackYear = Trim(Utf8Left(FrameText(f.content), 4));
      else if (f.id == "TORY" && VersionID == 2 && fallbackYear.empty())
        fallbackYear = Trim(Utf8Left(FrameText(f.content), 4));
      else if (f.id == "TIT1" && fallbackTitle.empty()) fallbackTitle = FrameText(f.content);
      else if (f.id == "TOAL" && fallbackAlbum.empty()) fallbackAlbum = FrameText(f.content);
      else if (f.id == "TOPE" && OrigArtist.empty()) OrigArtist = FrameText(f.content);
      else if (f.id == "TSIZ" && AudioSize.empty()) AudioSize = FrameText(f.content);
    }
    OtherFrames.push_back(std::move(f));
  }
  // Without a plain link, the first described one with a link gives it (its
  // description is not kept).
  for (auto it = OtherFrames.begin(); !haveLink && it != OtherFrames.end(); ++it) {
    std::string description, link;
    if (it->id == "WXXX" && it->flags == 0 && SplitLink(it->content, description, link) && !link.empty()) {
      Link = link;
      OtherFrames.erase(it);
      break;
    }
  }
  if (Title.empty()) Title = fallbackTitle;
  if (Album.empty()) Album = fallbackAlbum;
  if (Year.empty()) Year = fallbackYear;
  return true;
}

Bytes TID3v2::Render(std::uint32_t totalSize) const {
  Bytes frames;
  AppendTextFrame(frames, "TIT2", Title);
  AppendTextFrame(frames, "TPE1", Artist);
  AppendTextFrame(frames, "TALB", Album);
  if (Track != 0) {
    const bool keepString = !TrackString.empty() && LeadingNumber(TrackString) == Track;
    AppendTextFrame(frames, "TRCK", keepString ? TrackString : std::to_string(Track));
  }
  AppendTextFrame(frames, "TYER", Year);
  AppendTextFrame(frames, "TCON", Genre);
  if (!Comment.empty()) {
    const std::uint8_t enc = id3::EncodingFor(Comment);
    Bytes c{enc, 'e', 'n', 'g'};
    id3::AppendEncoded(c, enc, "", true);
    id3::AppendEncoded(c, enc, Comment, false);
    AppendFrame(frames, "COMM", 0, c);
  }
  AppendTextFrame(frames, "TCOM", Composer);
  AppendTextFrame(frames, "TENC", Encoder);
  AppendTextFrame(frames, "TCOP", Copyright);
  AppendTextFrame(frames, "TLAN", Language);
  if (!Link.empty()) {
    Bytes c{0, 0};  // empty description, then the link in ISO-8859-1
    AppendText(c, Utf8ToLatin1(Link));
    AppendFrame(frames, "WXXX", 0, c);
  }
  for (const RawFrame& f : OtherFrames) AppendFrame(frames, f.id, f.flags, f.content);

  Bytes tag{'I', 'D', '3', 3, 0, 0};
  const std::size_t used = kHeaderSize + frames.size();
  const std::size_t total = used < totalSize ? totalSize : used;
  AppendSyncsafe32(tag, std::uint32_t(total - kHeaderSize));
  tag.insert(tag.end(), frames.begin(), frames.end());
  tag.resize(total, 0);
  return tag;
}

bool TID3v2::SaveTags(const std::string& path) {
  const auto file = FileSource::Open(path);
  if (!file) return false;
  const std::uint64_t fileSize = file->size();
  const std::uint32_t oldSize = TagSizeFromHeader(file->bytes(0, kHeaderSize), fileSize);
  const std::uint32_t needed = std::uint32_t(Render(0).size());

  // The old tag is reused when it is small and big enough, or when it is big
  // and the new one needs more than a padded tag holds anyway (pictures), so
  // that a save does not copy the whole file every time.
  const bool inPlace = oldSize >= needed && (oldSize <= kPaddedSize || needed > kPaddedSize);
  bool ok;
  Bytes tag;
  if (inPlace) {
    tag = Render(oldSize);
    ok = OverwriteInPlace(path, 0, tag);
  } else {
    tag = Render(kPaddedSize);
    const int in = file->fd();
    const std::uint64_t rest = fileSize - oldSize;
    ok = ReplaceFile(
        path,
        [&](int out) { return WriteBytes(out, tag) && CopyRange(in, oldSize, rest, out); },
        [&](const std::string& temp) {
          const auto written = FileSource::Open(temp);
          return written && written->size() == tag.size() + rest;
        });
  }
  if (ok) {
    Exists = true;
    VersionID = 3;
    Size = std::uint32_t(tag.size());
  }
  return ok;
}

std::uint32_t ID3v2TagSize(const ByteSource& source) {
  return TagSizeFromHeader(source.bytes(0, kHeaderSize), source.size());
}

}  // namespace tags
