// The PulseAudio backend of the audio library: sinks are output devices,
// sources capture devices (monitors of sinks are the loopback devices), the
// ports of a source are its inputs. Works the same on PipeWire desktops
// through their PulseAudio server.
//
// Output and capture share one server connection while both are in use; each
// side keeps it alive, so either works without the other. Volumes are the
// fraction of the server's normal device volume (mixer percent / 100).
//
// Calls from inside a capture sink run on the server connection's loop
// thread, which cannot wait for the server: there, everything that needs an
// answer from the server fails (empty lists, false, 0).
#pragma once

#include <chrono>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "audio/backend.h"

namespace zaudio {

namespace pulse {
class PulseConnection;
}

class PulseBackend : public Backend {
 public:
  explicit PulseBackend(std::chrono::milliseconds connectTimeout = std::chrono::seconds(3));
  ~PulseBackend() override;

  int initOutput(int device) override;
  void freeOutput() override;
  std::vector<BackendDevice> outputDevices() override;
  bool outputInfo(OutputInfo& info) override;
  bool setOutputVolume(float volume) override;
  float outputVolume() override;
  std::unique_ptr<PlaybackStream> startPlayback(const CaptureFormat& format,
                                                std::shared_ptr<PlaybackBuffer> buffer,
                                                int& error) override;

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

 private:
  struct Target {
    std::shared_ptr<pulse::PulseConnection> connection;
    std::string device;  // sink or source name; empty when none is open
  };

  // A live connection: the one in use, or a new one when there is none or the
  // server went away (the open sink and source are kept by name).
  std::shared_ptr<pulse::PulseConnection> connection(int& error);
  Target outputTarget();
  Target captureTarget();

  const std::chrono::milliseconds connectTimeout_;
  // Guards the fields below. Never held while waiting for the server: a
  // capture sink may call in from the loop thread meanwhile.
  std::mutex mutex_;
  std::weak_ptr<pulse::PulseConnection> shared_;
  std::shared_ptr<pulse::PulseConnection> output_, capture_;
  std::string sinkName_, sourceName_;
};

}  // namespace zaudio
