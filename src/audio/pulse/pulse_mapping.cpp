#include "audio/pulse/pulse_mapping.h"

#include <pulse/def.h>

#include <algorithm>
#include <cmath>

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

}  // namespace zaudio::pulse
