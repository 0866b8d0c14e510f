#include <iterator>
#include <string>

#include "tags/id3v1.h"
#include "targets/fuzz_support.h"
#include "targets/fuzz_targets.h"

namespace zovedu_fuzz {

// Reads the input as a file's end with the fields, then reads back the
// Lyrics3 block and tag the writer would make of what was read: every value
// must survive.
int FuzzId3v1(const std::uint8_t* data, std::size_t size) {
  tags::TID3v1 tag;
  if (!tag.LoadTags(tags::MemorySource(data, size), true) || !tag.Exists) return 0;
  (void)tag.Genre();

  tags::Bytes rendered = tag.RenderLyricsBlock();
  const tags::Bytes v1 = tag.RenderTag();
  Check(v1.size() == 128, "id3v1", "a rendered tag of " + std::to_string(v1.size()) + " bytes");
  rendered.insert(rendered.end(), v1.begin(), v1.end());
  tags::TID3v1 again;
  Check(again.LoadTags(tags::MemorySource(rendered), true) && again.Exists, "id3v1",
        "a rendered tag does not read back");
  const std::string before[] = {tag.Title(), tag.Artist(), tag.Album(), tag.Comment(), tag.Year()};
  const std::string after[] = {again.Title(), again.Artist(), again.Album(), again.Comment(), again.Year()};
  for (std::size_t i = 0; i < std::size(before); ++i)
    Check(before[i] == after[i], "id3v1", "value " + std::to_string(i) + " '" + before[i] + "' read back as '" +
                                              after[i] + "'");
  Check(tag.Track == again.Track && tag.GenreID == again.GenreID, "id3v1", "track or genre changed");
  return 0;
}

}  // namespace zovedu_fuzz
