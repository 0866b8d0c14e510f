// 16-bit PCM in a WAV or RF64 file, read directly. The commonest file the
// program plays and scans needs no codec library, and costs only the copy.
#pragma once

#include <memory>

#include "audio/file_decoder.h"
#include "audio/source_bytes.h"

namespace zaudio {

// A decoder when `bytes` hold such a file; nullptr for anything else (other
// sample formats, compressed data, damage), which the codec libraries judge.
std::unique_ptr<FileDecoder> OpenPcmWav(SourceBytes& bytes);

}  // namespace zaudio
