#include "tags/ogg_vorbis.h"
#include "targets/fuzz_targets.h"

namespace zovedu_fuzz {

int FuzzOgg(const std::uint8_t* data, std::size_t size) {
  tags::TOggVorbis file;
  if (file.LoadFile(tags::MemorySource(data, size))) {
    (void)file.Valid();
    (void)file.BitRateNominal();
    (void)file.Duration();
  }
  return 0;
}

}  // namespace zovedu_fuzz
