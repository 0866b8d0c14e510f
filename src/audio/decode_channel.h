// A channel the caller pulls data from (ChannelGetData) instead of playing
// it: push streams and mixers. Each pull produces what is ready, runs it
// through the chain and the encoders and hands it over.
#pragma once

#include "audio/channel.h"

namespace zaudio {

class DecodeChannel : public Channel {
 public:
  using Channel::Channel;

  bool isDecode() const override { return true; }
  DWORD activity() const override { return ended() ? ACTIVE_STOPPED : ACTIVE_PLAYING; }
  bool play() override { return false; }
  bool pause() override { return false; }
  void stop() override {}

  DWORD getData(void* buffer, DWORD length, int& error) override;

  // No more data will come: the end was marked and everything was pulled.
  virtual bool ended() const = 0;

 protected:
  // Writes up to maxFrames whole frames of raw data; returns the frames
  // written (0 when nothing is ready). Called under the processing lock.
  virtual size_t produce(void* out, size_t maxFrames) = 0;
};

}  // namespace zaudio
