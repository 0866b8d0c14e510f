#include "tags/taglib/mp4tag.h"

#include <taglib/mp4file.h>
#include <taglib/mp4tag.h>
#include <taglib/tfilestream.h>

#include <array>
#include <cstring>
#include <map>
#include <mutex>
#include <optional>
#include <vector>

#include "tags/genres.h"
#include "tags/taglib/edit_and_sync.h"
#include "tags/taglib/taglib_text.h"
#include "tags/toolkit/safe_file.h"
#include "tags/toolkit/text.h"

namespace tags {
namespace {

using Record = std::array<std::uint8_t, kMp4RecordSize>;

struct RecordText {
  const char* key;  // the iTunes-style item; \251 is the copyright sign
  std::size_t offset, size;
};

constexpr RecordText kTexts[] = {
    {"\251ART", kMp4ArtistOffset, kMp4TextSize},   {"\251alb", kMp4AlbumOffset, kMp4TextSize},
    {"\251nam", kMp4TitleOffset, kMp4TextSize},    {"\251day", kMp4YearOffset, kMp4YearSize},
    {"\251cmt", kMp4CommentOffset, kMp4TextSize}, {"\251too", kMp4ToolOffset, kMp4TextSize},
};
constexpr const char* kGenreKey = "\251gen";

// One change to the file's items: a new text, or none to remove the item.
struct ItemEdit {
  std::string key;
  std::optional<std::string> text;
};

// The open file: its items' whole texts, and the records exchanged with the
// caller, which tell which fields the caller changed.
struct OpenFile {
  std::string path;
  std::map<std::string, std::string> texts;  // by item key, only items present
  std::optional<Record> given;               // as GetFileTags filled it
  std::optional<Record> taken;               // as SetFileTags passed it
};

std::mutex gMutex;
std::optional<OpenFile> gOpen;
std::function<std::int32_t(const std::string&)> gIndexOfName;
std::function<std::string(std::int32_t)> gNameAtIndex;

std::int32_t GenreIndex(const std::string& name) {
  return gIndexOfName ? gIndexOfName(name) : std::int32_t(GenreIndexOf(name));
}

std::string GenreNameAt(std::int32_t index) {
  if (gNameAtIndex) return gNameAtIndex(index);
  const char* name = index >= 0 ? GenreName(std::size_t(index)) : nullptr;
  return name ? name : "";
}

std::map<std::string, std::string> ItemTexts(const TagLib::MP4::Tag& tag) {
  std::map<std::string, std::string> texts;
  std::vector<const char*> keys;
  for (const RecordText& t : kTexts) keys.push_back(t.key);
  keys.push_back(kGenreKey);
  for (const char* key : keys) {
    if (!tag.contains(key)) continue;
    const TagLib::StringList list = tag.item(key).toStringList();
    texts[key] = list.isEmpty() ? std::string() : FromTagLib(list.front());
  }
  return texts;
}

std::string TextAt(const Record& r, std::size_t offset, std::size_t size) {
  const auto* p = reinterpret_cast<const char*>(r.data() + offset);
  return Utf8CutBytes(AsUtf8(std::string(p, strnlen(p, size))), size - 1);
}

void PutText(std::uint8_t* r, std::size_t offset, std::size_t size, const std::string& text) {
  const std::string cut = Utf8CutBytes(text, size - 1);
  std::memset(r + offset, 0, size);
  std::memcpy(r + offset, cut.data(), cut.size());
}

std::int32_t GenreAt(const Record& r) {
  std::int32_t index;
  std::memcpy(&index, r.data() + kMp4GenreOffset, sizeof index);
  return index;
}

bool SameBytes(const Record& a, const Record& b, std::size_t offset, std::size_t size) {
  return std::memcmp(a.data() + offset, b.data() + offset, size) == 0;
}

// The edits the taken record asks for. A field whose bytes are as GetFileTags
// put them is left alone, so the file keeps its whole value.
std::vector<ItemEdit> EditsFor(const OpenFile& f, const Record& taken) {
  std::vector<std::pair<std::string, std::string>> wanted;
  for (const RecordText& t : kTexts)
    if (!f.given || !SameBytes(*f.given, taken, t.offset, t.size))
      wanted.emplace_back(t.key, TextAt(taken, t.offset, t.size));
  if (!f.given || GenreAt(*f.given) != GenreAt(taken))
    wanted.emplace_back(kGenreKey, GenreAt(taken) < 0 ? std::string() : GenreNameAt(GenreAt(taken)));

  std::vector<ItemEdit> edits;
  for (const auto& [key, text] : wanted) {
    const auto now = f.texts.find(key);
    if (text.empty() && now != f.texts.end())
      edits.push_back({key, std::nullopt});
    else if (!text.empty() && (now == f.texts.end() || now->second != text))
      edits.push_back({key, text});
  }
  return edits;
}

void ApplyEdits(TagLib::MP4::Tag& tag, const std::vector<ItemEdit>& edits) {
  for (const ItemEdit& e : edits) {
    if (e.text)
      tag.setItem(e.key, TagLib::StringList(ToTagLib(*e.text)));
    else
      tag.removeItem(e.key);
  }
}

// TagLib saves into the copy at temp; the copy is then read again and must
// hold every edit and no more or fewer items than meant.
bool SaveIntoCopy(const std::string& temp, const std::vector<ItemEdit>& edits) {
  std::size_t itemCount = 0;
  const bool saved = EditAndSync(temp, [&] {
    TagLib::FileStream stream(temp.c_str(), false);
    TagLib::MP4::File file(&stream, false);
    if (!file.isValid() || stream.readOnly() || !file.tag()) return false;
    ApplyEdits(*file.tag(), edits);
    itemCount = file.tag()->itemMap().size();
    return file.save();
  });
  if (!saved) return false;

  TagLib::FileStream stream(temp.c_str(), true);
  TagLib::MP4::File file(&stream, true);
  const TagLib::MP4::Properties* audio = file.audioProperties();
  if (!file.isValid() || !file.tag() || !audio || audio->sampleRate() <= 0) return false;
  if (file.tag()->itemMap().size() != itemCount) return false;
  const auto texts = ItemTexts(*file.tag());
  for (const ItemEdit& e : edits) {
    const auto found = texts.find(e.key);
    if (e.text ? (found == texts.end() || found->second != *e.text) : found != texts.end()) return false;
  }
  return true;
}

}  // namespace

int OpenMp4(const char* path) {
  std::lock_guard lock(gMutex);
  gOpen.reset();
  if (!path) return 0;
  TagLib::FileStream stream(path, true);
  if (!stream.isOpen()) return 0;
  TagLib::MP4::File file(&stream, true);
  const TagLib::MP4::Properties* audio = file.audioProperties();
  if (!file.isValid() || !file.tag() || !audio || audio->sampleRate() <= 0 || audio->channels() <= 0) return 0;
  gOpen = OpenFile{path, ItemTexts(*file.tag()), std::nullopt, std::nullopt};
  return 1;
}

void GetFileTags(void* record) {
  std::lock_guard lock(gMutex);
  if (!gOpen || !record) return;
  auto* r = static_cast<std::uint8_t*>(record);
  for (const RecordText& t : kTexts) {
    const auto found = gOpen->texts.find(t.key);
    PutText(r, t.offset, t.size, found == gOpen->texts.end() ? std::string() : found->second);
  }
  const auto genre = gOpen->texts.find(kGenreKey);
  const std::int32_t index = genre == gOpen->texts.end() ? -1 : GenreIndex(genre->second);
  std::memcpy(r + kMp4GenreOffset, &index, sizeof index);
  gOpen->given.emplace();
  std::memcpy(gOpen->given->data(), r, kMp4RecordSize);
}

void SetFileTags(const void* record) {
  std::lock_guard lock(gMutex);
  if (!gOpen || !record) return;
  gOpen->taken.emplace();
  std::memcpy(gOpen->taken->data(), record, kMp4RecordSize);
}

int ChangeTags() {
  std::lock_guard lock(gMutex);
  if (!gOpen || !gOpen->taken) return 0;
  const std::vector<ItemEdit> edits = EditsFor(*gOpen, *gOpen->taken);
  if (!edits.empty()) {
    const auto source = FileSource::Open(gOpen->path);
    if (!source) return 0;
    const bool ok = ReplaceFile(
        gOpen->path, [&](int out) { return CopyRange(source->fd(), 0, source->size(), out); },
        [&](const std::string& temp) { return SaveIntoCopy(temp, edits); });
    if (!ok) return 0;
    for (const ItemEdit& e : edits) {
      if (e.text)
        gOpen->texts[e.key] = *e.text;
      else
        gOpen->texts.erase(e.key);
    }
  }
  gOpen->given = gOpen->taken;
  return 1;
}

void CloseMp4() {
  std::lock_guard lock(gMutex);
  gOpen.reset();
}

void SetMp4GenreMapping(std::function<std::int32_t(const std::string&)> indexOfName,
                        std::function<std::string(std::int32_t)> nameAtIndex) {
  std::lock_guard lock(gMutex);
  gIndexOfName = std::move(indexOfName);
  gNameAtIndex = std::move(nameAtIndex);
}

}  // namespace tags
