#include "tags/mpeg_plus.h"
#include "targets/fuzz_targets.h"
#include "targets/reader_check.h"

namespace zovedu_fuzz {

int FuzzMpegPlus(const std::uint8_t* data, std::size_t size) { return ReadAndCheck<tags::TMPEGplus>("mpeg_plus", data, size); }

}  // namespace zovedu_fuzz
