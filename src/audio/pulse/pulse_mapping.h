// Translations between the server's terms and the library's: volumes, port
// kinds, sample formats and error codes.
#pragma once

#include <pulse/channelmap.h>
#include <pulse/sample.h>
#include <pulse/volume.h>

#include <optional>
#include <string_view>

#include "audio/backend.h"

namespace zaudio::pulse {

// Device volumes are shown as the fraction of the server's normal volume
// (what desktop mixers show as percent / 100), measured on the loudest
// channel and capped at 1; a volume above normal reads as 1.
float VolumeToLevel(const pa_cvolume& volume);

// Sets the loudest channel of current to level (0..1) and keeps the balance
// between channels.
pa_cvolume LevelToVolume(pa_cvolume current, float level);

// The input type a port name suggests: microphone, line, other analog input,
// or undefined.
DWORD InputTypeForPort(std::string_view portName);

std::optional<pa_sample_format_t> SampleFormatFor(SampleType type);

// The server's channel map for the library's speaker order of 1..8 channels;
// false for other counts.
bool ChannelMapFor(DWORD channels, pa_channel_map& map);

// The library error for a libpulse error number, fallback when none fits.
int ErrorForPulse(int paError, int fallback);

}  // namespace zaudio::pulse
