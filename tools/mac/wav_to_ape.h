// The program's work: a WAV stream from a file descriptor into an APE file.
#pragma once

#include <string>

namespace ape {

// Reads the stream to its end and completes the file. False with a message
// when the input cannot be encoded or the file cannot be written; the frames
// written before a failure stay readable.
bool EncodeWavStream(int inputFd, const std::string& output, int level, std::string& error);

}  // namespace ape
