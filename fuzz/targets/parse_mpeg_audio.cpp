#include "tags/mpeg_audio.h"
#include "targets/fuzz_targets.h"
#include "targets/reader_check.h"

namespace zovedu_fuzz {

int FuzzMpegAudio(const std::uint8_t* data, std::size_t size) { return ReadAndCheck<tags::TMPEGaudio>("mpeg_audio", data, size); }

}  // namespace zovedu_fuzz
