// What a platform must provide to the audio library: output and capture
// devices, the inputs of the open capture device and a capture stream that
// hands raw interleaved frames to the library on the backend's own thread.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "audio/zaudio.h"

namespace zaudio {

enum class SampleType { U8, S16, F32 };

// The sample type that the sample flags of a channel ask for.
inline SampleType SampleTypeFor(DWORD flags) {
  return (flags & SAMPLE_FLOAT) ? SampleType::F32 : (flags & SAMPLE_8BITS) ? SampleType::U8 : SampleType::S16;
}

inline int BytesPerSample(SampleType t) {
  return t == SampleType::U8 ? 1 : t == SampleType::S16 ? 2 : 4;
}

struct CaptureFormat {
  DWORD rate = 44100;
  DWORD channels = 2;
  SampleType type = SampleType::S16;
  int frameBytes() const { return static_cast<int>(channels) * BytesPerSample(type); }
};

struct BackendDevice {
  std::string name;
  std::string id;   // backend identifier (a source or sink name)
  DWORD flags = 0;  // DEVICE_DEFAULT, DEVICE_LOOPBACK; DEVICE_ENABLED is added by the library
};

struct BackendInput {
  std::string name;
  DWORD type = INPUT_TYPE_UNDEF;
  bool on = false;
  float volume = 1.0f;  // 0..1
};

struct OutputInfo {
  DWORD rate = 0;
  DWORD speakers = 0;
};

// A running capture. Deliveries stop for good after stop() returns or after the
// sink returned false.
class CaptureStream {
 public:
  virtual ~CaptureStream() = default;
  virtual bool resume() = 0;
  // What was captured before the pause is delivered before this returns.
  virtual bool pause() = 0;
  // What was captured before the stop is delivered before this returns
  // (unless the sink itself stops its stream: then its current delivery is
  // the last).
  virtual void stop() = 0;
};

class PlaybackBuffer;

// A running output of one channel: takes the channel's frames from its
// playback buffer on the backend's own schedule. Starts playing at once.
class PlaybackStream {
 public:
  virtual ~PlaybackStream() = default;
  // Corked: nothing more is heard until resumed; what is queued stays.
  virtual bool pause() = 0;
  virtual bool resume() = 0;
  // Drops what the output holds (the buffer was cleared for a seek); the
  // heard count starts again from 0.
  virtual void flush() = 0;
  // Frames heard since the start or the last flush: taken from the buffer
  // less what still waits in the output.
  virtual std::uint64_t heardFrames() = 0;
  // The buffer's end is marked and everything before it has been heard.
  virtual bool drained() = 0;
  // Ends the output; nothing more is taken from the buffer.
  virtual void stop() = 0;
};

// Gets each captured block (whole frames); false ends the capture.
using CaptureSink = std::function<bool(const void* data, size_t bytes)>;
// Told once when a capture ends on its own: its device or the server went away.
using CaptureEnded = std::function<void()>;

class Backend {
 public:
  virtual ~Backend() = default;

  // Output side. Errors are the library's error codes (OK on success).
  virtual int initOutput(int device) = 0;  // -1 = default output
  virtual void freeOutput() = 0;
  virtual std::vector<BackendDevice> outputDevices() = 0;
  virtual bool outputInfo(OutputInfo& info) = 0;
  virtual bool setOutputVolume(float volume) = 0;
  virtual float outputVolume() = 0;  // < 0 on failure
  // An output of frames in `format` (16-bit samples) taken from `buffer`, on
  // the initialised output device. nullptr with error set on failure.
  virtual std::unique_ptr<PlaybackStream> startPlayback(const CaptureFormat& format,
                                                        std::shared_ptr<PlaybackBuffer> buffer,
                                                        int& error) {
    (void)format;
    (void)buffer;
    error = ERROR_NOTAVAIL;
    return nullptr;
  }

  // Capture side. includeLoopback adds loopback devices to the list.
  virtual std::vector<BackendDevice> captureDevices(bool includeLoopback) = 0;
  // Opens a device by its id from captureDevices(); an empty id opens the
  // default source. A device that is gone gives ERROR_DEVICE.
  virtual int openCapture(const std::string& id) = 0;
  // Opens entry `device` of a fresh listing (-1: the default source).
  int openCapture(int device, bool includeLoopback);
  virtual void closeCapture() = 0;
  virtual DWORD captureRate() = 0;  // current rate of the open device, 0 if none
  virtual std::vector<BackendInput> inputs() = 0;  // of the open device
  // on: +1 switch on, -1 switch off, 0 leave; volume < 0 leaves the level.
  virtual bool setInput(int input, int on, float volume) = 0;
  // 1..8 channels in the library's speaker order (channel_layout.h).
  virtual std::unique_ptr<CaptureStream> startCapture(const CaptureFormat& format, bool paused,
                                                      CaptureSink sink, CaptureEnded ended,
                                                      int& error) = 0;
  std::unique_ptr<CaptureStream> startCapture(const CaptureFormat& format, bool paused,
                                              CaptureSink sink, int& error) {
    return startCapture(format, paused, std::move(sink), nullptr, error);
  }
};

// The backend the library uses from the next Init/RecordInit on. Without a call
// the library uses PulseAudio, or the virtual backend when the environment
// variable ZOVEDU_AUDIO_BACKEND is "virtual".
void UseBackend(std::shared_ptr<Backend> backend);
std::shared_ptr<Backend> CurrentBackend();

// Test hook: pretend the library has another version (0 restores the real one).
void OverrideVersionsForTesting(DWORD version, DWORD fxVersion);
// Test hook: ChannelSetFX refuses this effect type as one the library lacks
// (0: none refused).
void RefuseEffectTypeForTesting(DWORD type);

}  // namespace zaudio
