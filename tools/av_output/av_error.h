// FFmpeg's error codes turned into exceptions with a readable message.
#pragma once

#include <string>

namespace avout {

// FFmpeg's text for an AVERROR code.
std::string ErrorText(int err);

// Returns ret when it is no error; otherwise throws std::runtime_error
// "<what>: <FFmpeg's text>".
int Check(int ret, const std::string& what);

}  // namespace avout
