// The WMA writer: a WMA file opened with a format and bitrate, written block
// by block by the caller (the capture callback), closed at the end. Encoding
// and writing happen on the writer's own thread behind a bounded queue, so a
// capture callback never waits for the disk.
#pragma once

#include <string>

#include "audio/wma_rates.h"
#include "audio/zaudio.h"

namespace zaudio {

using HWMENCODE = DWORD;

// flags: sample flags of the data that will be written (SAMPLE_8BITS,
// SAMPLE_FLOAT or 0 for 16-bit), a codec flag (WMA_ENCODE_STANDARD; the Pro
// codecs are not available) and WMA_ENCODE_RATES_VBR for a quality level
// instead of a bitrate (not available either). bitrate in bits per second.
// 0 on failure: ERROR_NOTAVAIL (codec or mode), ERROR_FORMAT (the codec
// refuses the rate, channels or bitrate), ERROR_FILEOPEN. A refused open
// leaves no file.
HWMENCODE WMA_EncodeOpenFile(DWORD freq, DWORD chans, DWORD flags, DWORD bitrate, const char* file);
// Interleaved whole frames in the format given at the open.
bool WMA_EncodeWrite(HWMENCODE handle, const void* buffer, DWORD length);
// Completes and closes the file, waiting for the writer; false when writing
// failed. Closing 0 closes nothing and succeeds.
bool WMA_EncodeClose(HWMENCODE handle);
// The writer ended on its own (ENCODE_NOTIFY_WRITE_FAILED, _QUEUE_FULL).
bool WMA_EncodeSetNotify(HWMENCODE handle, ENCODENOTIFYPROC proc, void* user);
std::string WMA_EncodeGetMessage(HWMENCODE handle);

}  // namespace zaudio
