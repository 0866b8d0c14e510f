#include "audio/encode/encoder.h"

#include <pthread.h>
#include <signal.h>

#include <utility>

#include "audio/encode/encoder_output.h"
#include "audio/encode/pcm_convert.h"

namespace zaudio {

namespace {
constexpr auto kPollInterval = std::chrono::milliseconds(250);
constexpr size_t kLargestWrite = size_t{1} << 20;  // keeps the writer coming back to poll and report
// The writer wakes at every poll and writes what has come since, rather than
// for every block: a kill loses at most one poll interval of audio, and a
// wide format that fills this much sooner is written at once.
constexpr size_t kEarlyWakeBytes = size_t{256} << 10;

// A program that dies, or a FIFO given as the file, must not take our process
// down with it.
void BlockSigpipeOnThisThread() {
  sigset_t pipeOnly;
  sigemptyset(&pipeOnly);
  sigaddset(&pipeOnly, SIGPIPE);
  ::pthread_sigmask(SIG_BLOCK, &pipeOnly, nullptr);
}
}  // namespace

Encoder::Encoder(std::unique_ptr<EncoderOutput> output, SampleType inputType, DWORD channels,
                 PcmEncoding encoding, size_t queueBytes, std::chrono::milliseconds stopTimeout)
    : output_(std::move(output)),
      inputType_(inputType),
      encoding_(encoding),
      channels_(channels),
      inputFrameBytes_(channels * BytesPerSample(inputType)),
      outputFrameBytes_(channels * BytesPerSample(encoding)),
      stopTimeout_(stopTimeout),
      queue_(queueBytes),
      wakeBytes_(output_->gathersWell() ? std::max<size_t>(1, std::min(kEarlyWakeBytes, queueBytes / 4)) : 1) {
  writer_ = std::thread(&Encoder::run, this);
}

Encoder::~Encoder() { stop(); }

void Encoder::feed(const void* data, size_t bytes) {
  const size_t frames = bytes / inputFrameBytes_;
  if (frames == 0 || paused_) return;
  const size_t outputBytes = frames * outputFrameBytes_;
  bool wakeWriter = false;
  {
    std::lock_guard lock(mutex_);
    if (failure_ || stopRequested_) return;
    if (outputBytes > queue_.space()) {
      failure_ = unreported_ = ENCODE_NOTIFY_QUEUE_FULL;
      wakeWriter = true;
    } else {
      // Frames go in whole and the queue's size is a multiple of a frame, so
      // where the free space wraps around is always between two frames.
      const ByteRing::Spans spans = queue_.reserve(outputBytes);
      const size_t firstFrames = spans.first.size() / outputFrameBytes_;
      const auto* in = static_cast<const std::uint8_t*>(data);
      ConvertSamples(inputType_, encoding_, in, spans.first.data(), firstFrames * channels_);
      if (!spans.second.empty())
        ConvertSamples(inputType_, encoding_, in + firstFrames * inputFrameBytes_, spans.second.data(),
                       (frames - firstFrames) * channels_);
      queue_.commit(outputBytes);
      countIn_ += outputBytes;
      wakeWriter = writerWaiting_ && queue_.size() >= wakeBytes_;
    }
  }
  if (wakeWriter) wake_.notify_one();
}

void Encoder::setPaused(bool paused) { paused_ = paused; }

bool Encoder::paused() const { return paused_; }

std::uint64_t Encoder::countIn() const { return countIn_; }

DWORD Encoder::failure() const {
  std::lock_guard lock(mutex_);
  return failure_;
}

void Encoder::setNotify(NotifyProc proc) {
  {
    std::lock_guard lock(mutex_);
    notify_ = std::move(proc);
  }
  wake_.notify_one();  // a failure may be waiting for it
}

bool Encoder::stop() {
  std::lock_guard stopLock(stopMutex_);
  if (stopped_) return stopResult_;
  {
    std::lock_guard lock(mutex_);
    stopRequested_ = true;
    giveUpAt_ = Clock::now() + stopTimeout_;
  }
  wake_.notify_one();
  writer_.join();
  stopped_ = true;
  std::lock_guard lock(mutex_);
  stopResult_ = outputComplete_ && failure_ == 0;
  return stopResult_;
}

std::string Encoder::lastMessage() const { return output_->lastMessage(); }

// Writes the queue out until stop() asks for the end, keeps the output in
// shape and reports a failure to the notification.
void Encoder::run() {
  BlockSigpipeOnThisThread();
  pthread_setname_np(pthread_self(), "zaudio-writer");
  bool finished = false;  // the output is complete, after the last write or a failure
  if (const DWORD status = output_->begin()) {
    failWriting(status, Clock::now() + stopTimeout_);
    finished = true;
  }
  for (;;) {
    std::span<const std::uint8_t> chunk;
    bool stopping = false;
    Clock::time_point giveUpAt;
    NotifyProc notify;
    DWORD report = 0;
    {
      std::unique_lock lock(mutex_);
      const auto ready = [&] {
        return stopRequested_ || (unreported_ && notify_) || (!finished && queue_.size() >= wakeBytes_);
      };
      writerWaiting_ = true;
      if (finished)
        wake_.wait(lock, ready);  // nothing left to look after
      else
        wake_.wait_for(lock, kPollInterval, ready);
      writerWaiting_ = false;
      if (unreported_ && notify_) {
        report = std::exchange(unreported_, 0);
        notify = notify_;
      }
      stopping = stopRequested_;
      giveUpAt = giveUpAt_;
      if (!finished) chunk = queue_.readable(kLargestWrite);
    }
    if (report) notify(report);
    if (finished) {
      if (stopping) return;
      continue;
    }

    DWORD status = 0;
    if (!chunk.empty()) {
      const EncoderOutput::Written written = output_->write(chunk, giveUpAt);
      {
        std::lock_guard lock(mutex_);
        queue_.consume(written.bytes);
      }
      status = written.failure;
    }
    if (!status) status = output_->poll();
    if (status) {
      failWriting(status, stopping ? giveUpAt : Clock::now() + stopTimeout_);
      finished = true;
    } else if (stopping && drained()) {
      const bool complete = output_->finish(giveUpAt);
      std::lock_guard lock(mutex_);
      outputComplete_ = complete;
      finished = true;
    }
  }
}

// Nothing more can be written: the queue is dropped and the output completed
// with what it has before the failure is reported.
void Encoder::failWriting(DWORD status, Clock::time_point giveUpAt) {
  bool first = false;
  {
    std::lock_guard lock(mutex_);
    first = failure_ == 0;
    if (first) failure_ = status;
    queue_.clear();
  }
  output_->finish(giveUpAt);
  if (!first) return;
  std::lock_guard lock(mutex_);
  unreported_ = status;
}

bool Encoder::drained() {
  std::lock_guard lock(mutex_);
  return queue_.empty();
}

}  // namespace zaudio
