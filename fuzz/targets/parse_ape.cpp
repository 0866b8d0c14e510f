#include <iterator>
#include <string>

#include "tags/ape_tag.h"
#include "targets/fuzz_support.h"
#include "targets/fuzz_targets.h"

namespace zovedu_fuzz {

// Reads the input as a file's end, then reads back the tag the writer would
// make of what was read: every value and kept item must survive.
int FuzzApe(const std::uint8_t* data, std::size_t size) {
  tags::TAPEtag tag;
  if (!tag.LoadTags(tags::MemorySource(data, size)) || !tag.Exists) return 0;

  const tags::Bytes rendered = tag.Render();
  tags::TAPEtag again;
  Check(again.LoadTags(tags::MemorySource(rendered)) && again.Exists, "ape", "a rendered tag does not read back");
  const std::string* before[] = {&tag.Title, &tag.Artist, &tag.Album, &tag.Year, &tag.Genre, &tag.Comment,
                                 &tag.Copyright};
  const std::string* after[] = {&again.Title, &again.Artist, &again.Album, &again.Year, &again.Genre, &again.Comment,
                                &again.Copyright};
  for (std::size_t i = 0; i < std::size(before); ++i)
    Check(*before[i] == *after[i], "ape", "value " + std::to_string(i) + " '" + *before[i] + "' read back as '" +
                                              *after[i] + "'");
  Check(tag.Track == again.Track, "ape", "track changed");
  Check(tag.OtherItems.size() == again.OtherItems.size(), "ape", "kept items lost or added");
  for (std::size_t i = 0; i < tag.OtherItems.size(); ++i)
    Check(tag.OtherItems[i].key == again.OtherItems[i].key && tag.OtherItems[i].value == again.OtherItems[i].value,
          "ape", "kept item " + tag.OtherItems[i].key + " changed");
  return 0;
}

}  // namespace zovedu_fuzz
