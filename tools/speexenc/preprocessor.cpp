#include "preprocessor.h"

#include <speex/speex_preprocess.h>

#include <stdexcept>
#include <string>

namespace speexenc {

Preprocessor::Preprocessor(int frameSize, int rate, bool agc, bool denoise) {
  state_ = speex_preprocess_state_init(frameSize, rate);
  if (!state_) throw std::runtime_error("cannot set up the preprocessor");
  // Both are set either way: noise suppression is on unless switched off.
  auto set = [this](int request, int value, const char* what) {
    if (speex_preprocess_ctl(state_, request, &value) != 0) {
      speex_preprocess_state_destroy(state_);
      state_ = nullptr;
      throw std::runtime_error(std::string("the Speex preprocessor here cannot switch ") + what);
    }
  };
  set(SPEEX_PREPROCESS_SET_AGC, agc ? 1 : 0, "gain control");
  set(SPEEX_PREPROCESS_SET_DENOISE, denoise ? 1 : 0, "noise suppression");
}

Preprocessor::~Preprocessor() {
  if (state_) speex_preprocess_state_destroy(state_);
}

void Preprocessor::run(std::int16_t* frame) { speex_preprocess_run(state_, frame); }

}  // namespace speexenc
