#include "tags/taglib/mp4tag.h"

#include <taglib/mp4file.h>
#include <taglib/mp4tag.h>

#include <array>
#include <cstring>
#include <optional>

#include "tags/genres.h"
#include "tags/toolkit/byte_source.h"
#include "tags/toolkit/safe_file.h"
#include "tags/toolkit/text.h"

namespace tags {
namespace {

using TagLib::String;
using Record = std::array<std::uint8_t, kMp4RecordSize>;

// A text field of the record and the MP4 item that holds it.
struct TextField {
  std::size_t offset, size;
  const char* item;
};
const TextField kTextFields[] = {
    {kMp4ArtistOffset, kMp4TextSize, "\251ART"}, {kMp4AlbumOffset, kMp4TextSize, "\251alb"},
    {kMp4TitleOffset, kMp4TextSize, "\251nam"},  {kMp4YearOffset, kMp4YearSize, "\251day"},
    {kMp4CommentOffset, kMp4TextSize, "\251cmt"}, {kMp4ToolOffset, kMp4TextSize, "\251too"},
};
const char* const kGenreItem = "\251gen";

std::function<std::int32_t(const std::string&)> indexOfName;
std::function<std::string(std::int32_t)> nameAtIndex;

std::int32_t GenreIndexFor(const std::string& name) {
  if (indexOfName) return indexOfName(name);
  return GenreIndexOf(name);
}
std::string GenreNameFor(std::int32_t index) {
  if (nameAtIndex) return nameAtIndex(index);
  const char* name = index >= 0 ? GenreName(std::size_t(index)) : nullptr;
  return name ? name : "";
}

// The open file: its path, its whole values, the record as read and the
// record to write.
struct OpenFile {
  std::string path;
  std::array<std::string, std::size(kTextFields)> whole;
  std::string genre;
  Record asRead{};
  bool haveRead = false;
  Record toWrite{};
  bool haveWrite = false;
};
std::optional<OpenFile> open;

std::string ItemText(TagLib::MP4::Tag& tag, const char* item) {
  if (!tag.contains(item)) return {};
  const TagLib::StringList list = tag.item(item).toStringList();
  return list.isEmpty() ? std::string() : list.front().to8Bit(true);
}

void PutText(Record& r, const TextField& f, const std::string& text) {
  const std::string cut = Utf8CutBytes(text, f.size - 1);
  std::memset(r.data() + f.offset, 0, f.size);
  std::memcpy(r.data() + f.offset, cut.data(), cut.size());
}

std::string TextAt(const Record& r, const TextField& f) {
  const auto* begin = reinterpret_cast<const char*>(r.data() + f.offset);
  return std::string(begin, strnlen(begin, f.size));
}

std::int32_t GenreAt(const Record& r) {
  std::int32_t index = -1;
  std::memcpy(&index, r.data() + kMp4GenreOffset, sizeof index);
  return index;
}

bool SameBytes(const Record& a, const Record& b, std::size_t offset, std::size_t size) {
  return std::memcmp(a.data() + offset, b.data() + offset, size) == 0;
}

void SetItem(TagLib::MP4::Tag& tag, const char* item, const std::string& value) {
  if (value.empty())
    tag.removeItem(item);
  else
    tag.setItem(item, TagLib::StringList(String(value, String::UTF8)));
}

}  // namespace

int OpenMp4(const char* path) {
  CloseMp4();
  TagLib::MP4::File file(path, true);
  if (!file.isValid() || !file.audioProperties() || !file.tag()) return 0;
  OpenFile f;
  f.path = path;
  for (std::size_t i = 0; i < std::size(kTextFields); ++i) f.whole[i] = ItemText(*file.tag(), kTextFields[i].item);
  f.genre = file.tag()->genre().to8Bit(true);
  open = std::move(f);
  return 1;
}

void GetFileTags(void* record) {
  if (!open) return;
  Record r{};
  std::memcpy(r.data(), record, r.size());
  for (std::size_t i = 0; i < std::size(kTextFields); ++i) PutText(r, kTextFields[i], open->whole[i]);
  const std::int32_t genre = open->genre.empty() ? -1 : GenreIndexFor(open->genre);
  std::memcpy(r.data() + kMp4GenreOffset, &genre, sizeof genre);
  std::memcpy(record, r.data(), r.size());
  open->asRead = r;
  open->haveRead = true;
}

void SetFileTags(const void* record) {
  if (!open) return;
  std::memcpy(open->toWrite.data(), record, kMp4RecordSize);
  open->haveWrite = true;
}

int ChangeTags() {
  if (!open || !open->haveWrite) return 0;
  OpenFile& f = *open;
  // Only what the caller changed is written; the rest keeps its whole value.
  std::vector<std::pair<const char*, std::string>> changes;
  for (std::size_t i = 0; i < std::size(kTextFields); ++i) {
    const TextField& t = kTextFields[i];
    if (f.haveRead && SameBytes(f.toWrite, f.asRead, t.offset, t.size)) continue;
    const std::string value = TextAt(f.toWrite, t);
    if (value != f.whole[i]) changes.emplace_back(t.item, value);
  }
  if (!f.haveRead || !SameBytes(f.toWrite, f.asRead, kMp4GenreOffset, 4)) {
    const std::string genre = GenreNameFor(GenreAt(f.toWrite));
    if (genre != f.genre) changes.emplace_back(kGenreItem, genre);
  }
  if (changes.empty()) return 1;

  const auto source = FileSource::Open(f.path);
  if (!source) return 0;
  // TagLib changes a file in place and reports no write error: it works on a
  // complete copy, which must read back right before it replaces the file.
  const bool ok = ReplaceFile(
      f.path, [&](int out) { return CopyRange(source->fd(), 0, source->size(), out); },
      [&](const std::string& temp) {
        {
          TagLib::MP4::File copy(temp.c_str(), false);
          if (!copy.isValid() || !copy.tag()) return false;
          for (const auto& [item, value] : changes) SetItem(*copy.tag(), item, value);
          if (!copy.save()) return false;
        }
        TagLib::MP4::File check(temp.c_str(), true);
        if (!check.isValid() || !check.audioProperties() || !check.tag()) return false;
        for (const auto& [item, value] : changes)
          if (ItemText(*check.tag(), item) != value) return false;
        return true;
      });
  if (!ok) return 0;
  for (const auto& [item, value] : changes) {
    if (item == kGenreItem) f.genre = value;
    for (std::size_t i = 0; i < std::size(kTextFields); ++i)
      if (kTextFields[i].item == item) f.whole[i] = value;
  }
  f.asRead = f.toWrite;
  return 1;
}

void CloseMp4() { open.reset(); }

void SetMp4GenreMapping(std::function<std::int32_t(const std::string&)> indexOf,
                        std::function<std::string(std::int32_t)> nameAt) {
  indexOfName = std::move(indexOf);
  nameAtIndex = std::move(nameAt);
}

}  // namespace tags
