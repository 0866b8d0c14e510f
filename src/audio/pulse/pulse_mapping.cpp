#include "audio/pulse/pulse_mapping.h"

#include <pulse/def.h>

#include <algorithm>
#include <cmath>

#include "audio/channel_layout.h"

namespace zaudio::pulse {

float VolumeToLevel(const pa_cvolume& volume) {
  if (!pa_cvolume_valid(&volume)) return 0.0f;
  double level = static_cast<double>(pa_cvolume_max(&volume)) / PA_VOLUME_NORM;
  return static_cast<float>(std::min(level, 1.0));
}

pa_cvolume LevelToVolume(pa_cvolume current, float level) {
  double clamped = std::clamp(static_cast<double>(level), 0.0, 1.0);
  auto target = static_cast<pa_volume_t>(std::lround(clamped * PA_VOLUME_NORM));
  if (!pa_cvolume_valid(&current)) pa_cvolume_set(&current, 1, target);
  pa_cvolume_scale(&current, target);
  return current;
}

DWORD InputTypeForPort(std::string_view portName) {
  // Port names such as "analog-input-mic" carry several words; the most
  // specific one wins.
  if (portName.find("mic") != std::string_view::npos) return INPUT_TYPE_MIC;
  if (portName.find("line") != std::string_view::npos) return INPUT_TYPE_LINE;
  if (portName.find("analog") != std::string_view::npos) return INPUT_TYPE_ANALOG;
  return INPUT_TYPE_UNDEF;
}

std::optional<pa_sample_format_t> SampleFormatFor(SampleType type) {
  switch (type) {
    case SampleType::U8: return PA_SAMPLE_U8;
    case SampleType::S16: return PA_SAMPLE_S16LE;
    case SampleType::F32: return PA_SAMPLE_FLOAT32LE;
  }
  return std::nullopt;
}

int ErrorForPulse(int paError, int fallback) {
  switch (paError) {
    case PA_ERR_NOENTITY:  // no such source or sink (any more)
    case PA_ERR_KILLED:    // the device went away under the stream
    case PA_ERR_ACCESS:
    case PA_ERR_BUSY:
      return ERROR_DEVICE;
    case PA_ERR_INVALID:
    case PA_ERR_NOTSUPPORTED:
      return ERROR_FORMAT;
    case PA_ERR_CONNECTIONREFUSED:
    case PA_ERR_CONNECTIONTERMINATED:
    case PA_ERR_PROTOCOL:
    case PA_ERR_TIMEOUT:
    case PA_ERR_AUTHKEY:
    case PA_ERR_VERSION:
    case PA_ERR_INVALIDSERVER:
      return ERROR_DRIVER;
    default:
      return fallback;
  }
}

bool ChannelMapFor(DWORD channels, pa_channel_map& map) {
  const auto speakers = SpeakersFor(channels);
  if (speakers.empty()) return false;
  pa_channel_map_init(&map);
  map.channels = static_cast<std::uint8_t>(speakers.size());
  for (size_t i = 0; i < speakers.size(); ++i) {
    pa_channel_position_t p = PA_CHANNEL_POSITION_MONO;
    switch (speakers[i]) {
      case Speaker::Mono: p = PA_CHANNEL_POSITION_MONO; break;
      case Speaker::FrontLeft: p = PA_CHANNEL_POSITION_FRONT_LEFT; break;
      case Speaker::FrontRight: p = PA_CHANNEL_POSITION_FRONT_RIGHT; break;
      case Speaker::FrontCenter: p = PA_CHANNEL_POSITION_FRONT_CENTER; break;
      case Speaker::Lfe: p = PA_CHANNEL_POSITION_LFE; break;
      case Speaker::RearLeft: p = PA_CHANNEL_POSITION_REAR_LEFT; break;
      case Speaker::RearRight: p = PA_CHANNEL_POSITION_REAR_RIGHT; break;
      case Speaker::RearCenter: p = PA_CHANNEL_POSITION_REAR_CENTER; break;
      case Speaker::SideLeft: p = PA_CHANNEL_POSITION_SIDE_LEFT; break;
      case Speaker::SideRight: p = PA_CHANNEL_POSITION_SIDE_RIGHT; break;
    }
    map.map[i] = p;
  }
  return true;
}

}  // namespace zaudio::pulse
