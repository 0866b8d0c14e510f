#include <algorithm>

#include "tags/ape_tag.h"
#include "tags/end_tags.h"
#include "targets/fuzz_support.h"
#include "targets/fuzz_targets.h"
#include "targets/sample_values.h"

namespace zovedu_fuzz {

// Loads the input as a file, sets title and artist, saves and loads again: the
// new values and every other field and item are there, the audio in front of
// the end tags is unchanged, and an ID3v1 tag still ends the file as it was.
int FuzzApeRoundtrip(const std::uint8_t* data, std::size_t size) {
  const char* name = "ape_roundtrip";
  const std::string path = WriteScratchFile(data, size);
  const tags::Bytes before(data, data + size);
  const tags::EndTagLayout layout = tags::LocateEndTags(tags::MemorySource(data, size));
  tags::TAPEtag tag;
  const bool loaded = tag.LoadTags(path);
  const tags::TAPEtag original = tag;
  tag.SetTitle(SampleText(data, size, 0));
  tag.SetArtist(SampleText(data, size, 1));
  if (!CheckedSave(name, path, before, [&] { return tag.SaveTags(path); })) return 0;

  const tags::Bytes after = ReadWholeFile(path);
  const auto audioEnd = std::ptrdiff_t(layout.audioEnd);
  Check(after.size() >= layout.audioEnd && std::equal(before.begin(), before.begin() + audioEnd, after.begin()),
        name, "the audio in front of the end tags changed");
  if (layout.hasId3v1)
    Check(after.size() >= 128 && std::equal(after.end() - 128, after.end(), before.end() - 128), name,
          "the ID3v1 tag no longer ends the file");
  tags::TAPEtag again;
  Check(again.LoadTags(path) && again.Exists, name, "the saved tag does not load");
  Check(again.Title == tag.Title && again.Artist == tag.Artist, name,
        "saved '" + tag.Title + "' / '" + tag.Artist + "', read back '" + again.Title + "' / '" + again.Artist + "'");
  if (!loaded) return 0;
  Check(again.Album == original.Album && again.Year == original.Year && again.Genre == original.Genre &&
            again.Comment == original.Comment && again.Copyright == original.Copyright &&
            again.Track == original.Track,
        name, "a field the save did not change read back different");
  Check(again.OtherItems.size() == original.OtherItems.size(), name, "kept items lost or added");
  for (std::size_t i = 0; i < original.OtherItems.size(); ++i)
    Check(again.OtherItems[i].key == original.OtherItems[i].key &&
              again.OtherItems[i].value == original.OtherItems[i].value,
          name, "kept item " + original.OtherItems[i].key + " changed");
  return 0;
}

}  // namespace zovedu_fuzz
