// MP4/M4A metadata exchanged as one fixed-layout record of 1744 bytes through
// five calls: OpenMp4, GetFileTags, SetFileTags, ChangeTags, CloseMp4. Texts in
// the record are NUL-terminated UTF-8; the genre is an index into the tag
// editor's genre list. Backed by TagLib; a save goes into a complete copy of
// the file that is checked before it replaces the file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

namespace tags {

inline constexpr std::size_t kMp4RecordSize = 1744;
inline constexpr std::size_t kMp4ArtistOffset = 0;
inline constexpr std::size_t kMp4AlbumOffset = 256;
inline constexpr std::size_t kMp4TitleOffset = 512;
inline constexpr std::size_t kMp4GenreOffset = 800;  // int32, -1 none
inline constexpr std::size_t kMp4YearOffset = 868;
inline constexpr std::size_t kMp4YearSize = 8;
inline constexpr std::size_t kMp4CommentOffset = 876;
inline constexpr std::size_t kMp4ToolOffset = 1132;
inline constexpr std::size_t kMp4TextSize = 256;

// Non-zero when path is an MP4 file with an audio track; a file opened before
// is closed first.
int OpenMp4(const char* path);
// Fills the record from the open file's metadata.
void GetFileTags(void* record);
// Takes the record to be written by ChangeTags.
void SetFileTags(const void* record);
// Writes the record taken into the file; non-zero on success. Fields whose
// bytes are still as GetFileTags put them keep the file's own whole value.
int ChangeTags();
// Forgets the open file; harmless when nothing is open.
void CloseMp4();

// How genre names and the record's index relate: the tag editor's list. An
// empty function falls back to the ID3v1 genre list.
void SetMp4GenreMapping(std::function<std::int32_t(const std::string&)> indexOfName,
                        std::function<std::string(std::int32_t)> nameAtIndex);

}  // namespace tags
