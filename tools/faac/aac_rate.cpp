#include "aac_rate.h"

#include <cstdlib>

namespace faac {

int AacRateFor(const AVCodec& encoder, int inputRate) {
  if (!encoder.supported_samplerates) return inputRate;
  int best = 0;
  for (const int* rate = encoder.supported_samplerates; *rate; ++rate) {
    if (*rate == inputRate) return inputRate;
    // Nearest wins; between two as near, the higher keeps more of the sound.
    const long distance = std::labs(long(*rate) - inputRate), bestDistance = std::labs(long(best) - inputRate);
    if (best == 0 || distance < bestDistance || (distance == bestDistance && *rate > best)) best = *rate;
  }
  return best ? best : inputRate;
}

}  // namespace faac
