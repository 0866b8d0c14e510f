#include "dialogs/tag_editing.h"

#include <sys/stat.h>

#include <cstring>

#include "tags/toolkit/text.h"

namespace {

bool IsRegularFile(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// The six values of a tag that keeps them as plain fields (ID3v2, APE).
template <typename Tag>
TagValues FromFields(const Tag& t) {
  return {t.Title, t.Artist, t.Album, t.Year, t.Genre, t.Comment};
}
TagValues FromID3v1(const tags::TID3v1& t) {
  return {t.Title(), t.Artist(), t.Album(), t.Year(), t.Genre(), t.Comment()};
}
template <typename Reader>
TagValues FromVorbis(const Reader& r) {
  return {r.Title, r.Artist, r.Album, r.Date, r.Genre, r.Comment};
}

// A NUL-terminated text field of the MP4 record.
std::string RecordText(const std::uint8_t* record, std::size_t offset, std::size_t size) {
  const auto* begin = reinterpret_cast<const char*>(record + offset);
  return std::string(begin, strnlen(begin, size));
}

// A field whose shown value was not edited keeps its bytes, so that the
// library writes back the file's own whole value rather than a cut one.
void SetRecordText(std::uint8_t* record, std::size_t offset, std::size_t size, const std::string& shown) {
  if (shown == RecordText(record, offset, size)) return;
  const std::string text = tags::Trim(shown);
  const std::string cut = tags::Utf8CutBytes(text, size - 1);
  std::memset(record + offset, 0, size);
  std::memcpy(record + offset, cut.data(), cut.size());
}

// The same rule for the WMA record's short texts.
template <typename Field>
void SetIfEdited(Field& field, const std::string& shown) {
  if (shown != field.str()) field.set(tags::Trim(shown));
}

}  // namespace

OpenedTags ReadMp4TagsForEditing(TagReaders& readers, const std::string& path) {
  OpenedTags opened;
  if (!tags::OpenMp4(path.c_str())) return opened;
  // Reached from an "AAC" entry, whose APE box was enabled before the MP4
  // container was found; it writes nothing here.
  opened.ape = {true, false};
  readers.mp4.fill(0);
  tags::GetFileTags(readers.mp4.data());
  const std::uint8_t* r = readers.mp4.data();
  opened.values = TagValues{RecordText(r, tags::kMp4TitleOffset, tags::kMp4TextSize),
                            RecordText(r, tags::kMp4ArtistOffset, tags::kMp4TextSize),
                            RecordText(r, tags::kMp4AlbumOffset, tags::kMp4TextSize),
                            RecordText(r, tags::kMp4YearOffset, tags::kMp4YearSize),
                            std::string(),
                            RecordText(r, tags::kMp4CommentOffset, tags::kMp4TextSize)};
  std::int32_t genre = 0;
  std::memcpy(&genre, r + tags::kMp4GenreOffset, sizeof genre);
  opened.mp4Genre = genre;
  opened.kind = TagSaveKind::Mp4;
  opened.show = true;
  return opened;
}

namespace {

// APE, AAC and MPC files: three tags, the APE tag read first and the ID3
// tags overwriting it where present.
template <typename Reader>
OpenedTags OpenTagged(Reader& reader, const std::string& path, TagSaveKind kind) {
  OpenedTags opened;
  if (!reader.ReadFromFile(path)) return opened;
  opened.show = true;
  opened.kind = kind;
  opened.id3v1 = {true, reader.ID3v1.Exists};
  opened.id3v2 = {true, reader.ID3v2.Exists};
  opened.ape = {true, reader.APEtag.Exists};
  if (opened.ape.checked) opened.values = FromFields(reader.APEtag);
  if (opened.id3v1.checked) opened.values = FromID3v1(reader.ID3v1);
  if (opened.id3v2.checked) opened.values = FromFields(reader.ID3v2);
  return opened;
}

// The six values through the setters ID3v1, ID3v2 and APE tags share.
template <typename Tag>
void SetSixValues(Tag& t, const TagValues& v) {
  t.SetTitle(v.title);
  t.SetArtist(v.artist);
  t.SetAlbum(v.album);
  t.SetYear(v.year);
  t.SetGenre(v.genre);
  t.SetComment(v.comment);
}

// An APE save drops a Lyrics3 block; its lyrics move into the APE tag.
template <typename Reader>
void KeepLyricsInApe(Reader& reader) {
  const std::string lyrics = tags::Trim(reader.ID3v1.Lyrics);
  if (!reader.ID3v1.LyricsExists || lyrics.empty()) return;
  auto& items = reader.APEtag.OtherItems;
  for (const auto& item : items)
    if (tags::ToUpperAscii(item.key) == "LYRICS") return;
  items.push_back({"Lyrics", 0, tags::Bytes(lyrics.begin(), lyrics.end())});
}

template <typename Reader>
void SetVorbis(Reader& reader, const TagValues& v) {
  reader.Title = v.title;
  reader.Artist = v.artist;
  reader.Album = v.album;
  reader.Date = v.year;
  reader.Genre = v.genre;
  reader.Comment = v.comment;
}

// ID3v1, ID3v2 and APE, each when its box is checked; a failure does not stop
// the next.
template <typename Reader>
void SaveThreeTags(Reader& reader, const std::string& path, const TagSaveRequest& request,
                   std::vector<std::string>& failures) {
  if (request.id3v1) {
    SetSixValues(reader.ID3v1, request.values);
    reader.ID3v1.Author = kProducerStamp;
    if (!reader.ID3v1.SaveTags(path)) failures.push_back("Can not save ID3V1 tag to: " + path);
  }
  if (request.id3v2) {
    SetSixValues(reader.ID3v2, request.values);
    reader.ID3v2.SetEncoder(kProducerStamp);
    if (!reader.ID3v2.SaveTags(path)) failures.push_back("Can not save ID3V2 tag to: " + path);
  }
  if (request.ape) {
    SetSixValues(reader.APEtag, request.values);
    KeepLyricsInApe(reader);
    if (!reader.APEtag.SaveTags(path)) failures.push_back("Can not save APE tag to: " + path);
  }
}

}  // namespace

OpenedTags ReadTagsForEditing(TagReaders& readers, const std::string& path, const std::string& type) {
  OpenedTags opened;
  if (!IsRegularFile(path)) return opened;
  if (type == "MP3") {
    if (!readers.mpeg.ReadFromFile(path)) return opened;
    opened.show = true;
    opened.kind = TagSaveKind::Mp3;
    opened.id3v1 = {true, readers.mpeg.ID3v1.Exists};
    opened.id3v2 = {true, readers.mpeg.ID3v2.Exists};
    opened.values = opened.id3v2.checked ? FromFields(readers.mpeg.ID3v2) : FromID3v1(readers.mpeg.ID3v1);
  } else if (type == "APE") {
    opened = OpenTagged(readers.monkey, path, TagSaveKind::Ape);
  } else if (type == "MPC") {
    opened = OpenTagged(readers.mpc, path, TagSaveKind::Mpc);
  } else if (type == "AAC") {
    opened = OpenTagged(readers.aac, path, TagSaveKind::Aac);
  } else if (type == "OGG") {
    if (!readers.ogg.LoadFile(path) || !readers.ogg.Valid()) return opened;
    opened.show = true;
    opened.kind = TagSaveKind::Ogg;
    opened.id3v2 = {false, readers.ogg.ID3v2Size() > 0};
    opened.values = FromVorbis(readers.ogg);
  } else if (type == "FLAC") {
    if (!readers.flac.LoadFile(path) || !readers.flac.Valid()) return opened;
    opened.show = true;
    opened.kind = TagSaveKind::Flac;
    opened.values = FromVorbis(readers.flac);
  } else if (type == "WMA") {
    opened.show = true;
    if (tags::ReadWmaTags(path, readers.wma)) {
      const tags::TTagsData& w = readers.wma;
      opened.kind = TagSaveKind::Wma;
      opened.values = TagValues{w.Title.str(), w.Artist.str(), w.Album.str(),
                                w.Year.str(),  w.Genre.str(),  w.Description};
    } else {
      opened.error = path + " Could Not Load Tags!";
    }
  } else {
    opened.show = true;
  }
  return opened;
}

std::vector<std::string> SaveEditedTags(TagReaders& readers, const std::string& path,
                                        const TagSaveRequest& request) {
  std::vector<std::string> failures;
  const TagValues& v = request.values;
  switch (request.kind) {
    case TagSaveKind::Mp3: {
      TagSaveRequest id3Only = request;  // an MP3 gets no APE tag
      id3Only.ape = false;
      SaveThreeTags(readers.mpeg, path, id3Only, failures);
      break;
    }
    case TagSaveKind::Ape:
      SaveThreeTags(readers.monkey, path, request, failures);
      break;
    case TagSaveKind::Aac:
      SaveThreeTags(readers.aac, path, request, failures);
      break;
    case TagSaveKind::Mpc:
      SaveThreeTags(readers.mpc, path, request, failures);
      break;
    case TagSaveKind::Ogg:
      SetVorbis(readers.ogg, v);
      if (!readers.ogg.SaveTags(path)) failures.push_back("Can not save Ogg tag to: " + path);
      break;
    case TagSaveKind::Flac:
      SetVorbis(readers.flac, v);
      if (!readers.flac.SaveTags(path)) failures.push_back("Can not save FLAC tag to: " + path);
      break;
    case TagSaveKind::Wma: {
      // Starts from the record read, so the values not shown stay as they are.
      tags::TTagsData& w = readers.wma;
      w.EncodedBy.set(kProducerStamp);
      SetIfEdited(w.Title, v.title);
      SetIfEdited(w.Artist, v.artist);
      SetIfEdited(w.Album, v.album);
      SetIfEdited(w.Year, v.year);
      SetIfEdited(w.Genre, v.genre);
      if (v.comment != w.Description) w.Description = tags::Trim(v.comment);
      if (!tags::WriteWmaTags(w)) failures.push_back("Could not save WMA Tag to " + path);
      break;
    }
    case TagSaveKind::Mp4: {
      std::uint8_t* r = readers.mp4.data();
      SetRecordText(r, tags::kMp4TitleOffset, tags::kMp4TextSize, v.title);
      SetRecordText(r, tags::kMp4ArtistOffset, tags::kMp4TextSize, v.artist);
      SetRecordText(r, tags::kMp4AlbumOffset, tags::kMp4TextSize, v.album);
      SetRecordText(r, tags::kMp4YearOffset, tags::kMp4YearSize, v.year);
      SetRecordText(r, tags::kMp4CommentOffset, tags::kMp4TextSize, v.comment);
      SetRecordText(r, tags::kMp4ToolOffset, tags::kMp4TextSize, kProducerStamp);
      std::memcpy(r + tags::kMp4GenreOffset, &request.mp4Genre, sizeof request.mp4Genre);
      tags::SetFileTags(r);
      if (!tags::ChangeTags()) failures.push_back("Can not save MP4 tag to: " + path);
      break;
    }
    case TagSaveKind::None:
      break;
  }
  return failures;
}
