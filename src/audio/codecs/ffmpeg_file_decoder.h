// Files decoded with FFmpeg's demuxers and decoders.
#pragma once

#include <memory>

#include "audio/file_decoder.h"

namespace zaudio {

std::unique_ptr<FileDecoder> OpenFfmpegDecoder(const FileSource& source, FileKind kind, int& error);

}  // namespace zaudio
