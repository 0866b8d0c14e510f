#include <algorithm>

#include "tags/end_tags.h"
#include "tags/id3v1.h"
#include "tags/toolkit/text.h"
#include "targets/fuzz_support.h"
#include "targets/fuzz_targets.h"
#include "targets/sample_values.h"

namespace zovedu_fuzz {

// Loads the input as a file, sets title and artist, saves and loads again: the
// new values are there whole, everything in front of the old end tags is
// unchanged, and an APE tag that was there is still there, byte for byte,
// right in front of the ID3v1 tag.
int FuzzId3v1Roundtrip(const std::uint8_t* data, std::size_t size) {
  const char* name = "id3v1_roundtrip";
  const std::string path = WriteScratchFile(data, size);
  const tags::Bytes before(data, data + size);
  const tags::EndTagLayout old = tags::LocateEndTags(tags::MemorySource(data, size));
  const std::uint64_t keep = old.audioEnd;
  const tags::Bytes ape(before.begin() + std::ptrdiff_t(old.hasApe ? old.apeOffset : 0),
                        before.begin() + std::ptrdiff_t(old.hasApe ? old.apeOffset + old.apeSize : 0));
  tags::TID3v1 tag;
  const bool loaded = tag.LoadTags(path, true);
  const tags::TID3v1 original = tag;
  const std::string title = SampleLatin1Text(data, size, 0, 1000);
  const std::string artist = SampleLatin1Text(data, size, 1, 1000);
  tag.SetTitle(title);
  tag.SetArtist(artist);
  if (!CheckedSave(name, path, before, [&] { return tag.SaveTags(path); })) return 0;

  const tags::Bytes after = ReadWholeFile(path);
  Check(after.size() >= keep && std::equal(before.begin(), before.begin() + std::ptrdiff_t(keep), after.begin()),
        name, "the bytes in front of the end tags changed");
  Check(after.size() >= ape.size() + 128 &&
            std::equal(ape.begin(), ape.end(), after.end() - 128 - std::ptrdiff_t(ape.size())),
        name, "the APE tag is not kept in front of the ID3v1 tag");
  tags::TID3v1 again;
  Check(again.LoadTags(path, true) && again.Exists, name, "the saved tag does not load");
  Check(again.Title() == title && again.Artist() == artist, name,
        "saved '" + title + "' / '" + artist + "', read back '" + again.Title() + "' / '" + again.Artist() + "'");
  if (!loaded) return 0;
  Check(again.Year() == original.Year() && again.Track == original.Track && again.GenreID == original.GenreID,
        name, "year, track or genre changed");
  Check(again.Album() == original.Album() && again.Comment() == original.Comment() &&
            again.Lyrics == original.Lyrics && again.Author == original.Author,
        name, "album, comment, lyrics or author changed");
  return 0;
}

}  // namespace zovedu_fuzz
