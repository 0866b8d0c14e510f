#include <iterator>
#include <string>

#include "tags/id3v2.h"
#include "targets/fuzz_support.h"
#include "targets/fuzz_targets.h"
#include "targets/kept_frames.h"

namespace zovedu_fuzz {

// Reads the input as a file's start, then reads back the tag the writer would
// make of what was read: every value must survive.
int FuzzId3v2(const std::uint8_t* data, std::size_t size) {
  tags::TID3v2 tag;
  if (!tag.LoadTags(tags::MemorySource(data, size)) || !tag.Exists) return 0;

  const tags::Bytes rendered = tag.Render(0);
  tags::TID3v2 again;
  Check(again.LoadTags(tags::MemorySource(rendered)) && again.Exists && again.Size == rendered.size(), "id3v2",
        "a rendered tag does not read back");
  const std::string* before[] = {&tag.Title, &tag.Artist, &tag.Album, &tag.Year, &tag.Genre, &tag.Comment,
                                 &tag.Composer, &tag.Encoder, &tag.Copyright, &tag.Language, &tag.Link};
  const std::string* after[] = {&again.Title, &again.Artist, &again.Album, &again.Year, &again.Genre, &again.Comment,
                                &again.Composer, &again.Encoder, &again.Copyright, &again.Language, &again.Link};
  for (std::size_t i = 0; i < std::size(before); ++i)
    Check(*before[i] == *after[i], "id3v2", "value " + std::to_string(i) + " '" + *before[i] + "' read back as '" +
                                                *after[i] + "'");
  Check(tag.Track == again.Track, "id3v2", "track changed");
  Check(SameKeptFrames(tag, again), "id3v2", "kept frames lost, added or changed");
  return 0;
}

}  // namespace zovedu_fuzz
