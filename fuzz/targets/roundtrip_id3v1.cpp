#include <algorithm>

#include "tags/end_tags.h"
#include "tags/id3v1.h"
#include "tags/toolkit/text.h"
#include "targets/fuzz_support.h"
#include "targets/fuzz_targets.h"
#include "targets/sample_values.h"

namespace zovedu_fuzz {

// Loads the input as a file, sets title and artist, saves and loads again: the
// new values are there (a long one only cut to 30 characters when an APE tag
// leaves no room for the Lyrics3 block), and everything in front of the old
// end tags is unchanged.
int FuzzId3v1Roundtrip(const std::uint8_t* data, std::size_t size) {
  const char* name = "id3v1_roundtrip";
  const std::string path = WriteScratchFile(data, size);
  const tags::Bytes before(data, data + size);
  const std::uint64_t keep = tags::LocateEndTags(tags::MemorySource(data, size)).id3v1RegionStart();
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
  tags::TID3v1 again;
  Check(again.LoadTags(path, true) && again.Exists, name, "the saved tag does not load");
  const bool withApe = tags::LocateEndTags(tags::MemorySource(after)).hasApe;
  const auto expected = [&](const std::string& v) { return withApe ? tags::TrimRight(tags::Utf8Left(v, 30)) : v; };
  Check(again.Title() == expected(title) && again.Artist() == expected(artist), name,
        "saved '" + title + "' / '" + artist + "', read back '" + again.Title() + "' / '" + again.Artist() + "'");
  if (!loaded) return 0;
  Check(again.Year() == original.Year() && again.Track == original.Track && again.GenreID == original.GenreID,
        name, "year, track or genre changed");
  if (!withApe)
    Check(again.Album() == original.Album() && again.Comment() == original.Comment() &&
              again.Lyrics == original.Lyrics && again.Author == original.Author,
          name, "album, comment, lyrics or author changed");
  return 0;
}

}  // namespace zovedu_fuzz
