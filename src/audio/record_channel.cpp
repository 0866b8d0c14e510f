#include "audio/record_channel.h"

#include <chrono>
#include <cstring>

namespace zaudio {

namespace {
constexpr size_t kFftFrames = 1024;  // what DATA_FFT1024 looks at
}  // namespace

RecordChannel::RecordChannel(DWORD handle, CaptureFormat format, RECORDPROC proc)
    : Channel(handle, format), proc_(std::move(proc)) {
  keepRecent(kFftFrames);
}

RecordChannel::~RecordChannel() { stop(); }

int RecordChannel::start(Backend& backend, bool paused) {
  activity_ = paused ? ACTIVE_PAUSED : ACTIVE_PLAYING;
  std::weak_ptr<RecordChannel> weak = shared_from_this();
  int error = OK;
  auto stream = backend.startCapture(
      format(), paused,
      [weak](const void* data, size_t bytes) {
        auto self = weak.lock();
        return self && self->deliver(data, bytes);
      },
      [weak] {
        if (auto self = weak.lock()) self->ended();
      },
      error);
  if (!stream) {
    activity_ = ACTIVE_STOPPED;
    return error == OK ? ERROR_START : error;
  }
  std::lock_guard lock(streamMutex_);
  stream_ = std::move(stream);
  return OK;
}

bool RecordChannel::deliver(const void* data, size_t bytes) {
  const auto began = std::chrono::steady_clock::now();
  std::lock_guard lock(processing_);
  const DWORD state = activity_.load();
  if (state != ACTIVE_PLAYING) return state == ACTIVE_PAUSED;
  const size_t frameBytes = static_cast<size_t>(format().frameBytes());
  const size_t frames = bytes / frameBytes;
  if (frames == 0) return true;
  block_.resize(frames * frameBytes);
  std::memcpy(block_.data(), data, block_.size());
  processBlock(block_.data(), frames);
  const bool more = proc_ ? proc_(handle(), block_.data(), static_cast<DWORD>(block_.size())) : true;
  if (!more) activity_ = ACTIVE_STOPPED;
  noteBlockTime(static_cast<std::uint64_t>(
      std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - began).count()));
  return more;
}

void RecordChannel::ended() {
  if (activity_.exchange(ACTIVE_STOPPED) == ACTIVE_STOPPED) return;
  fireSync(SYNC_DEV_FAIL, 0);
}

bool RecordChannel::play() {
  std::lock_guard lock(streamMutex_);
  if (!stream_ || activity_.load() == ACTIVE_STOPPED) return false;
  activity_ = ACTIVE_PLAYING;
  if (stream_->resume()) return true;
  activity_ = ACTIVE_PAUSED;
  return false;
}

bool RecordChannel::pause() {
  std::lock_guard lock(streamMutex_);
  if (!stream_ || activity_.load() != ACTIVE_PLAYING) return false;
  // What was captured before the pause still arrives while pausing.
  const bool paused = stream_->pause();
  if (paused) activity_ = ACTIVE_PAUSED;
  return paused;
}

void RecordChannel::stop() {
  std::unique_ptr<CaptureStream> stream;
  {
    std::lock_guard lock(streamMutex_);
    stream = std::move(stream_);
  }
  // The stream hands over what it holds before it stops.
  if (stream) stream->stop();
  activity_ = ACTIVE_STOPPED;
}

}  // namespace zaudio
