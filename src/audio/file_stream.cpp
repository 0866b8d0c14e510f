#include "audio/file_stream.h"

#include <algorithm>
#include <chrono>
#include <cstring>

#include "audio/sample_convert.h"

namespace zaudio {

namespace {
using namespace std::chrono_literals;

// Frames decoded at a time, and what the playback buffer holds ahead of the
// output: enough to ride out a busy machine, little enough for a quick seek.
constexpr size_t kBlockFrames = 2048;
constexpr double kBufferSeconds = 0.5;
// How often the stream looks whether its output has played the end.
constexpr auto kEndPoll = 10ms;

CaptureFormat FormatOf(const FileDecoder& d) { return {d.rate(), d.channels(), SampleType::S16}; }
}  // namespace

FileStream::FileStream(DWORD handle, std::unique_ptr<FileDecoder> decoder, DWORD flags,
                       std::shared_ptr<Backend> backend)
    : Channel(handle, FormatOf(*decoder)),
      decode_((flags & STREAM_DECODE) != 0),
      flags_(flags),
      ctype_(decoder->ctype()),
      backend_(std::move(backend)),
      decoder_(std::move(decoder)),
      // Decode-only streams are measured as they are pulled; nothing to keep.
      heard_(decode_ ? 1 : static_cast<size_t>(format().rate) * 2) {
  length_ = decoder_->lengthFrames();
  decodeEnded_ = decode_ && decoder_->ended();
  length_ = decoder_->lengthFrames();
  if (!decode_) activity_ = ACTIVE_STOPPED;
}

FileStream::~FileStream() { endThread(); }

DWORD FileStream::activity() const {
  if (decode_) return decodeEnded_.load() ? ACTIVE_STOPPED : ACTIVE_PLAYING;
  return activity_.load();
}

size_t FileStream::decodeBlock(size_t frames) {
  block_.resize(frames * format().channels);
  const size_t got = decoder_->read(block_.data(), frames);
  if (got > 0) processBlock(block_.data(), got);
  length_ = decoder_->lengthFrames();
  return got;
}

DWORD FileStream::getData(void* buffer, DWORD length, int& error) {
  if (!decode_) return Channel::getData(buffer, length, error);
  std::lock_guard lock(processing_);
  const size_t frameBytes = static_cast<size_t>(format().frameBytes());
  const size_t want = length / frameBytes;
  auto* out = static_cast<std::uint8_t*>(buffer);
  size_t done = 0;
  while (done < want) {
    const size_t got = decodeBlock(std::min(want - done, kBlockFrames));
    if (got == 0) break;
    std::memcpy(out + done * frameBytes, block_.data(), got * frameBytes);
    done += got;
  }
  decodeEnded_ = decoder_->ended();
  length_ = decoder_->lengthFrames();
  if (done == 0 && want > 0 && decodeEnded_) {
    error = ERROR_ENDED;
    return DATA_ERROR;
  }
  error = OK;
  return static_cast<DWORD>(done * frameBytes);
}

DWORD FileStream::getLevel(int& error) {
  if (!decode_) {
    std::lock_guard lock(mutex_);
    const DWORD state = activity_.load();
    if (state == ACTIVE_PAUSED) {
      error = OK;
      return 0;
    }
    if (state != ACTIVE_PLAYING) {
      error = ERROR_NOPLAY;
      return 0xFFFFFFFF;
    }
    error = OK;
    return heard_.level(heardLocked(), std::max<size_t>(1, format().rate / 50));
  }
  std::lock_guard lock(processing_);
  const size_t frames = std::max<size_t>(1, static_cast<size_t>(format().rate * 0.02));
  std::vector<std::int16_t> all;
  all.reserve(frames * format().channels);
  size_t done = 0;
  while (done < frames) {
    const size_t got = decodeBlock(frames - done);
    if (got == 0) break;
    all.insert(all.end(), block_.begin(), block_.begin() + static_cast<std::ptrdiff_t>(got * format().channels));
    done += got;
  }
  decodeEnded_ = decoder_->ended();
  if (done == 0) {
    error = ERROR_ENDED;
    return 0xFFFFFFFF;
  }
  const int ch = static_cast<int>(format().channels);
  const std::uint32_t left = PeakOf(SampleType::S16, all.data(), done, ch, 0);
  const std::uint32_t right = ch > 1 ? PeakOf(SampleType::S16, all.data(), done, ch, 1) : left;
  error = OK;
  return left | (right << 16);
}

bool FileStream::lastFrames(float* mono, size_t n, int& error) {
  if (!decode_) {
    std::lock_guard lock(mutex_);
    heard_.mono(heardLocked(), mono, n);
    error = OK;
    return true;
  }
  std::lock_guard lock(processing_);
  const int ch = static_cast<int>(format().channels);
  size_t done = 0;
  std::vector<float> f;
  while (done < n) {
    const size_t got = decodeBlock(n - done);
    if (got == 0) break;
    f.resize(got * static_cast<size_t>(ch));
    ToFloat(SampleType::S16, block_.data(), f.data(), f.size());
    for (size_t i = 0; i < got; ++i) {
      float sum = 0;
      for (int c = 0; c < ch; ++c) sum += f[i * static_cast<size_t>(ch) + static_cast<size_t>(c)];
      mono[done + i] = sum / static_cast<float>(ch);
    }
    done += got;
  }
  decodeEnded_ = decoder_->ended();
  if (done == 0) {
    error = ERROR_ENDED;
    return false;
  }
  std::fill(mono + done, mono + n, 0.0f);
  error = OK;
  return true;
}

std::uint64_t FileStream::heardLocked() {
  const std::uint64_t length = length_.load();
  if (endFired_) return length;
  std::uint64_t pos = segmentStart_;
  if (output_) pos += output_->heardFrames();
  // Never ahead of what was decoded, nor past the end.
  return std::min({pos, std::max(heard_.end(), segmentStart_), length});
}

std::uint64_t FileStream::positionFrames() {
  if (decode_) {
    std::lock_guard lock(processing_);
    return decoder_->position();
  }
  std::lock_guard lock(mutex_);
  return heardLocked();
}

int FileStream::setPosition(std::uint64_t frame) {
  std::lock_guard lock(processing_);
  if (frame > decoder_->lengthFrames()) return ERROR_POSITION;
  if (decode_) {
    const bool ok = decoder_->seek(frame);
    decodeEnded_ = decoder_->ended();
    length_ = decoder_->lengthFrames();
    return ok ? OK : ERROR_POSITION;
  }
  // Playing: what is queued for the output belongs to the old position.
  std::lock_guard state(mutex_);
  const bool ok = decoder_->seek(frame);
  length_ = decoder_->lengthFrames();
  const std::uint64_t at = decoder_->position();
  if (buffer_) buffer_->clear();
  if (output_) output_->flush();
  segmentStart_ = at;
  heard_.restart(at);
  decodedAll_ = false;
  endFired_ = false;
  wake_.notify_all();
  return ok ? OK : ERROR_POSITION;
}

bool FileStream::play() {
  if (decode_ || !backend_) return false;
  {
    std::lock_guard lock(mutex_);
    if (activity_.load() == ACTIVE_PLAYING) return true;
    if (activity_.load() == ACTIVE_PAUSED && output_) {
      if (!output_->resume()) return false;
      activity_ = ACTIVE_PLAYING;
      return true;
    }
  }
  endThread();  // an output that has played its end
  std::lock_guard lock(processing_);
  std::unique_lock state(mutex_);
  if (endFired_) {
    decoder_->seek(0);
    endFired_ = false;
  }
  segmentStart_ = decoder_->position();
  heard_.restart(segmentStart_);
  decodedAll_ = false;
  quit_ = false;
  const size_t frames = std::max<size_t>(kBlockFrames * 2, static_cast<size_t>(format().rate * kBufferSeconds));
  buffer_ = std::make_shared<PlaybackBuffer>(frames, static_cast<size_t>(format().frameBytes()));
  int error = OK;
  output_ = backend_->startPlayback(format(), buffer_, error);
  if (!output_) {
    buffer_.reset();
    return false;
  }
  activity_ = ACTIVE_PLAYING;
  thread_ = std::thread([self = shared_from_this(), buffer = buffer_] { self->run(buffer); });
  return true;
}

bool FileStream::pause() {
  std::lock_guard lock(mutex_);
  if (!output_ || activity_.load() != ACTIVE_PLAYING) return false;
  if (!output_->pause()) return false;
  activity_ = ACTIVE_PAUSED;
  return true;
}

void FileStream::endThread() {
  std::unique_ptr<PlaybackStream> output;
  std::thread thread;
  std::uint64_t heard = 0;
  {
    std::lock_guard lock(mutex_);
    quit_ = true;
    if (buffer_) buffer_->interrupt();
    thread = std::move(thread_);
  }
  wake_.notify_all();
  if (thread.joinable()) {
    // A sync handler that stops its own stream runs on this very thread.
    if (thread.get_id() == std::this_thread::get_id())
      thread.detach();
    else
      thread.join();
  }
  {
    std::lock_guard lock(mutex_);
    heard = heardLocked();
    output = std::move(output_);
  }
  if (output) output->stop();
  if (decode_) return;
  // The next play goes on from what was heard, not from what was decoded ahead.
  std::lock_guard lock(processing_);
  std::lock_guard state(mutex_);
  if (buffer_) {
    buffer_.reset();
    if (!endFired_ && decoder_->position() != heard) decoder_->seek(heard);
    segmentStart_ = heard;
  }
}

void FileStream::stop() {
  endThread();
  activity_ = ACTIVE_STOPPED;
}

void FileStream::run(std::shared_ptr<PlaybackBuffer> buffer) {
  const size_t frameBytes = static_cast<size_t>(format().frameBytes());
  std::unique_lock state(mutex_);
  while (!quit_) {
    if (decodedAll_) {
      if (endFired_) {
        wake_.wait(state, [&] { return quit_ || !decodedAll_; });
        continue;
      }
      if (output_ && output_->drained()) {
        endFired_ = true;
        activity_ = ACTIVE_STOPPED;
        // Told without any lock held: the handler may call back into the library.
        state.unlock();
        fireSync(SYNC_END, 0);
        state.lock();
        continue;
      }
      wake_.wait_for(state, kEndPoll);
      continue;
    }
    state.unlock();
    // Refilled once half of it has been played, in one go: the thread wakes a
    // few times a second rather than for every block the output takes.
    const size_t block = kBlockFrames * frameBytes;
    if (buffer->waitWritable(std::max(block, buffer->capacityBytes() / 2), 100ms)) {
      // A block at a time under the lock, so that a seek or a level query
      // waits for one block at most and never splits a block from its write.
      while (buffer->writable() >= block) {
        std::lock_guard lock(processing_);
        const size_t got = decodeBlock(kBlockFrames);
        if (got == 0) {
          {
            std::lock_guard inner(mutex_);
            decodedAll_ = true;
          }
          buffer->markEnd();
          break;
        }
        heard_.append(SampleType::S16, block_.data(), got, static_cast<int>(format().channels));
        buffer->write(block_.data(), got * frameBytes);
      }
    }
    state.lock();
  }
}

}  // namespace zaudio
