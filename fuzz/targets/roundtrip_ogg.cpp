#include "tags/ogg_vorbis.h"
#include "targets/fuzz_targets.h"
#include "targets/roundtrip_vorbis_comments.h"

namespace zovedu_fuzz {

// Loads the input as a file, sets title and artist, saves and loads again: the
// new values, the other fields and the stream's properties are all there.
int FuzzOggRoundtrip(const std::uint8_t* data, std::size_t size) {
  return VorbisCommentsRoundtrip<tags::TOggVorbis>(
      "ogg_roundtrip", data, size, [](const tags::TOggVorbis& a, const tags::TOggVorbis& b) {
        return a.Channels() == b.Channels() && a.SampleRate() == b.SampleRate() && a.Samples() == b.Samples() &&
               a.ID3v2Size() == b.ID3v2Size();
      });
}

}  // namespace zovedu_fuzz
