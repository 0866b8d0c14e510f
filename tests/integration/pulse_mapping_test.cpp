// How the backend reads server terms: port names as input types, device
// volumes as levels. Needs no server.
#include <gtest/gtest.h>

#include "audio/pulse/pulse_mapping.h"

namespace zovedu_test {
namespace {

using namespace zaudio;
using namespace zaudio::pulse;

TEST(PulseMapping, PortNamesGiveInputTypes) {
  struct Case {
    const char* port;
    DWORD type;
  } cases[] = {
      {"analog-input-mic", INPUT_TYPE_MIC},           // "mic" wins over "analog"
      {"analog-input-rear-mic", INPUT_TYPE_MIC},
      {"analog-input-internal-mic", INPUT_TYPE_MIC},
      {"analog-input-linein", INPUT_TYPE_LINE},
      {"analog-input", INPUT_TYPE_ANALOG},
      {"iec958-stereo-input", INPUT_TYPE_UNDEF},
      {"", INPUT_TYPE_UNDEF},
  };
  for (const auto& c : cases) EXPECT_EQ(InputTypeForPort(c.port), c.type) << c.port;
}

TEST(PulseMapping, LevelsAreTheLoudestChannelAndKeepTheBalance) {
  pa_cvolume v;
  v.channels = 2;
  v.values[0] = PA_VOLUME_NORM / 2;
  v.values[1] = PA_VOLUME_NORM / 4;
  EXPECT_FLOAT_EQ(VolumeToLevel(v), 0.5f);

  pa_cvolume louder = LevelToVolume(v, 1.0f);
  EXPECT_EQ(louder.channels, 2);
  EXPECT_EQ(louder.values[0], PA_VOLUME_NORM);
  EXPECT_EQ(louder.values[1], PA_VOLUME_NORM / 2);

  // Above normal reads as full; out-of-range levels are clamped.
  v.values[0] = PA_VOLUME_NORM * 3 / 2;
  EXPECT_FLOAT_EQ(VolumeToLevel(v), 1.0f);
  EXPECT_EQ(pa_cvolume_max(&(louder = LevelToVolume(v, 7.0f))), PA_VOLUME_NORM);
  EXPECT_EQ(pa_cvolume_max(&(louder = LevelToVolume(v, -1.0f))), PA_VOLUME_MUTED);

  // A silent device gets the level on every channel.
  pa_cvolume_mute(&v, 2);
  pa_cvolume up = LevelToVolume(v, 0.5f);
  EXPECT_EQ(up.values[0], PA_VOLUME_NORM / 2);
  EXPECT_EQ(up.values[1], PA_VOLUME_NORM / 2);
}

}  // namespace
}  // namespace zovedu_test
