#include "tags/flac_tags.h"
#include "targets/fuzz_targets.h"

namespace zovedu_fuzz {

int FuzzFlac(const std::uint8_t* data, std::size_t size) {
  tags::TFlacTags file;
  if (file.LoadFile(tags::MemorySource(data, size))) (void)file.Duration();
  return 0;
}

}  // namespace zovedu_fuzz
