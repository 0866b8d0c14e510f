#include "tags/aac_file.h"
#include "targets/fuzz_targets.h"
#include "targets/reader_check.h"

namespace zovedu_fuzz {

int FuzzAac(const std::uint8_t* data, std::size_t size) { return ReadAndCheck<tags::TAACfile>("aac", data, size); }

}  // namespace zovedu_fuzz
