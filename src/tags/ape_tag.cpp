#include "tags/ape_tag.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "tags/end_tags.h"
#include "tags/spliced_source.h"
#include "tags/toolkit/byte_order.h"
#include "tags/toolkit/safe_file.h"
#include "tags/toolkit/text.h"

namespace tags {
namespace {

constexpr std::uint32_t kTypeMask = 0x6;  // item flag bits 1-2: 0 = UTF-8 text

bool SameKey(std::string_view a, std::string_view b) { return ToUpperAscii(a) == ToUpperAscii(b); }

void AppendItem(Bytes& out, std::string_view key, std::uint32_t flags, const std::uint8_t* value, std::size_t n) {
  AppendLE32(out, std::uint32_t(n));
  AppendLE32(out, flags);
  AppendText(out, key);
  out.push_back(0);
  out.insert(out.end(), value, value + n);
}

void AppendTextItem(Bytes& out, std::string_view key, const std::string& value, std::uint32_t& count) {
  if (value.empty()) return;
  AppendItem(out, key, 0, reinterpret_cast<const std::uint8_t*>(value.data()), value.size());
  ++count;
}

}  // namespace

void TAPEtag::ResetData() {
  Exists = false;
  Version = 0;
  Size = 0;
  Track = 0;
  Title.clear(), Artist.clear(), Album.clear(), Year.clear(), Genre.clear(), Comment.clear(), Copyright.clear();
  OtherItems.clear();
  trackText_.clear();
}

void TAPEtag::SetTitle(std::string_view v) { Title = Trim(v); }
void TAPEtag::SetArtist(std::string_view v) { Artist = Trim(v); }
void TAPEtag::SetAlbum(std::string_view v) { Album = Trim(v); }
void TAPEtag::SetTrack(std::uint8_t v) { Track = v; }
void TAPEtag::SetYear(std::string_view v) { Year = Trim(v); }
void TAPEtag::SetGenre(std::string_view v) { Genre = Trim(v); }
void TAPEtag::SetComment(std::string_view v) { Comment = Trim(v); }
void TAPEtag::SetCopyright(std::string_view v) { Copyright = Trim(v); }

bool TAPEtag::LoadTags(const std::string& path) {
  const auto file = FileSource::Open(path);
  if (!file) return false;
  return LoadTags(*file);
}

bool TAPEtag::LoadTags(const ByteSource& source) {
  ResetData();
  const EndTagLayout layout = LocateEndTags(source);
  if (!layout.hasApe) return true;
  const Bytes items = source.bytes(layout.apeItemsOffset, std::size_t(layout.apeItemsSize()));
  if (items.size() != layout.apeItemsSize()) return false;
  Exists = true;
  Version = layout.apeVersion;
  Size = layout.apeTagSize;

  const std::pair<const char*, void (TAPEtag::*)(std::string_view)> fields[] = {
      {"Title", &TAPEtag::SetTitle}, {"Artist", &TAPEtag::SetArtist},   {"Album", &TAPEtag::SetAlbum},
      {"Year", &TAPEtag::SetYear},   {"Genre", &TAPEtag::SetGenre},     {"Comment", &TAPEtag::SetComment},
      {"Copyright", &TAPEtag::SetCopyright}};
  // Every item takes at least 9 bytes, so the loop ends with the items.
  std::size_t pos = 0;
  for (std::uint32_t i = 0; i < layout.apeItemCount && items.size() - pos >= 9; ++i) {
    const std::uint32_t valueSize = ReadLE32(&items[pos]);
    const std::uint32_t flags = ReadLE32(&items[pos + 4]);
    const auto keyBegin = items.begin() + std::ptrdiff_t(pos + 8);
    const auto keyEnd = std::find(keyBegin, items.end(), 0);
    if (keyEnd == items.end()) break;
    const std::size_t value = std::size_t(keyEnd - items.begin()) + 1;
    if (valueSize > items.size() - value) break;
    const std::string key(keyBegin, keyEnd);
    const auto valueBegin = items.begin() + std::ptrdiff_t(value);
    Bytes raw(valueBegin, valueBegin + std::ptrdiff_t(valueSize));
    pos = value + valueSize;

    const bool isText = (flags & kTypeMask) == 0;
    // Older taggers wrote their code page into version 1000 tags.
    const std::string text = isText ? AsUtf8(std::string(raw.begin(), raw.end())) : std::string();
    if (isText && Version == 1000) raw.assign(text.begin(), text.end());
    bool known = false;
    for (const auto& [name, set] : fields) {
      if (isText && SameKey(key, name)) {
        (this->*set)(text);
        known = true;
        break;
      }
    }
    if (!known && isText && SameKey(key, "Track")) {
      const std::string trimmed = Trim(text);
      const std::uint32_t number = LeadingNumber(trimmed);
      // A track the field cannot hold stays an item of its own.
      if (number >= 1 && number <= 255) {
        Track = std::uint8_t(number);
        trackText_ = trimmed;
        known = true;
      }
    }
    if (!known) OtherItems.push_back({key, flags, std::move(raw)});
  }
  // With a usable track number, other Track items are duplicates the next save drops.
  if (Track != 0)
    OtherItems.erase(std::remove_if(OtherItems.begin(), OtherItems.end(),
                                    [](const RawItem& item) { return SameKey(item.key, "Track"); }),
                     OtherItems.end());
  return true;
}

Bytes TAPEtag::Render() const {
  Bytes items;
  std::uint32_t count = 0;
  AppendTextItem(items, "Title", Title, count);
  AppendTextItem(items, "Artist", Artist, count);
  AppendTextItem(items, "Album", Album, count);
  if (Track != 0)
    AppendTextItem(items, "Track", LeadingNumber(trackText_) == Track ? trackText_ : std::to_string(Track), count);
  AppendTextItem(items, "Year", Year, count);
  AppendTextItem(items, "Genre", Genre, count);
  AppendTextItem(items, "Comment", Comment, count);
  AppendTextItem(items, "Copyright", Copyright, count);

  bool plain = IsAscii(Title) && IsAscii(Artist) && IsAscii(Album) && IsAscii(Year) && IsAscii(Genre) &&
               IsAscii(Comment) && IsAscii(Copyright) && IsAscii(trackText_);
  for (const RawItem& item : OtherItems) {
    if (Track != 0 && SameKey(item.key, "Track")) continue;  // the field replaces it
    AppendItem(items, item.key, item.flags, item.value.data(), item.value.size());
    ++count;
    plain = plain && (item.flags & kTypeMask) == 0 &&
            IsAscii(std::string_view(reinterpret_cast<const char*>(item.value.data()), item.value.size()));
  }

  Bytes out = std::move(items);
  const std::uint32_t tagSize = std::uint32_t(out.size() + kApeFooterSize);
  AppendText(out, "APETAGEX");
  AppendLE32(out, plain ? 1000 : 2000);
  AppendLE32(out, tagSize);
  AppendLE32(out, count);
  AppendLE32(out, 0);
  out.insert(out.end(), 8, 0);
  return out;
}

// A Lyrics3 block stays as it is, in front of the new tag: fields this tag
// has no place for (an image, lyrics, an author) live on there.
bool TAPEtag::SaveTags(const std::string& path) {
  const auto file = FileSource::Open(path);
  if (!file) return false;
  const EndTagLayout layout = LocateEndTags(*file);
  Bytes tail;
  if (!ReadLyrics3Block(*file, layout, tail)) return false;
  const std::size_t tagAt = tail.size();
  const Bytes tag = Render();
  tail.insert(tail.end(), tag.begin(), tag.end());
  if (layout.hasId3v1) {
    const Bytes id3v1 = file->bytes(layout.id3v1Offset, kId3v1Size);
    if (id3v1.size() != kId3v1Size) return false;
    tail.insert(tail.end(), id3v1.begin(), id3v1.end());
  }
  // The ID3v1 tag's last bytes may read as an APE footer once the file has
  // grown; a save that would not read back as written is refused.
  const EndTagLayout result = LocateEndTags(SplicedSource(*file, layout.audioEnd, tail));
  if (!result.hasApe || result.apeOffset != layout.audioEnd + tagAt || result.apeSize != tag.size() ||
      result.hasId3v1 != layout.hasId3v1 || result.hasLyrics3 != layout.hasLyrics3 ||
      result.audioEnd != layout.audioEnd)
    return false;
  if (!ReplaceTail(path, layout.audioEnd, tail)) return false;
  Exists = true;
  Version = ReadLE32(&tag[tag.size() - 24]);
  Size = std::uint32_t(tag.size());
  return true;
}

bool TAPEtag::StripTags(const std::string& path) {
  const auto file = FileSource::Open(path);
  if (!file) return false;
  const EndTagLayout layout = LocateEndTags(*file);
  Bytes tail;
  if (!ReadLyrics3Block(*file, layout, tail)) return false;
  if (layout.hasId3v1) {
    const Bytes id3v1 = file->bytes(layout.id3v1Offset, kId3v1Size);
    if (id3v1.size() != kId3v1Size) return false;
    tail.insert(tail.end(), id3v1.begin(), id3v1.end());
  }
  if (!ReplaceTail(path, layout.audioEnd, tail)) return false;
  Exists = false;
  Size = 0;
  return true;
}

}  // namespace tags
