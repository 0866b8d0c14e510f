// A channel: anything that produces audio under a handle (a recording, a push
// stream, a mixer). Each processed block runs through the channel's chain,
// then its level meter and its encoders see the result. Subclasses say how
// blocks arrive and how the channel starts, pauses and stops.
#pragma once

#include <atomic>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "audio/backend.h"
#include "audio/level_meter.h"
#include "audio/processing_chain.h"
#include "audio/recent_audio.h"

namespace zaudio {

class Encoder;

class Channel {
 public:
  Channel(DWORD handle, CaptureFormat format) : handle_(handle), format_(format) {
    meter_.reset(format.rate);
  }
  virtual ~Channel() = default;

  DWORD handle() const { return handle_; }
  const CaptureFormat& format() const { return format_; }
  virtual DWORD activity() const { return activity_.load(); }
  virtual bool isRecording() const { return false; }
  virtual bool isDecode() const { return false; }

  virtual bool play() = 0;
  virtual bool pause() = 0;
  virtual void stop() = 0;

  // Decode channels: pulls up to length bytes of processed data. Returns the
  // bytes delivered, or DATA_ERROR with error set.
  virtual DWORD getData(void* buffer, DWORD length, int& error);

  DWORD level() const { return meter_.level(); }
  // ChannelGetLevel: the level of a playing channel, 0 while paused, and
  // 0xFFFFFFFF with error set otherwise.
  virtual DWORD getLevel(int& error);
  // The n most recent frames captured or heard, mixed to mono; false with
  // error set when the channel keeps none.
  virtual bool lastFrames(float* mono, size_t n, int& error);
  // ChannelGetInfo: the channel's type and the flags it was made with.
  virtual DWORD channelType() const;
  virtual DWORD creationFlags() const;
  std::uint64_t longestBlockMicros() const { return longestBlock_.load(std::memory_order_relaxed); }

  // Holds off processing; reentrant on the locking thread. unlock() fails on
  // a thread that holds no lock.
  void lock();
  bool unlock();

  // The chain.
  void addEffect(HFX fx, int priority, std::unique_ptr<Effect> effect);
  void addDsp(HDSP dsp, int priority, DSPPROC proc, void* user);
  bool removeFromChain(DWORD handle);
  bool getEffectParameters(HFX fx, void* params);
  bool setEffectParameters(HFX fx, const void* params);

  // Encoders get every processed block from attachment to detachment.
  void attachEncoder(HENCODE handle, std::shared_ptr<Encoder> encoder);
  std::shared_ptr<Encoder> encoder(HENCODE handle);
  std::shared_ptr<Encoder> detachEncoder(HENCODE handle);
  std::vector<std::pair<HENCODE, std::shared_ptr<Encoder>>> detachEncoders();

  void addSync(HSYNC handle, DWORD type, SYNCPROC proc, void* user);
  bool removeSync(HSYNC handle);

  // The channel is gone from the library (freed); those using it as a source
  // drop it.
  void markFreed() { freed_ = true; }
  bool freed() const { return freed_.load(); }

 protected:
  // Runs the chain over one block in place, measures it and feeds the
  // encoders. The caller holds the processing lock.
  void processBlock(void* data, size_t frames);
  // Calls the syncs of a type, without holding any lock of the channel.
  void fireSync(DWORD type, DWORD data);
  // Keeps the longest time one block took.
  void noteBlockTime(std::uint64_t micros);
  // From now on processBlock keeps the last `frames` processed frames for
  // lastFrames(). Before the first block.
  void keepRecent(size_t frames) { recent_ = std::make_unique<RecentAudio>(frames); }

  std::atomic<DWORD> activity_{ACTIVE_STOPPED};
  std::recursive_mutex processing_;

 private:
  struct Sync {
    DWORD type;
    SYNCPROC proc;
    void* user;
  };

  const DWORD handle_;
  const CaptureFormat format_;
  LevelMeter meter_;
  std::unique_ptr<RecentAudio> recent_;
  ProcessingChain chain_;                                   // guarded by processing_
  std::vector<std::pair<HENCODE, std::shared_ptr<Encoder>>> encoders_;  // guarded by processing_
  std::mutex syncMutex_;
  std::map<HSYNC, Sync> syncs_;
  std::atomic<bool> freed_{false};
  std::atomic<std::uint64_t> longestBlock_{0};
  // The caller lock()s: who, and how often (changed only by the holder).
  std::atomic<std::thread::id> lockOwner_{};
  int lockDepth_ = 0;
};

}  // namespace zaudio
