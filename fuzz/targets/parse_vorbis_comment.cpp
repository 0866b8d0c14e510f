#include <iterator>
#include <string>

#include "tags/vorbis_comment.h"
#include "targets/fuzz_support.h"
#include "targets/fuzz_targets.h"

namespace zovedu_fuzz {

// Parses a comment body, renders what was read and parses that again: the
// vendor and every item come back byte for byte, and so do the fields after
// the editor stored them.
int FuzzVorbisComment(const std::uint8_t* data, std::size_t size) {
  tags::VorbisComment vc;
  const std::size_t used = vc.Parse(data, size);
  Check(used <= size, "vorbis_comment", "read past the end");
  if (used == 0) return 0;

  const tags::Bytes rendered = vc.Render();
  tags::VorbisComment again;
  Check(again.Parse(rendered.data(), rendered.size()) == rendered.size() && again.complete, "vorbis_comment",
        "a rendered body does not parse whole");
  Check(again.vendor == vc.vendor && again.items == vc.items, "vorbis_comment", "items changed by a render");

  tags::CommentFields fields;
  fields.Read(vc);
  fields.Apply(vc);
  tags::CommentFields stored;
  stored.Read(vc);
  const std::string* read[] = {&fields.Title, &fields.Artist, &fields.Album,
                               &fields.Date,  &fields.Genre,  &fields.Comment};
  const std::string* kept[] = {&stored.Title, &stored.Artist, &stored.Album,
                               &stored.Date,  &stored.Genre,  &stored.Comment};
  for (std::size_t i = 0; i < std::size(read); ++i)
    Check(*read[i] == *kept[i], "vorbis_comment",
          "field " + std::to_string(i) + " '" + *read[i] + "' stored unchanged reads back as '" + *kept[i] + "'");
  Check(stored.Track == fields.Track, "vorbis_comment", "the track stored unchanged reads back different");
  return 0;
}

}  // namespace zovedu_fuzz
