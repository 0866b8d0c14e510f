// A deterministic backend for tests and for running without an audio server:
// devices and inputs are declared by the caller, capture is fed from a sine
// generator or from given samples, and blocks are delivered either when the
// caller pumps them (on the caller's thread) or by a paced thread in real time.
#pragma once

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "audio/backend.h"

namespace zaudio {

struct VirtualSignal {
  // Sine per channel (channel 0 uses index 0, every other channel index 1).
  double frequency[2] = {1000.0, 1000.0};
  double amplitude[2] = {0.5, 0.5};  // 0..1 of full scale
  // When not empty, these interleaved stereo float frames are delivered
  // instead of the sine (left to channel 0, right to the others), then silence.
  std::vector<float> samples;
};

struct VirtualInput {
  std::string name;
  DWORD type = INPUT_TYPE_UNDEF;
  bool on = false;
  float volume = 1.0f;
};

struct VirtualDevice {
  std::string name;
  DWORD flags = 0;  // DEVICE_DEFAULT, DEVICE_LOOPBACK
  DWORD rate = 44100;
  std::vector<VirtualInput> inputs{VirtualInput{"Master", INPUT_TYPE_UNDEF, true, 1.0f}};
  bool failOpen = false;
  VirtualSignal signal;
};

class VirtualBackend final : public Backend {
 public:
  enum class Pacing { Manual, RealTime };

  explicit VirtualBackend(Pacing pacing = Pacing::Manual);
  ~VirtualBackend() override;

  // Set-up, before or between uses.
  void addCaptureDevice(VirtualDevice device);
  // A device unplugged: gone from listings, and closed when it was open
  // (running captures go on until failCaptures()).
  void removeCaptureDevice(const std::string& name);
  void addOutputDevice(std::string name, bool isDefault, DWORD rate = 48000, DWORD speakers = 2);
  void setFailOutputInit(bool fail) { failOutput_ = fail; }
  void setSignal(int device, VirtualSignal signal);

  // Delivers `frames` frames to every running capture, in blocks of at most
  // blockFrames, on the calling thread, and plays as many frames of every
  // playing output (waiting, up to a generous deadline, until its channel has
  // made them or has marked its end). Returns the frames delivered per capture.
  size_t pump(size_t frames, size_t blockFrames = 441);

  // What the outputs have played in pump() so far, as their channels made
  // it (16-bit interleaved), and forgets it.
  std::vector<std::uint8_t> takePlayed();
  int runningPlaybacks() const;

  // Ends every running capture as a vanished device does.
  void failCaptures();

  // Inspection.
  std::vector<VirtualDevice> captureDeviceState() const;
  int openDevice() const;  // -1 when none
  int runningCaptures() const;

  // Backend.
  int initOutput(int device) override;
  void freeOutput() override;
  std::vector<BackendDevice> outputDevices() override;
  bool outputInfo(OutputInfo& info) override;
  bool setOutputVolume(float volume) override;
  float outputVolume() override;
  std::vector<BackendDevice> captureDevices(bool includeLoopback) override;
  using Backend::openCapture;
  int openCapture(const std::string& id) override;
  void closeCapture() override;
  DWORD captureRate() override;
  std::vector<BackendInput> inputs() override;
  bool setInput(int input, int on, float volume) override;
  using Backend::startCapture;
  std::unique_ptr<CaptureStream> startCapture(const CaptureFormat& format, bool paused,
                                              CaptureSink sink, CaptureEnded ended,
                                              int& error) override;
  std::unique_ptr<PlaybackStream> startPlayback(const CaptureFormat& format,
                                                std::shared_ptr<PlaybackBuffer> buffer,
                                                int& error) override;

  struct StreamState;
  struct PlaybackState;

 private:
  class Stream;
  friend class Stream;
  class Playback;
  friend class Playback;
  std::vector<std::shared_ptr<PlaybackState>> livePlaybacks() const;
  void stopPlayback(const std::shared_ptr<PlaybackState>& p);
  // Plays up to `frames` frames of one output; with wait, first waits for
  // its channel to make them; with keep, adds them to what takePlayed() gives.
  void play(PlaybackState& p, size_t frames, bool wait, bool keep);
  std::vector<int> visibleIndexes(bool includeLoopback) const;  // caller holds mutex_
  std::vector<std::shared_ptr<StreamState>> liveStreams() const;
  void deliver(StreamState& s, size_t frames, size_t blockFrames);
  void stopStream(const std::shared_ptr<StreamState>& s);
  void pacer();

  struct Output {
    std::string name;
    bool isDefault;
    DWORD rate, speakers;
  };

  mutable std::mutex mutex_;
  std::vector<VirtualDevice> devices_;
  std::vector<Output> outputs_;
  bool failOutput_ = false;
  int output_ = -2;  // -2 not initialised
  float volume_ = 1.0f;
  int open_ = -1;
  std::vector<std::shared_ptr<StreamState>> streams_;
  std::vector<std::shared_ptr<PlaybackState>> playbacks_;
  std::vector<std::uint8_t> played_;  // guarded by mutex_
  // One delivery at a time; stopping waits for a running one, except on the
  // delivering thread itself (a sink may stop its own stream).
  std::recursive_mutex deliverMutex_;

  Pacing pacing_;
  std::thread pacerThread_;
  std::atomic<bool> quit_{false};
};

}  // namespace zaudio
