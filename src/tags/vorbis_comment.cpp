#include "tags/vorbis_comment.h"

#include "tags/toolkit/byte_order.h"
#include "tags/toolkit/text.h"

namespace tags {

namespace {

std::string_view NameOf(std::string_view item) {
  const std::size_t eq = item.find('=');
  return eq == std::string_view::npos ? std::string_view() : item.substr(0, eq);
}

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'a' && x <= 'z') x = char(x - 32);
    if (y >= 'a' && y <= 'z') y = char(y - 32);
    if (x != y) return false;
  }
  return true;
}

std::string ReadValue(std::string_view item) {
  const std::size_t eq = item.find('=');
  return eq == std::string_view::npos ? std::string() : Trim(AsUtf8(item.substr(eq + 1)));
}

// The number before a '/' ("5/12"), 0 when there is none or it does not fit.
std::uint8_t TrackOf(std::string_view text) {
  const std::uint32_t n = LeadingNumber(text);
  return n <= 255 ? std::uint8_t(n) : 0;
}

}  // namespace

std::size_t VorbisComment::Parse(const std::uint8_t* data, std::size_t n) {
  vendor.clear();
  items.clear();
  complete = false;
  if (n < 4) return 0;
  const std::uint32_t vendorLen = ReadLE32(data);
  std::size_t pos = 4;
  if (vendorLen > n - pos) return 0;
  vendor.assign(reinterpret_cast<const char*>(data + pos), vendorLen);
  pos += vendorLen;
  if (n - pos < 4) return pos;
  std::uint32_t count = ReadLE32(data + pos);
  pos += 4;
  // Each item needs at least its 4-byte length, which bounds a hostile count.
  for (; count > 0; --count) {
    if (n - pos < 4) return pos;
    const std::uint32_t len = ReadLE32(data + pos);
    if (len > n - pos - 4) return pos;
    items.emplace_back(reinterpret_cast<const char*>(data + pos + 4), len);
    pos += 4 + std::size_t(len);
  }
  complete = true;
  return pos;
}

Bytes VorbisComment::Render() const {
  Bytes out;
  AppendLE32(out, std::uint32_t(vendor.size()));
  AppendText(out, vendor);
  AppendLE32(out, std::uint32_t(items.size()));
  for (const std::string& item : items) {
    AppendLE32(out, std::uint32_t(item.size()));
    AppendText(out, item);
  }
  return out;
}

int VorbisComment::Find(std::string_view name) const {
  for (std::size_t i = 0; i < items.size(); ++i)
    if (SameName(NameOf(items[i]), name)) return int(i);
  return -1;
}

std::string VorbisComment::Value(std::string_view name) const {
  const int i = Find(name);
  return i < 0 ? std::string() : ReadValue(items[std::size_t(i)]);
}

void VorbisComment::Set(std::string_view name, std::string_view value) {
  // A field reads its first item, so a value it reads already changes nothing.
  if (Value(name) == value) return;
  if (value.empty()) {
    // Removing only the first item would let the next one show through.
    for (std::size_t i = items.size(); i-- > 0;)
      if (SameName(NameOf(items[i]), name)) items.erase(items.begin() + std::ptrdiff_t(i));
    return;
  }
  std::string item(name);
  item += '=';
  item += value;
  const int i = Find(name);
  if (i < 0)
    items.push_back(std::move(item));
  else
    items[std::size_t(i)] = std::move(item);
}

void CommentFields::Read(const VorbisComment& vc) {
  Vendor = AsUtf8(vc.vendor);
  Title = vc.Value("TITLE");
  Artist = vc.Value("ARTIST");
  if (Artist.empty()) Artist = vc.Value("PERFORMER");
  Album = vc.Value("ALBUM");
  Date = vc.Value("DATE");
  Genre = vc.Value("GENRE");
  Comment = vc.Value("COMMENT");
  if (Comment.empty()) Comment = vc.Value("DESCRIPTION");
  Track = TrackOf(vc.Value("TRACKNUMBER"));
}

namespace {

// A field its own name leaves empty reads the other name (ARTIST from
// PERFORMER, COMMENT from DESCRIPTION): a value read from there and kept
// stays where it is; a field emptied is emptied under both names, or the
// other would show through again.
void SetWithFallback(VorbisComment& vc, std::string_view name, std::string_view fallback, const std::string& value) {
  if (!value.empty() && vc.Value(name).empty() && vc.Value(fallback) == value) return;
  vc.Set(name, value);
  if (value.empty()) vc.Set(fallback, "");
}

}  // namespace

void CommentFields::Apply(VorbisComment& vc) const {
  if (Vendor != AsUtf8(vc.vendor)) vc.vendor = Vendor;
  vc.Set("TITLE", Trim(Title));
  SetWithFallback(vc, "ARTIST", "PERFORMER", Trim(Artist));
  vc.Set("ALBUM", Trim(Album));
  // "5/12" stays as it is while the track is still 5; so does a text that
  // does not read as a track number while the track is still 0.
  const std::string oldTrack = vc.Value("TRACKNUMBER");
  if (oldTrack.empty() || TrackOf(oldTrack) != Track)
    vc.Set("TRACKNUMBER", Track == 0 ? std::string() : std::to_string(Track));
  vc.Set("DATE", Trim(Date));
  vc.Set("GENRE", Trim(Genre));
  SetWithFallback(vc, "COMMENT", "DESCRIPTION", Trim(Comment));
}

}  // namespace tags
