#include "recording/silence.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

int LevelToDb(int value, int reference) {
  if (value == 0) return -110;
  const double db = 20.0 * std::log10(std::abs(static_cast<double>(value)) / std::max(reference, 1));
  return static_cast<int>(std::nearbyint(db));  // the default rounding mode: halves to even
}

int ChannelLevelDb(std::uint32_t levelWord) {
  const auto left = static_cast<std::int16_t>(levelWord & 0xFFFF);
  return LevelToDb(left, 32768);
}

SilenceAction ChosenSilenceAction(bool pause, bool stop, bool newFile) {
  SilenceAction a = SilenceAction::None;
  if (pause) a = SilenceAction::Pause;
  if (stop) a = SilenceAction::Stop;
  if (newFile) a = SilenceAction::NewFile;
  return a;
}

SilenceTick SilenceTickFor(const SilenceSettings& s, int silentSeconds, bool wma) {
  SilenceTick t;
  if (silentSeconds >= s.silentLength) {
    switch (s.action) {
      case SilenceAction::Pause:
        t.pauseEncoder = s.silentLength != 0 && !wma;
        break;
      case SilenceAction::Stop:
        t.stop = true;
        break;
      case SilenceAction::NewFile:
        t.newFile = s.silentLength != 0;
        break;
      case SilenceAction::None:
        break;
    }
  }
  t.suspended = s.silentLength == 0 || silentSeconds >= s.silentLength;
  return t;
}
