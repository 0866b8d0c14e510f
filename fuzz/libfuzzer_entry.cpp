// The libFuzzer entry of one fuzz executable; FUZZ_BODY names the target body
// it runs (set per executable by CMakeLists.txt).
#include "targets/fuzz_targets.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  return zovedu_fuzz::FUZZ_BODY(data, size);
}
