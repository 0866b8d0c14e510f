#include "tags/id3v2.h"
#include "targets/fuzz_support.h"
#include "targets/fuzz_targets.h"
#include "targets/kept_frames.h"
#include "targets/sample_values.h"

namespace zovedu_fuzz {

// Loads the input as a file, sets title and artist, saves and loads again: the
// new values and every other field are there, and what followed the tag
// (the audio) follows the new one unchanged.
int FuzzId3v2Roundtrip(const std::uint8_t* data, std::size_t size) {
  const char* name = "id3v2_roundtrip";
  const std::string path = WriteScratchFile(data, size);
  const tags::Bytes before(data, data + size);
  tags::TID3v2 tag;
  const bool loaded = tag.LoadTags(path);
  const tags::TID3v2 original = tag;
  const std::uint32_t oldSize = tag.Size;
  tag.SetTitle(SampleText(data, size, 0));
  tag.SetArtist(SampleText(data, size, 1));
  if (!CheckedSave(name, path, before, [&] { return tag.SaveTags(path); })) return 0;

  tags::TID3v2 again;
  Check(again.LoadTags(path) && again.Exists, name, "the saved tag does not load");
  Check(again.Title == tag.Title && again.Artist == tag.Artist, name,
        "saved '" + tag.Title + "' / '" + tag.Artist + "', read back '" + again.Title + "' / '" + again.Artist + "'");
  const tags::Bytes after = ReadWholeFile(path);
  Check(again.Size <= after.size() && oldSize <= before.size() &&
            tags::Bytes(after.begin() + again.Size, after.end()) == tags::Bytes(before.begin() + oldSize, before.end()),
        name, "the bytes after the tag changed");
  if (!loaded) return 0;
  Check(again.Album == original.Album && again.Year == original.Year && again.Genre == original.Genre &&
            again.Comment == original.Comment && again.Composer == original.Composer &&
            again.Track == original.Track,
        name, "a field the save did not change read back different");
  Check(SameKeptFrames(again, original), name, "kept frames lost, added or changed");
  return 0;
}

}  // namespace zovedu_fuzz
