// A stream that decodes a file. Decode-only, it decodes on the caller's
// thread as ChannelGetData asks. Playing, its own thread decodes ahead into a
// playback buffer that the backend's output takes from; positions are then
// what has been heard. Each decoded block runs through the channel's chain,
// level meter and encoders before anything else sees it.
//
// Locking: processing_ (the channel's) guards the decoder and is taken
// before mutex_, which guards the playing state; the backend's own locks
// come last. The end sync fires on the stream's thread with no lock held,
// once per play-through, and never once stop() has returned.
#pragma once

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

#include "audio/channel.h"
#include "audio/file_decoder.h"
#include "audio/playback_buffer.h"
#include "audio/recent_audio.h"

namespace zaudio {

class FileStream final : public Channel, public std::enable_shared_from_this<FileStream> {
 public:
  // backend: the output to play through; may be null for a decode-only stream.
  FileStream(DWORD handle, std::unique_ptr<FileDecoder> decoder, DWORD flags, std::shared_ptr<Backend> backend);
  ~FileStream() override;

  bool isDecode() const override { return decode_; }
  DWORD activity() const override;
  DWORD channelType() const override { return ctype_; }
  DWORD creationFlags() const override { return flags_; }

  // From where the stream stands; after its end, from the start.
  bool play() override;
  bool pause() override;
  // Ends playing; the position stays at what was heard, and a later play()
  // goes on from there.
  void stop() override;

  DWORD getData(void* buffer, DWORD length, int& error) override;
  // Decode-only: decodes the next 20 ms and measures them.
  DWORD getLevel(int& error) override;
  // Playing: the frames heard last. Decode-only: decodes the next n frames.
  bool lastFrames(float* mono, size_t n, int& error) override;

  std::uint64_t lengthFrames() const { return length_.load(); }
  std::uint64_t positionFrames();
  // OK, or ERROR_POSITION (past the end, or the file cannot get there).
  int setPosition(std::uint64_t frame);

 private:
  void run(std::shared_ptr<PlaybackBuffer> buffer);  // the stream's thread
  void endThread();                                 // stops and joins it
  std::uint64_t heardLocked();                      // caller holds mutex_
  // Decodes up to `frames` into block_ and processes them; caller holds processing_.
  size_t decodeBlock(size_t frames);

  const bool decode_;
  const DWORD flags_;
  const DWORD ctype_;
  const std::shared_ptr<Backend> backend_;
  std::unique_ptr<FileDecoder> decoder_;  // guarded by processing_
  std::vector<std::int16_t> block_;       // guarded by processing_
  std::atomic<std::uint64_t> length_{0};
  std::atomic<bool> decodeEnded_{false};  // decode-only: everything was delivered

  // Playing side, guarded by mutex_.
  std::mutex mutex_;
  std::condition_variable wake_;
  std::shared_ptr<PlaybackBuffer> buffer_;
  std::unique_ptr<PlaybackStream> output_;
  std::thread thread_;
  bool quit_ = false;
  bool decodedAll_ = false;  // the end is in the buffer
  bool endFired_ = false;    // the end was heard and told
  std::uint64_t segmentStart_ = 0;  // where the output's heard count starts
  RecentAudio heard_;               // decoded frames by position, for level and FFT
};

}  // namespace zaudio
