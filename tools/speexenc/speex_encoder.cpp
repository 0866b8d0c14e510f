#include "speex_encoder.h"

#include <speex/speex.h>
#include <speex/speex_stereo.h>

#include <stdexcept>
#include <string>

#include "preprocessor.h"

namespace speexenc {

SpeexEncoder::SpeexEncoder(const EncoderSettings& settings) : settings_(settings) {
  if (settings.channels != 1 && settings.channels != 2) throw std::runtime_error("Speex takes mono or stereo only");
  const int modeId = settings.band == Band::Narrow ? SPEEX_MODEID_NB
                     : settings.band == Band::Wide ? SPEEX_MODEID_WB
                                                   : SPEEX_MODEID_UWB;
  rate_ = settings.band == Band::Narrow ? 8000 : settings.band == Band::Wide ? 16000 : 32000;
  mode_ = speex_lib_get_mode(modeId);
  if (!mode_) throw std::runtime_error("this Speex library lacks the chosen band");
  state_ = speex_encoder_init(mode_);
  if (!state_) throw std::runtime_error("cannot set up the Speex encoder");
  speex_bits_init(&bits_);

  try {
    ctl(SPEEX_GET_FRAME_SIZE, &frameSize_, "frame size");
    ctl(SPEEX_SET_SAMPLING_RATE, &rate_, "rate");
    // Quality first: for a constant bitrate the bitrate then picks the mode,
    // and for an average bitrate the quality is where the search starts.
    int quality = settings.quality;
    ctl(SPEEX_SET_QUALITY, &quality, "quality");
    switch (settings.control) {
      case RateControl::Constant: {
        int bps = settings.kbps * 1000;
        if (bps > 0) ctl(SPEEX_SET_BITRATE, &bps, "bitrate");
        break;
      }
      case RateControl::Variable: {
        int on = 1;
        float vbrQuality = static_cast<float>(settings.quality);
        ctl(SPEEX_SET_VBR, &on, "variable bitrate");
        ctl(SPEEX_SET_VBR_QUALITY, &vbrQuality, "variable bitrate quality");
        break;
      }
      case RateControl::Average: {
        spx_int32_t bps = settings.kbps * 1000;
        ctl(SPEEX_SET_ABR, &bps, "average bitrate");
        break;
      }
    }
    if (settings.vad) {
      int on = 1;
      ctl(SPEEX_SET_VAD, &on, "voice activity detection");
    }
    ctl(SPEEX_GET_LOOKAHEAD, &lookahead_, "delay");
    ctl(SPEEX_GET_BITRATE, &bitrate_, "bitrate");
    if (frameSize_ <= 0 || lookahead_ < 0) throw std::runtime_error("the Speex encoder reports no frame size");
  } catch (...) {
    speex_bits_destroy(&bits_);
    speex_encoder_destroy(state_);
    throw;
  }
}

SpeexEncoder::~SpeexEncoder() {
  speex_bits_destroy(&bits_);
  speex_encoder_destroy(state_);
}

void SpeexEncoder::ctl(int request, void* value, const char* what) {
  if (speex_encoder_ctl(state_, request, value) != 0)
    throw std::runtime_error(std::string("the Speex encoder refuses its ") + what + " setting");
}

SpeexHeader SpeexEncoder::header() const {
  SpeexHeader h;
  speex_init_header(&h, rate_, settings_.channels, mode_);
  h.nb_channels = settings_.channels;
  h.frames_per_packet = 1;
  h.vbr = settings_.control == RateControl::Constant ? 0 : 1;
  h.bitrate = settings_.control == RateControl::Constant  ? bitrate_
              : settings_.control == RateControl::Average ? settings_.kbps * 1000
                                                          : -1;
  h.extra_headers = 0;
  return h;
}

const std::vector<unsigned char>& SpeexEncoder::encode(std::int16_t* frame, Preprocessor* preprocessor) {
  speex_bits_reset(&bits_);
  // The balance goes in-band first; the mix is left in the frame's first half.
  if (settings_.channels == 2) speex_encode_stereo_int(frame, frameSize_, &bits_);
  if (preprocessor) preprocessor->run(frame);
  speex_encode_int(state_, frame, &bits_);
  speex_bits_insert_terminator(&bits_);
  packet_.resize(static_cast<size_t>(speex_bits_nbytes(&bits_)));
  const int written = speex_bits_write(&bits_, reinterpret_cast<char*>(packet_.data()), static_cast<int>(packet_.size()));
  packet_.resize(static_cast<size_t>(written));
  return packet_;
}

}  // namespace speexenc
