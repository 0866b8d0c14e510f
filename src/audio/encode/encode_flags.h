// Flags of Encoder::Start and the statuses its notification reports. The
// values are part of the library's published interface.
#pragma once

#include "audio/zaudio.h"

namespace zaudio {

// Start flags.
constexpr DWORD ENCODE_NOHEAD = 1;  // reserved
constexpr DWORD ENCODE_FP_8BIT = 2;
constexpr DWORD ENCODE_FP_16BIT = 4;
constexpr DWORD ENCODE_FP_24BIT = 6;
constexpr DWORD ENCODE_FP_32BIT = 8;
constexpr DWORD ENCODE_FP_MASK = 0xE;
constexpr DWORD ENCODE_PCM = 0x40;  // the target is a file that becomes a plain WAV file

// Notification statuses; each encoder reports at most one.
constexpr DWORD ENCODE_NOTIFY_ENCODER = 1;             // the program ended by itself or cannot take data
constexpr DWORD ENCODE_NOTIFY_QUEUE_FULL = 0x10001;    // the queue overflowed and data had to be refused
constexpr DWORD ENCODE_NOTIFY_WRITE_FAILED = 0x10100;  // writing the file failed (disk full, I/O error)

}  // namespace zaudio
