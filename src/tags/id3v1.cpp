#include "tags/id3v1.h"

#include <algorithm>
#include <cstring>

#include "tags/end_tags.h"
#include "tags/genres.h"
#include "tags/lyrics3.h"
#include "tags/toolkit/safe_file.h"
#include "tags/toolkit/text.h"

namespace tags {
namespace {

constexpr std::size_t kLongValue = 31;  // characters from which the Ext field keeps a value

// A fixed-size field of the tag: ISO-8859-1 up to the first NUL.
std::string FieldText(const Bytes& tag, std::size_t offset, std::size_t size) {
  const auto begin = tag.begin() + std::ptrdiff_t(offset);
  const auto end = std::find(begin, begin + std::ptrdiff_t(size), 0);
  return Latin1ToUtf8(std::string(begin, end));
}

void PutField(Bytes& tag, std::size_t offset, std::size_t size, const std::string& utf8) {
  const std::string latin1 = Utf8ToLatin1(TrimRight(utf8)).substr(0, size);
  std::memcpy(&tag[offset], latin1.data(), latin1.size());
}

// Characters of comment the tag's comment field holds. With a track number
// 28; without one also 28 when the 29th is a space and the 30th is not, as
// the reader would take that 30th for a track number.
std::size_t CommentRoom(const std::string& comment, std::uint8_t track) {
  if (track != 0) return 28;
  const std::string latin1 = Utf8ToLatin1(TrimRight(comment));
  return latin1.size() >= 30 && latin1[28] == ' ' && latin1[29] != ' ' ? 28 : 30;
}

void SetLong(std::string_view v, std::string& plain, std::string& ext) {
  plain = TrimRight(v);
  ext = Utf8Length(plain) >= kLongValue ? plain : std::string();
}

// Each lone CR becomes CR LF; an LF that then follows CR LF goes.
std::string NormaliseLineEnds(const std::string& text) {
  std::string crlf;
  for (char c : text) {
    crlf += c;
    if (c == '\r') crlf += '\n';
  }
  std::string out;
  for (std::size_t i = 0; i < crlf.size(); ++i) {
    if (crlf.compare(i, 3, "\r\n\n") == 0) {
      out += "\r\n";
      i += 2;
    } else {
      out += crlf[i];
    }
  }
  return out;
}

std::unique_ptr<FileSource> OpenLayout(const std::string& path, EndTagLayout& layout) {
  auto file = FileSource::Open(path);
  if (file) layout = LocateEndTags(*file);
  return file;
}

}  // namespace

void TID3v1::ResetData() {
  Exists = false;
  Version = 1;
  Track = 0;
  GenreID = 255;
  LyricsExists = false;
  LyricsSize = 0;
  Image.clear();
  Author.clear();
  Lyrics.clear();
  title_.clear(), artist_.clear(), album_.clear(), year_.clear(), comment_.clear();
  extTitle_.clear(), extArtist_.clear(), extAlbum_.clear(), extComment_.clear();
}

std::string TID3v1::Title() const { return extTitle_.empty() ? title_ : extTitle_; }
std::string TID3v1::Artist() const { return extArtist_.empty() ? artist_ : extArtist_; }
std::string TID3v1::Album() const { return extAlbum_.empty() ? album_ : extAlbum_; }
std::string TID3v1::Comment() const { return extComment_.empty() ? comment_ : extComment_; }
void TID3v1::SetTitle(std::string_view v) { SetLong(v, title_, extTitle_); }
void TID3v1::SetArtist(std::string_view v) { SetLong(v, artist_, extArtist_); }
void TID3v1::SetAlbum(std::string_view v) { SetLong(v, album_, extAlbum_); }
void TID3v1::SetComment(std::string_view v) { SetLong(v, comment_, extComment_); }
void TID3v1::SetYear(std::string_view v) { year_ = TrimRight(Utf8Left(TrimRight(v), 4)); }

std::string TID3v1::Genre() const {
  const char* name = GenreName(GenreID);
  return name ? name : "";
}

void TID3v1::SetGenre(std::string_view name) {
  const int index = GenreIndexOf(Trim(name));
  GenreID = index < 0 ? 255 : std::uint8_t(index);
}

bool TID3v1::LoadTags(const std::string& path, bool withFields) {
  const auto file = FileSource::Open(path);
  if (!file) return false;
  return LoadTags(*file, withFields);
}

bool TID3v1::LoadTags(const ByteSource& source, bool withFields) {
  if (withFields) ResetData();
  const EndTagLayout layout = LocateEndTags(source);
  Exists = layout.hasId3v1;
  LyricsExists = layout.hasLyrics3;
  LyricsSize = std::int32_t(layout.lyrics3SizeValue);
  if (!withFields) return true;

  if (Exists) {
    const Bytes tag = source.bytes(layout.id3v1Offset, kId3v1Size);
    if (tag.size() != kId3v1Size) return false;
    const bool v11 = (tag[125] == 0 && tag[126] != 0) || (tag[125] == ' ' && tag[126] != ' ');
    Version = v11 ? 2 : 1;
    SetTitle(FieldText(tag, 3, 30));
    SetArtist(FieldText(tag, 33, 30));
    SetAlbum(FieldText(tag, 63, 30));
    SetYear(FieldText(tag, 93, 4));
    SetComment(FieldText(tag, 97, v11 ? 28 : 30));
    if (v11) Track = tag[126];
    GenreID = tag[127];
  }
  if (LyricsExists) {
    const Bytes block = source.bytes(layout.lyrics3Offset, layout.lyrics3SizeValue);
    if (block.size() != layout.lyrics3SizeValue) return false;
    for (const Lyrics3Field& f : ParseLyrics3Fields(block)) {
      if (f.name == "IND") continue;
      if (f.name == "IMG") {
        Image = Latin1ToUtf8(f.value);
        continue;
      }
      // Texts end at a NUL, as in the 128-byte tag, so that a short value
      // reads the same from either place.
      const std::string value = Latin1ToUtf8(f.value.substr(0, f.value.find('\0')));
      if (f.name == "LYR") Lyrics = NormaliseLineEnds(Trim(value));
      else if (f.name == "INF") SetComment(value);
      else if (f.name == "AUT") Author = Trim(value);
      else if (f.name == "EAL") SetAlbum(Trim(value));
      else if (f.name == "EAR") SetArtist(Trim(value));
      else if (f.name == "ETT") SetTitle(Trim(value));
      else break;
    }
  }
  return true;
}

Bytes TID3v1::RenderTag() const {
  Bytes tag(kId3v1Size, 0);
  std::memcpy(tag.data(), "TAG", 3);
  PutField(tag, 3, 30, Title());
  PutField(tag, 33, 30, Artist());
  PutField(tag, 63, 30, Album());
  PutField(tag, 93, 4, Year());
  PutField(tag, 97, CommentRoom(Comment(), Track), Comment());
  if (Track != 0) tag[126] = Track;
  tag[127] = GenreID;
  return tag;
}

Bytes TID3v1::RenderLyricsBlock() const {
  // Due when there is something the 128 bytes cannot hold: lyrics, an author
  // or a value longer than 30 characters.
  // A comment of 29 or 30 characters the comment field cannot hold whole goes
  // into the block too.
  const std::string& longComment =
      extComment_.empty() && Utf8Length(comment_) > CommentRoom(comment_, Track) ? comment_ : extComment_;
  const auto has = [](const std::string& v) { return !Trim(v).empty(); };
  if (!has(Lyrics) && !has(Author) && !has(extTitle_) && !has(extArtist_) && !has(extAlbum_) &&
      !has(longComment))
    return {};
  std::vector<Lyrics3Field> fields;
  const std::pair<const char*, const std::string*> values[] = {
      {"EAL", &extAlbum_}, {"EAR", &extArtist_}, {"ETT", &extTitle_}, {"INF", &longComment},
      {"AUT", &Author},    {"LYR", &Lyrics},     {"IMG", &Image}};
  for (const auto& [name, value] : values)
    if (has(*value)) fields.push_back({name, Utf8ToLatin1(*value)});
  return RenderLyrics3Block(fields, !Lyrics.empty());
}

// The end of a file as this writer leaves it: the Lyrics3 block, then an APE
// tag that was there, then the ID3v1 tag. Readers look for the APE tag right
// in front of the ID3v1 tag, so the block goes in front of both.
bool TID3v1::SaveTags(const std::string& path) {
  EndTagLayout layout;
  const auto file = OpenLayout(path, layout);
  if (!file) return false;
  Bytes ape;
  if (!ReadApeTag(*file, layout, ape)) return false;
  const Bytes block = RenderLyricsBlock();
  Bytes tail = block;
  tail.insert(tail.end(), ape.begin(), ape.end());
  const Bytes tag = RenderTag();
  tail.insert(tail.end(), tag.begin(), tag.end());
  if (!ReplaceTail(path, layout.audioEnd, tail)) return false;
  Exists = true;
  LyricsExists = !block.empty();
  LyricsSize = block.empty() ? 0 : std::int32_t(block.size() - kLyrics3TrailerSize);
  return true;
}

bool TID3v1::StripTags(const std::string& path, bool rewrite) {
  EndTagLayout layout;
  const auto file = OpenLayout(path, layout);
  if (!file) return false;
  Bytes tail;
  if (!ReadApeTag(*file, layout, tail)) return false;
  if (rewrite) {
    const Bytes tag = RenderTag();
    tail.insert(tail.end(), tag.begin(), tag.end());
  }
  if (!ReplaceTail(path, layout.audioEnd, tail)) return false;
  Exists = rewrite;
  LyricsExists = false;
  LyricsSize = 0;
  return true;
}

bool TID3v1::WriteTag(const std::string& path, bool withLyricsBlock) {
  EndTagLayout layout;
  const auto file = OpenLayout(path, layout);
  if (!file) return false;
  // An APE tag that ends the file stays directly in front of the new tag,
  // with the block in front of it.
  const bool apeLast = layout.hasApe && layout.apeOffset + layout.apeSize == layout.fileSize;
  Bytes ape;
  if (apeLast && !ReadApeTag(*file, layout, ape)) return false;
  Bytes tail = withLyricsBlock ? RenderLyricsBlock() : Bytes();
  const std::size_t blockSize = tail.size();
  tail.insert(tail.end(), ape.begin(), ape.end());
  const Bytes tag = RenderTag();
  tail.insert(tail.end(), tag.begin(), tag.end());
  if (!ReplaceTail(path, apeLast ? layout.apeOffset : layout.fileSize, tail)) return false;
  Exists = true;
  if (blockSize > 0) {
    LyricsExists = true;
    LyricsSize = std::int32_t(blockSize - kLyrics3TrailerSize);
  }
  return true;
}

}  // namespace tags
