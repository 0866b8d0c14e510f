// The whole run: the WAV stream on standard input to an AAC file.
#pragma once

#include "aac_container.h"
#include "faac_options.h"
#include "wav_input.h"

namespace faac {

// Encodes `input` (its header already read) to the -o file in `container`.
// The file is created only once the encoder accepts the input and is
// complete on return. Throws on any failure, an input without samples
// included, leaving no file.
void EncodeAac(wavin::Input& input, const Options& options, const Container& container);

}  // namespace faac
