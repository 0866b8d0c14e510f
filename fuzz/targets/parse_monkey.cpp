#include "tags/monkey.h"
#include "targets/fuzz_targets.h"
#include "targets/reader_check.h"

namespace zovedu_fuzz {

int FuzzMonkey(const std::uint8_t* data, std::size_t size) { return ReadAndCheck<tags::TMonkey>("monkey", data, size); }

}  // namespace zovedu_fuzz
