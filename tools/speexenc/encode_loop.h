// The stream from input to file: frames read as 16-bit, brought to the
// band's rate, cut into codec frames, preprocessed, encoded and written.
#pragma once

#include <cstdint>

#include "wav_input.h"

namespace speexenc {

class SpeexEncoder;
class Preprocessor;
class OggSpeexWriter;

// Encodes everything up to the end of the input and ends the Ogg stream.
// Returns the samples per channel written, at the encoder's rate. Throws
// std::runtime_error on a read, resampling or write failure.
std::uint64_t EncodeStream(wavin::Input& input, SpeexEncoder& encoder, Preprocessor* preprocessor,
                           OggSpeexWriter& writer);

}  // namespace speexenc
