// The whole run: the WAV stream on standard input to a TTA file.
#pragma once

#include "tta_options.h"
#include "wav_input.h"

namespace tta {

// Encodes `input` (its header already read) losslessly to the -o file. The
// file is created only once the encoder accepts the input and is complete on
// return. Throws on any failure, an input without samples included, leaving
// no file.
void EncodeTta(wavin::Input& input, const Options& options);

}  // namespace tta
