// Automatic gain control and noise suppression on the frames the codec is
// about to encode. For stereo this runs on the mono mix the codec encodes,
// after the channel balance has been taken from the original channels, so
// one gain serves both channels and the stereo image stays where it was.
#pragma once

#include <cstdint>

struct SpeexPreprocessState_;

namespace speexenc {

class Preprocessor {
 public:
  // Throws std::runtime_error when the library cannot do what is asked (a
  // build without gain control, say).
  Preprocessor(int frameSize, int rate, bool agc, bool denoise);
  ~Preprocessor();
  Preprocessor(const Preprocessor&) = delete;
  Preprocessor& operator=(const Preprocessor&) = delete;

  // One frame of frameSize mono samples, changed in place.
  void run(std::int16_t* frame);

 private:
  SpeexPreprocessState_* state_ = nullptr;
};

}  // namespace speexenc
