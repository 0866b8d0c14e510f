#include "tags/flac_tags.h"
#include "targets/fuzz_targets.h"
#include "targets/roundtrip_vorbis_comments.h"

namespace zovedu_fuzz {

// Loads the input as a file, sets title and artist, saves and loads again: the
// new values, the other fields and the stream's properties are all there.
int FuzzFlacRoundtrip(const std::uint8_t* data, std::size_t size) {
  return VorbisCommentsRoundtrip<tags::TFlacTags>(
      "flac_roundtrip", data, size, [](const tags::TFlacTags& a, const tags::TFlacTags& b) {
        return a.Valid() == b.Valid() && a.Channels() == b.Channels() && a.SampleRate() == b.SampleRate() &&
               a.Duration() == b.Duration();
      });
}

}  // namespace zovedu_fuzz
