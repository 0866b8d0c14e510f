// A recording at the library level: the capture on its direct or mixer path,
// the writer on it, the capture callbacks with their silence check, pausing,
// handing over to the next file while the capture runs, and stopping so that
// everything captured reaches the file. Messages of a failed start go through
// the message service; failures while recording are reported to the owner.
#pragma once

#include <QString>
#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "audio/backend.h"
#include "audio/zaudio.h"
#include "recording/silence.h"

struct CaptureRequest {
  int rate = 44100;
  int channels = 2;
  int bits = 16;
  bool mixerPath = false;  // a loopback device: capture the output's format, mix to rate and stereo
};

// What the WMA writer is opened with.
struct WmaWriterSettings {
  zaudio::DWORD codecFlag = 0x2000;  // standard, Pro or 24-bit codec
  bool vbr = false;                  // value is a quality level, else a bitrate
  zaudio::DWORD value = 0;           // quality level, or bits per second
};

struct WriterRequest {
  int format = 0;          // output format index
  QString target;          // the WAV or WMA file, or the encoder's command line
  bool wavFile = true;     // the library writes the WAV file itself
  WmaWriterSettings wma;   // for WMA (format 2): the library's WMA writer writes the file
  QString file;            // the output file, for saying why it cannot be written

  static WriterRequest Wav(const QString& file) { return {0, file, true, {}, file}; }
  static WriterRequest CommandLine(int format, const QString& line) { return {format, line, false, {}, {}}; }
  static WriterRequest Wma(const QString& file, const WmaWriterSettings& wma) { return {2, file, false, wma, file}; }
};

enum class RecordingFailure {
  DeviceGone,        // the capture device or the sound server went away
  EncoderEnded,      // the encoder program ended or stopped taking data
  EncoderBehind,     // the disk or the encoder could not keep up
  WriteFailed,       // the file could not be written (the disk is full)
};

class RecordingEngine {
 public:
  // Called on a library thread; `handle` is the capture channel (device) or
  // the encoder that failed, `detail` what the encoder said, if anything.
  using FailureProc = std::function<void(RecordingFailure failure, zaudio::DWORD handle, const QString& detail)>;

  explicit RecordingEngine(FailureProc onFailure);
  ~RecordingEngine();
  RecordingEngine(const RecordingEngine&) = delete;
  RecordingEngine& operator=(const RecordingEngine&) = delete;

  // Opens the capture paused with the writer on it. A failure shows its
  // message and leaves nothing running.
  bool start(const CaptureRequest& capture, const WriterRequest& writer, const SilenceSettings& silence,
             bool silenceOn);
  // Lets the capture run; the chain is attached by then.
  bool play();
  // The next file while the capture runs on: the new writer takes every
  // block after the last one the previous file got. A failure shows the
  // format's message; the capture goes on into the previous file, which the
  // caller then stops. The previous writer is handed back, detached but not
  // yet complete: complete it with completeWriter (on any thread; it waits
  // for an encoder program to exit).
  struct PreviousWriter {
    zaudio::DWORD handle = 0;
    bool wma = false;
  };
  // With awaitSound the new writer gets nothing until a captured block is
  // louder than the silence threshold: the next file begins with that block.
  bool switchToNextFile(const WriterRequest& writer, PreviousWriter& previous, bool awaitSound = false);
  static bool completeWriter(const PreviousWriter& previous);
  // Both in one: previousWritten tells whether the previous file was
  // completed without an error.
  bool nextFile(const WriterRequest& writer, bool& previousWritten);
  // Pause and resume the capture (the writer stays open).
  bool pause();
  bool resume();
  bool paused() const;
  // Ends the capture after what it holds has reached the writer, completes
  // the file and frees everything. False when the writer reported an error.
  // nothingWritten, when given, tells whether the writer was still waiting
  // for sound, so that its file holds no audio at all.
  bool stop(bool* nothingWritten = nullptr);

  bool running() const { return FRecordChannel.load() != 0; }
  bool wma() const { return wma_; }
  bool mixerPath() const { return mixerPath_; }
  // How the capture channel delivers its blocks (what its effects and DSP
  // functions work on): on the mixer path the output device's rate and
  // channels rather than the recording's.
  const zaudio::CaptureFormat& captureFormat() const { return captureFormat_; }
  std::uint64_t receivedBytes() const;  // by the current writer, after conversion
  QString encoderMessage(zaudio::HENCODE encoder) const;

  // Silence handling: switched on and off while recording.
  void setSilenceOn(bool on) { FDarOn = on; }
  bool silenceOn() const { return FDarOn.load(); }
  const SilenceSettings& silence() const { return FDar; }
  // Resumes a writer suspended by silence (the check box turned off).
  void resumeFromSilence();
  // Suspends writing (the pause action after the silent length).
  void suspendForSilence();
  // The writer waits for the first block louder than the threshold.
  bool awaitingSound() const { return FAwaitingSound.load(); }

  // Shared with the capture callbacks.
  std::atomic<zaudio::HRECORD> FRecordChannel{0};
  std::atomic<zaudio::HENCODE> FEncoder{0};
  std::atomic<zaudio::DWORD> FWmaEncoder{0};
  std::atomic<zaudio::HSTREAM> FMixer{0}, FPushStream{0};
  std::atomic<bool> FInSilence{false};
  std::atomic<int> FSilentSeconds{0};
  std::atomic<bool> FAwaitingSound{false};

 private:
  bool RecordDirect(zaudio::HRECORD channel, const void* buffer, zaudio::DWORD length);
  bool RecordToMixer(zaudio::HRECORD channel, const void* buffer, zaudio::DWORD length);
  bool RecordWmaDirect(zaudio::HRECORD channel, const void* buffer, zaudio::DWORD length);
  bool RecordWmaToMixer(zaudio::HRECORD channel, const void* buffer, zaudio::DWORD length);
  void CheckSilence(zaudio::DWORD channel);
  // Before the writer sees a block: ends the wait for sound with the first
  // loud one.
  void WatchForSound(const void* buffer, zaudio::DWORD length);
  void WriteWmaBlock(zaudio::DWORD channel, const void* data, zaudio::DWORD length);
  void PullMixerDry();
  void PullMixerIntoWma(zaudio::DWORD channel);
  // The writer of a request on the running capture: an encoder (its handle)
  // or a WMA writer (its handle); 0 when it cannot start.
  zaudio::DWORD startWriter(const WriterRequest& writer);
  bool stopWriter(zaudio::DWORD writer);
  void watch(zaudio::HENCODE encoder);
  void release();

  FailureProc onFailure_;
  std::atomic<bool> FDarOn{false};
  SilenceSettings FDar;
  bool mixerPath_ = false;
  bool wma_ = false;
  int bits_ = 16;
  int channels_ = 2;
  zaudio::DWORD rate_ = 44100;
  zaudio::CaptureFormat captureFormat_;
  std::vector<char> pullBlock_;  // the capture thread's mixer pulls
};
