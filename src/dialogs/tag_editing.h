// What the tag editor reads from a recording and writes back, without any
// widget: which tag kinds a file offers, the six values shown, and the save
// through the format's writers with the messages of those that failed.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "tags/aac_file.h"
#include "tags/flac_tags.h"
#include "tags/monkey.h"
#include "tags/mpeg_audio.h"
#include "tags/mpeg_plus.h"
#include "tags/ogg_vorbis.h"
#include "tags/taglib/mp4tag.h"
#include "tags/taglib/wma_tags.h"

// Which save routine OK runs.
enum class TagSaveKind { None = 0, Mp3 = 1, Ape = 2, Ogg = 3, Wma = 4, Aac = 5, Mpc = 6, Mp4 = 7, Flac = 8 };

// The file readers the main window keeps for the whole run; the editor reads
// into them and saves through the same objects, so values it does not show
// are written back unchanged.
struct TagReaders {
  tags::TMPEGaudio mpeg;
  tags::TMonkey monkey;
  tags::TOggVorbis ogg;
  tags::TAACfile aac;
  tags::TMPEGplus mpc;
  tags::TFlacTags flac;
  tags::TTagsData wma;
  std::array<std::uint8_t, tags::kMp4RecordSize> mp4{};  // FMp4Tags
};

struct TagValues {
  std::string title, artist, album, year, genre, comment;  // UTF-8
};

struct TagBox {
  bool enabled = false;
  bool checked = false;
};

struct OpenedTags {
  bool show = false;  // false: the file is not opened (missing, or not its format)
  TagSaveKind kind = TagSaveKind::None;
  TagBox id3v1, id3v2, ape;
  std::optional<TagValues> values;     // nothing when no tag was read
  std::optional<std::int32_t> mp4Genre;  // MP4: the record's genre index, not a name
  std::string error;                    // shown before the dialog (a failed WMA read)
};

// Reads the file of a list entry of the given Type ("MP3", "APE", "AAC",
// "MPC", "OGG", "WMA", "FLAC") into the readers. An "AAC" file that is not
// ADTS or ADIF is not opened here (see ReadMp4TagsForEditing).
OpenedTags ReadTagsForEditing(TagReaders& readers, const std::string& path, const std::string& type);

// An .m4a or .mp4 file: the MP4 metadata through the mp4tag functions, left
// open for the save; the caller closes it with CloseMp4.
OpenedTags ReadMp4TagsForEditing(TagReaders& readers, const std::string& path);

struct TagSaveRequest {
  TagSaveKind kind = TagSaveKind::None;
  TagValues values;
  bool id3v1 = false, id3v2 = false, ape = false;
  std::int32_t mp4Genre = -1;  // the genre box's index, for MP4
};

// Writes the values with the writers the kind and the boxes choose; returns
// the message of every writer that failed (a failure does not stop the next).
std::vector<std::string> SaveEditedTags(TagReaders& readers, const std::string& path,
                                        const TagSaveRequest& request);

// The text every save leaves in the field a format has for the producing program.
inline constexpr const char* kProducerStamp = "Made by Zovedu";
